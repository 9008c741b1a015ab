// The directory walk: one enumeration per directory, attributes worked out only for entries
// whose name matches, and no descriptor held open across a descent, so neither the depth of a
// tree nor the process's current directory can disturb it.
#include "DirWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "IgnoreRules.h"

#include "platform/Fd.h"
#include "platform/FileAttributes.h"
#include "platform/LongPath.h"
#include "platform/OpenInTree.h"
#include "platform/OwnFileNames.h"
#include "platform/Wildcard.h"

namespace fendrel {
namespace {

struct TNameRef {
  uint32_t Offset;
  uint32_t Length;
  bool Folder;  // a folder, or a link to one that the walk follows
};

// What one visit keeps of its directory between reading it and delivering from it. One per
// depth, reused by every directory at that depth, so a large tree costs few allocations.
struct TLevel {
  std::string Names;  // the kept names, back to back
  std::vector<TNameRef> Subdirs;
  std::vector<TNameRef> LinkedSubdirs;  // links to folders, when links are followed
  std::vector<TNameRef> Hits;

  void Clear() {
    Names.clear();
    Subdirs.clear();
    LinkedSubdirs.clear();
    Hits.clear();
  }
  TNameRef Keep(const char* name, std::size_t length, bool folder) {
    TNameRef ref{static_cast<uint32_t>(Names.size()), static_cast<uint32_t>(length), folder};
    Names.append(name, length);
    return ref;
  }
  std::string_view Name(TNameRef ref) const { return {Names.data() + ref.Offset, ref.Length}; }
};

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class TWalker {
 public:
  TWalker(std::string_view mask, uint32_t filter, bool recursive, const TDirWalkFound& found,
          const TWalkOptions& options)
      : FMask(mask),
        FFilter(filter),
        FRecursive(recursive),
        FFound(found),
        FStopRequested(options.StopRequested),
        FExcluded(options.Excluded),
        FFollowLinks(options.FollowLinks),
        FRecovered(options.Recovered),
        FUnreadable(options.Unreadable) {
    if (!options.IncludeVcsFolders)
      FExcluded.insert(FExcluded.end(), kVcsFolderNames.begin(), kVcsFolderNames.end());
  }

  void Run(std::string startPath, bool honourIgnoreFiles) {
    FPath = std::move(startPath);
    if (honourIgnoreFiles) FIgnore.emplace(FPath);
    Visit(0, false);
  }

 private:
  // FPath holds the directory's full path on entry and again on return.
  void Visit(std::size_t depth, bool viaLink) {
    if (FStopRequested && FStopRequested()) return;
    if (FLevels.size() <= depth) FLevels.emplace_back();
    TLevel& level = FLevels[depth];  // a deque: deeper levels never move this one
    if (!ReadDirectory(depth, viaLink, level)) return;

    const std::size_t pathLength = FPath.size();
    for (const auto* subdirs : {&level.Subdirs, &level.LinkedSubdirs}) {
      for (std::size_t i = 0; i < subdirs->size(); ++i) {
        const std::string_view name = level.Name((*subdirs)[i]);
        FPath.push_back('/');
        FPath.append(name);
        if (FIgnore) FIgnore->Enter(name);
        Visit(depth + 1, subdirs == &level.LinkedSubdirs);
        if (FIgnore) FIgnore->Leave();
        FPath.resize(pathLength);
      }
    }
    for (std::size_t i = 0; i < level.Hits.size(); ++i) {
      FPath.push_back('/');
      FPath.append(level.Name(level.Hits[i]));
      FFound(FPath);
      FPath.resize(pathLength);
    }
  }

  // Reads the directory FPath once, keeping the subdirectories to descend and the entries to
  // deliver; false when it cannot be entered. The directory is closed again before returning.
  bool ReadDirectory(std::size_t depth, bool viaLink, TLevel& level) {
    level.Clear();
    // Below the start, a subdirectory replaced by a link since its parent was read must not
    // lead the walk elsewhere.
    const int flags = O_RDONLY | O_DIRECTORY | (depth > 0 && !viaLink ? O_NOFOLLOW : 0);
    // Paths beyond the system's limit are opened a piece at a time, so deep trees are listed
    // whole.
    const TFd fd(OpenFolder(flags));
    if (fd.Get() < 0) {
      // A folder gone since its parent was read, or one replaced by a link, holds nothing the
      // user asked for; anything else withheld part of the tree.
      if (errno != ENOENT && errno != ELOOP && errno != ENOTDIR) TellUnreadable(errno);
      return false;
    }
    if (!MayEnter(fd.Get(), depth, viaLink)) return false;
    // The raw enumeration into one buffer shared by all levels (each level has read its whole
    // directory before descending) saves the checks and allocation of a DIR stream per directory.
    bool holdsRecord = false;
    TIgnoreRules::TSeen seen;
    for (;;) {
      const ssize_t got = getdents64(fd.Get(), FBuffer.data(), sizeof(FBuffer));
      if (got < 0) TellUnreadable(errno);  // what was read so far still counts
      if (got <= 0) break;
      for (ssize_t pos = 0; pos < got;) {
        const auto* entry = reinterpret_cast<const dirent64*>(FBuffer.data() + pos);
        pos += entry->d_reclen;
        holdsRecord = holdsRecord || IsIntentRecordName(entry->d_name);
        if (FIgnore) TIgnoreRules::Note(entry->d_name, seen);
        Consider(fd.Get(), entry->d_name, entry->d_type, level);
      }
    }
    // The folder's own ignore files apply to its entries, which were all read before it was
    // known whether it has any: they are judged now, and only those the walk would keep.
    if (FIgnore) {
      FIgnore->ReadFolder(fd.Get(), seen, depth == 0);
      if (!FIgnore->Empty()) {
        for (auto* refs : {&level.Subdirs, &level.LinkedSubdirs, &level.Hits}) {
          std::erase_if(
              *refs, [&](TNameRef ref) { return FIgnore->Ignored(level.Name(ref), ref.Folder); });
        }
      }
    }
    // Before any of its files is delivered for a run to read.
    if (holdsRecord && FRecovered) {
      if (auto recoveries = RecoverFolder(fd.Get(), FPath); !recoveries.empty())
        FRecovered(std::move(recoveries));
    }
    return true;
  }

  int OpenFolder(int flags) const {
    if (const auto& hook = WalkHooks().OpenError) {
      if (const int error = hook(FPath); error != 0) {
        errno = error;
        return -1;
      }
    }
    return OpenAnyLength(FPath, flags);
  }

  void TellUnreadable(int error) const {
    if (FUnreadable) FUnreadable(FPath, error);
  }

  // Sorts one entry of the directory being read into what to descend and what to deliver.
  void Consider(int dirFd, const char* name, unsigned char type, TLevel& level) const {
    if (IsDotOrDotDot(name)) return;
    // The program's own backups, temporary files and kept contents are never candidates: a run
    // over them could change the only copy of an earlier content.
    const bool matches = MatchesMask(name, FMask) && !IsOwnFileName(name);
    if (!matches && !FRecursive) return;
    if (IsExcluded(name)) return;
    if (type == DT_UNKNOWN) type = TypeOf(dirFd, name);
    bool linkedFolder = false;
    if (type == DT_LNK && FRecursive && FFollowLinks && LeadsToFolder(dirFd, name)) {
      linkedFolder = true;
      level.LinkedSubdirs.push_back(level.Keep(name, std::strlen(name), true));
      if (!matches) return;
    }
    if (!matches && type != DT_DIR) return;

    const bool descend = FRecursive && type == DT_DIR;
    const bool deliver = matches && Passes(dirFd, name, type);
    if (!descend && !deliver) return;
    const TNameRef ref = level.Keep(name, std::strlen(name), type == DT_DIR || linkedFolder);
    if (descend) level.Subdirs.push_back(ref);
    if (deliver) level.Hits.push_back(ref);
  }

  // Keeps the folders of the descent (device and inode) and says whether the folder just opened
  // may be walked: a folder reached through a link must lie inside the start folder, be the
  // link's owner's (unless the link is the runner's own), and not be one the descent is already
  // in, which would be a loop.
  bool MayEnter(int fd, std::size_t depth, bool viaLink) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return false;
    const std::pair identity{st.st_dev, st.st_ino};
    FEntered.resize(depth);
    if (viaLink) {
      if (std::find(FEntered.begin(), FEntered.end(), identity) != FEntered.end()) return false;
      const std::size_t slash = FPath.rfind('/');
      struct stat link;
      const TFd parent(OpenAnyLength(FPath.substr(0, slash), O_PATH | O_DIRECTORY));
      if (!parent.Valid() ||
          ::fstatat(parent.Get(), FPath.c_str() + slash + 1, &link, AT_SYMLINK_NOFOLLOW) != 0 ||
          !S_ISLNK(link.st_mode) || !LinkMayLead(link, st) || !FolderInside(fd, FStart))
        return false;
    }
    if (depth == 0) FStart = st;
    FEntered.push_back(identity);
    return true;
  }

  static bool LeadsToFolder(int dirFd, const char* name) {
    struct stat st;
    return ::fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
  }

  bool IsExcluded(const char* name) const {
    for (const std::string& excluded : FExcluded) {
      if (MatchesMask(name, excluded)) return true;
    }
    return false;
  }

  // The type the enumeration did not report, without following a link; DT_UNKNOWN when the
  // entry vanished.
  static unsigned char TypeOf(int dirFd, const char* name) {
    struct stat st;
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
    if (S_ISDIR(st.st_mode)) return DT_DIR;
    if (S_ISREG(st.st_mode)) return DT_REG;
    if (S_ISLNK(st.st_mode)) return DT_LNK;
    return DT_FIFO;  // stands for every kind that is never listed
  }

  // The attribute filter, answered without a system call whenever the type alone decides.
  bool Passes(int dirFd, const char* name, unsigned char type) const {
    if (type == DT_DIR) return PassesAttributeFilter(faDirectory, FFilter);
    if (type == DT_REG) {
      if ((FFilter & faDirectory) != 0) return false;
      // Every regular file carries the archive bit, and hidden follows from the name.
      if ((FFilter & faArchive) != 0) return true;
      if ((FFilter & faHidden) != 0 && name[0] == '.') return true;
      if ((FFilter & faReadOnly) == 0) return false;
    }
    if (type == DT_UNKNOWN) return false;  // vanished while the directory was read
    return PassesAttributeFilter(EntryInfo(dirFd, name, type).Attributes, FFilter);
  }

  const std::string_view FMask;
  const uint32_t FFilter;
  const bool FRecursive;
  const TDirWalkFound& FFound;
  const TDirWalkStop& FStopRequested;
  // The caller's, and the version-control folders unless included.
  std::vector<std::string> FExcluded;
  const bool FFollowLinks;
  const TDirWalkRecovered& FRecovered;
  const TDirWalkUnreadable& FUnreadable;
  std::optional<TIgnoreRules> FIgnore;  // when the ignore files are honoured
  struct stat FStart {};
  // The folders of the descent from the start to the one being read.
  std::vector<std::pair<dev_t, ino_t>> FEntered;
  std::string FPath;
  std::deque<TLevel> FLevels;
  alignas(dirent64) std::array<char, 32 * 1024> FBuffer;
};

// Appends the segments of `path` to the full path `out`, each as "/" + segment.
void AppendSegments(std::string& out, std::string_view path) {
  std::size_t pos = 0;
  while (pos < path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(pos, end - pos);
    pos = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      // `out` is empty or begins with '/', so at the root this leaves it empty, i.e. the root.
      const std::size_t slash = out.rfind('/');
      out.resize(slash == std::string::npos ? 0 : slash);
      continue;
    }
    out.push_back('/');
    out.append(segment);
  }
}

bool CurrentDirectory(std::string& out) {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      out.assign(buffer.c_str());
      return true;
    }
    if (errno != ERANGE) return false;
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

TExcludeFault ExcludeGlobFault(std::string_view glob) {
  if (glob.empty()) return TExcludeFault::Empty;
  if (glob.find('/') != std::string_view::npos) return TExcludeFault::HoldsSlash;
  return TExcludeFault::None;
}

TWalkHooks& WalkHooks() {
  static TWalkHooks hooks;
  return hooks;
}

std::string LexicalFullPath(std::string_view dir, std::string_view cwd) {
  std::string out;
  if (dir.empty() || dir.front() != '/') AppendSegments(out, cwd);
  AppendSegments(out, dir);
  if (out.empty()) out.push_back('/');
  return out;
}

std::string FullStartPath(std::string_view dir) {
  if (!dir.empty() && dir.front() == '/') return LexicalFullPath(dir, {});
  std::string cwd;
  if (!CurrentDirectory(cwd)) return {};
  return LexicalFullPath(dir, cwd);
}

void WalkDirectory(std::string_view dir, std::string_view mask, uint32_t attributes, bool recursive,
                   const TDirWalkFound& found, const TWalkOptions& options) {
  std::string start = FullStartPath(dir);
  if (start.empty()) return;
  TWalker(mask, attributes, recursive, found, options)
      .Run(std::move(start), options.HonourIgnoreFiles);
}

}  // namespace fendrel

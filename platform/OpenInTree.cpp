#include "OpenInTree.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>
#include <vector>

#include "LongPath.h"

namespace fendrel {
namespace {

constexpr const char* kIsLink = "is a symbolic link";
constexpr const char* kFolderIsLink = "a folder on its path is a symbolic link";
constexpr const char* kLeadsOutside = "is a symbolic link that leads outside the folder";
constexpr const char* kOtherOwner = "is a symbolic link of another user to a file not theirs";
constexpr const char* kChanged = "changed by another program during the run";

// Deeper than any real tree; a chain of ".." this long means something is wrong.
constexpr int kMaxDepth = 1 << 16;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The parts of `path` below `root`, or false when `root` does not hold `path`.
bool PartsBelow(std::string_view path, std::string_view root, std::vector<std::string>& parts) {
  while (root.size() > 1 && root.back() == '/')
    root.remove_suffix(1);
  if (root.empty() || !path.starts_with(root)) return false;
  std::string_view rest = path.substr(root.size());
  if (root != "/" && (rest.empty() || rest.front() != '/')) return false;
  parts.clear();
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    if (part == "..") return false;  // never leaves the folder by name either
    if (!part.empty() && part != ".") parts.emplace_back(part);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  return !parts.empty();
}

// Where the open `fd` really is, read from the system; empty when it cannot tell.
std::string WhereItIs(int fd) {
  std::string resolved(PATH_MAX, '\0');
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = ::readlink(self.c_str(), resolved.data(), resolved.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= resolved.size()) return {};
  resolved.resize(static_cast<std::size_t>(length));
  return resolved;
}

}  // namespace

bool LinkMayLead(const struct stat& link, const struct stat& target) {
  return link.st_uid == ::geteuid() || link.st_uid == target.st_uid;
}

bool FolderInside(int folder, const struct stat& root) {
  TFd current(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
  struct stat here;
  if (!current.Valid() || ::fstat(current.Get(), &here) != 0) return false;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    if (SameFile(here, root)) return true;
    TFd up(::openat(current.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat above;
    if (!up.Valid() || ::fstat(up.Get(), &above) != 0) return false;
    if (SameFile(above, here)) return false;  // the top of the file system
    current = std::move(up);
    here = above;
  }
  return false;
}

std::shared_ptr<const TOpenedRoot> OpenRoot(const std::string& root) {
  auto opened = std::make_shared<TOpenedRoot>();
  opened->Fd.Reset(OpenAnyLength(root, O_RDONLY | O_DIRECTORY));
  if (!opened->Fd.Valid() || ::fstat(opened->Fd.Get(), &opened->State) != 0) return nullptr;
  return opened;
}

int TLastFolder::FolderOf(const std::string& path, const TLinkRule& rule, std::string& name) {
  const std::size_t slash = path.rfind('/');
  if (!rule.Opened || slash == std::string::npos) return -1;
  const std::string_view folder(path.data(), slash);
  name.assign(path, slash + 1);
  if (name.empty() || name == "." || name == "..") return -1;
  if (FFolder.Valid() && FRoot == rule.Opened && folder == FPath) return FFolder.Get();

  FFolder.Reset(-1);
  std::vector<std::string> parts;
  if (!PartsBelow(path, rule.Root, parts) || parts.back() != name) return -1;
  TFd walked(::fcntl(rule.Opened->Fd.Get(), F_DUPFD_CLOEXEC, 0));
  for (std::size_t i = 0; walked.Valid() && i + 1 < parts.size(); ++i)
    walked.Reset(
        ::openat(walked.Get(), parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!walked.Valid()) return -1;
  FRoot = rule.Opened;
  FPath = folder;
  FFolder = std::move(walked);
  return FFolder.Get();
}

TTreeOpen OpenInTree(const std::string& path, const TLinkRule& rule, TTreeFile& file) {
  TTreeOpen result;
  const auto failed = [&result](int error) {
    result.Error = error;
    return result;
  };
  const auto refused = [&result](const char* why) {
    result.Refused = why;
    return result;
  };

  std::vector<std::string> parts;
  TFd root;
  struct stat rootState;
  const bool below = PartsBelow(path, rule.Root, parts);
  if (below && rule.Opened) {
    rootState = rule.Opened->State;
  } else {
    if (below) {
      root.Reset(OpenAnyLength(rule.Root, O_RDONLY | O_DIRECTORY));
    } else {
      // Outside a run's folder only the file's own name is judged.
      std::string name;
      root.Reset(OpenParentFolder(path, name));
      parts.assign(1, name);
    }
    if (!root.Valid()) return failed(errno);
    if (::fstat(root.Get(), &rootState) != 0) return failed(errno);
  }

  const int start = below && rule.Opened ? rule.Opened->Fd.Get() : root.Get();
  TFd folder(::fcntl(start, F_DUPFD_CLOEXEC, 0));
  if (!folder.Valid()) return failed(errno);
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const char* part = parts[i].c_str();
    TFd next(::openat(folder.Get(), part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!next.Valid()) {
      struct stat link;
      if ((errno != ELOOP && errno != ENOTDIR) ||
          ::fstatat(folder.Get(), part, &link, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(link.st_mode))
        return failed(errno);
      if (!rule.Follow) return refused(kFolderIsLink);
      next.Reset(::openat(folder.Get(), part, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      struct stat target;
      if (!next.Valid() || ::fstat(next.Get(), &target) != 0) return failed(errno);
      if (!LinkMayLead(link, target)) return refused(kOtherOwner);
      if (!FolderInside(next.Get(), rootState)) return refused(kLeadsOutside);
    }
    folder = std::move(next);
  }

  const std::string& name = parts.back();
  struct stat entry;
  if (::fstatat(folder.Get(), name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
    const int error = errno;
    file.Folder = std::move(folder);
    file.Name = name;
    file.Path = path;
    return failed(error);
  }
  if (!S_ISLNK(entry.st_mode)) {
    file.Folder = std::move(folder);
    file.Name = name;
    file.Path = path;
    return result;
  }

  if (!rule.Follow) return refused(kIsLink);
  const TFd target(::openat(folder.Get(), name.c_str(), O_PATH | O_CLOEXEC));
  struct stat targetState;
  if (!target.Valid() || ::fstat(target.Get(), &targetState) != 0) return failed(errno);
  if (!LinkMayLead(entry, targetState)) return refused(kOtherOwner);
  // The target is then opened in its own folder, and that folder must hold this very file.
  std::string resolved = WhereItIs(target.Get());
  if (resolved.empty()) return failed(ENAMETOOLONG);
  std::string targetName;
  TFd targetFolder(OpenParentFolder(resolved, targetName));
  if (!targetFolder.Valid()) return failed(errno);
  struct stat check;
  if (::fstatat(targetFolder.Get(), targetName.c_str(), &check, AT_SYMLINK_NOFOLLOW) != 0 ||
      !SameFile(check, targetState))
    return refused(kChanged);
  if (!FolderInside(targetFolder.Get(), rootState)) return refused(kLeadsOutside);
  file.Folder = std::move(targetFolder);
  file.Name = targetName;
  file.Path = std::move(resolved);
  file.LinkTarget = targetState;
  return result;
}

}  // namespace fendrel

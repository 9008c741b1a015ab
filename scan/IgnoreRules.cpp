// The ignore-file stack of a walk: finding the work tree above the start, reading each folder's
// files once when the walk enters it, and judging entries from the deepest folder upwards, so the
// first pattern that matches is the one with the last word.
#include "IgnoreRules.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/Fd.h"
#include "platform/ReadAt.h"

namespace fendrel {
namespace {

constexpr const char* kGitIgnoreName = ".gitignore";
constexpr const char* kIgnoreName = ".ignore";
constexpr const char* kGitName = ".git";

// No list of patterns is this long; a larger file under such a name is something else, and
// reading it would only slow the walk down.
constexpr off_t kMaxIgnoreFileSize = 16 << 20;

// The content of the regular file `path` below `folderFd`; nullopt when there is none (or it is
// no regular file: a FIFO of that name must not block the walk). A link is followed only with
// `followLink`: the ignore files of a work tree are taken only as files of the tree itself.
std::optional<std::string> ReadTextAt(int folderFd, const std::string& path, bool followLink) {
  const TFd fd(::openat(folderFd, path.c_str(),
                        O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW)));
  struct stat st;
  if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size > kMaxIgnoreFileSize)
    return std::nullopt;
  std::string text(static_cast<std::size_t>(st.st_size), '\0');
  const ssize_t got = ReadAt(fd.Get(), text.data(), text.size(), 0);
  if (got < 0) return std::nullopt;
  text.resize(static_cast<std::size_t>(got));
  return text;
}

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The patterns of info/exclude of the work tree whose root is `folderFd`. A ".git" file (a
// submodule's, or a linked work tree's) names the repository folder as "gitdir: PATH"; a linked
// work tree's repository folder names the shared one, holding the exclude file, in "commondir".
std::vector<TIgnorePattern> ReadExclude(int folderFd) {
  struct stat st;
  if (::fstatat(folderFd, kGitName, &st, 0) != 0) return {};
  std::string gitDir = kGitName;
  if (S_ISREG(st.st_mode)) {
    const auto pointer = ReadTextAt(folderFd, kGitName, true);
    constexpr std::string_view kPrefix = "gitdir: ";
    if (!pointer || !pointer->starts_with(kPrefix)) return {};
    gitDir = FirstLine(pointer->substr(kPrefix.size()));
    if (const auto common = ReadTextAt(folderFd, gitDir + "/commondir", true)) {
      const std::string commonDir = FirstLine(*common);
      gitDir = commonDir.starts_with('/') ? commonDir : gitDir + "/" + commonDir;
    }
  } else if (!S_ISDIR(st.st_mode)) {
    return {};
  }
  const auto text = ReadTextAt(folderFd, gitDir + "/info/exclude", true);
  return text ? ParseIgnoreText(*text) : std::vector<TIgnorePattern>{};
}

std::optional<std::string> RealPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

// The nearest folder from `folder` upwards (itself included) that holds a ".git"; empty when
// none does.
std::string WorkTreeRoot(std::string folder) {
  for (;;) {
    struct stat st;
    const std::string git = (folder == "/" ? "" : folder) + "/" + kGitName;
    if (::stat(git.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || S_ISREG(st.st_mode)))
      return folder;
    if (folder == "/") return {};
    const std::size_t slash = folder.rfind('/');
    folder.resize(slash == 0 ? 1 : slash);
  }
}

}  // namespace

void TIgnoreRules::Note(const char* name, TSeen& seen) {
  if (name[0] != '.') return;
  seen.GitIgnore = seen.GitIgnore || std::strcmp(name, kGitIgnoreName) == 0;
  seen.Ignore = seen.Ignore || std::strcmp(name, kIgnoreName) == 0;
  seen.Git = seen.Git || std::strcmp(name, kGitName) == 0;
}

TIgnoreRules::TIgnoreRules(const std::string& start) {
  const auto folder = RealPath(start);
  if (!folder) return;
  const std::string root = WorkTreeRoot(*folder);
  if (root.empty()) return;
  FRelative = folder->substr(std::min(folder->size(), root.size() + (root == "/" ? 0 : 1)));
  // The folders from the root down to the start's parent; the start's own files come with its
  // listing (ReadFolder).
  for (std::size_t length = 0;;) {
    const std::string path = length == 0 ? root : root + "/" + FRelative.substr(0, length);
    const TFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const bool isStart = length == FRelative.size();
    if (fd.Valid()) PushFrame(fd.Get(), length, !isStart, !isStart, length == 0);
    if (isStart) break;
    length = std::min(FRelative.size(), FRelative.find('/', length + 1));
  }
}

void TIgnoreRules::ReadFolder(int folderFd, const TSeen& seen, bool isStart) {
  const bool startsWorkTree = seen.Git && !isStart;
  PushFrame(folderFd, FRelative.size(), seen.GitIgnore && (startsWorkTree || InWorkTree()),
            seen.Ignore, startsWorkTree);
}

void TIgnoreRules::PushFrame(int folderFd, std::size_t folderLength, bool gitIgnore, bool ignore,
                             bool startsWorkTree) {
  TFrame frame;
  frame.FolderLength = folderLength;
  frame.StartsWorkTree = startsWorkTree;
  if (startsWorkTree) frame.Exclude = ReadExclude(folderFd);
  if (gitIgnore) {
    if (const auto text = ReadTextAt(folderFd, kGitIgnoreName, false))
      frame.GitIgnore = ParseIgnoreText(*text);
  }
  if (ignore) {
    if (const auto text = ReadTextAt(folderFd, kIgnoreName, false))
      frame.Ignore = ParseIgnoreText(*text);
  }
  if (startsWorkTree || !frame.GitIgnore.empty() || !frame.Ignore.empty())
    FFrames.push_back(std::move(frame));
}

bool TIgnoreRules::InWorkTree() const {
  return std::any_of(FFrames.begin(), FFrames.end(),
                     [](const TFrame& frame) { return frame.StartsWorkTree; });
}

void TIgnoreRules::Enter(std::string_view name) {
  if (!FRelative.empty()) FRelative.push_back('/');
  FRelative.append(name);
}

void TIgnoreRules::Leave() {
  while (!FFrames.empty() && FFrames.back().FolderLength >= FRelative.size())
    FFrames.pop_back();
  const std::size_t slash = FRelative.rfind('/');
  FRelative.resize(slash == std::string::npos ? 0 : slash);
}

bool TIgnoreRules::Ignored(std::string_view name, bool isFolder) {
  FCandidate.assign(FRelative);
  if (!FCandidate.empty()) FCandidate.push_back('/');
  FCandidate.append(name);
  const std::string_view candidate = FCandidate;
  for (auto frame = FFrames.rbegin(); frame != FFrames.rend(); ++frame) {
    const std::string_view path =
        candidate.substr(frame->FolderLength == 0 ? 0 : frame->FolderLength + 1);
    for (const auto* patterns : {&frame->Ignore, &frame->GitIgnore}) {
      if (const auto verdict = IgnoreVerdict(*patterns, path, isFolder)) return *verdict;
    }
    if (frame->StartsWorkTree) {
      const auto verdict = IgnoreVerdict(frame->Exclude, path, isFolder);
      return verdict.value_or(false);
    }
  }
  return false;
}

}  // namespace fendrel

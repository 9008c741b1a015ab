#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Fd.h"
#include "platform/ReadAt.h"
#include "platform/ReplacingFile.h"

namespace fendrel {
namespace {

// Ini files of a few hundred lines are kilobytes; anything this large is not one of ours, and
// reading it whole for every single setting would only exhaust memory.
constexpr off_t kMaxDataFileSize = 16 * 1024 * 1024;
// A chain of links longer than this is a loop.
constexpr int kMaxLinkDepth = 40;

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that `path` finally names when symbolic links are followed (a dangling link gives
// the place the link points to). Empty for a loop.
std::string FollowLinks(std::string path) {
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(length));
    path = target.front() == '/' ? target : DirectoryOf(path) + "/" + target;
  }
  return {};
}

}  // namespace

TReadResult ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  const TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0)
    return errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Failed;
  struct stat st;
  if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxDataFileSize)
    return TReadResult::Failed;
  content.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[16 * 1024];
  for (;;) {
    const ssize_t got =
        ReadAt(fd.Get(), buffer, sizeof(buffer), static_cast<off_t>(content.size()));
    if (got == 0) break;
    if (got < 0) {
      content.clear();
      return TReadResult::Failed;
    }
    // The file may grow while it is read; the bound holds all the same.
    if (content.size() + static_cast<std::size_t>(got) >
        static_cast<std::size_t>(kMaxDataFileSize)) {
      content.clear();
      return TReadResult::Failed;
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return TReadResult::Read;
}

bool ReplaceFileContent(const std::string& path, std::string_view content) {
  const std::string target = FollowLinks(path);
  if (target.empty()) return false;
  TReplacingFile file(target);
  struct stat previous;
  if (!file.Create(0666)) return false;
  if (::stat(target.c_str(), &previous) == 0 && !file.SetMode(previous.st_mode & 0777))
    return false;
  return file.Write(content.data(), content.size()) && file.Commit();
}

}  // namespace fendrel

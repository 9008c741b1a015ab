#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/Fd.h"
#include "platform/ReadAt.h"

namespace fendrel {
namespace {

// Ini files of a few hundred lines are kilobytes; anything this large is not one of ours, and
// reading it whole for every single setting would only exhaust memory.
constexpr off_t kMaxDataFileSize = 16 * 1024 * 1024;
// A chain of links longer than this is a loop.
constexpr int kMaxLinkDepth = 40;

// The temporary file until it takes the target's name: removed on every other way out.
class TPendingFile {
 public:
  TPendingFile() = default;
  TPendingFile(const TPendingFile&) = delete;
  TPendingFile& operator=(const TPendingFile&) = delete;
  ~TPendingFile() {
    if (!FPath.empty()) ::unlink(FPath.c_str());
  }
  void Created(std::string path) { FPath = std::move(path); }
  void Renamed() { FPath.clear(); }

 private:
  std::string FPath;
};

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

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Creates a fresh file beside `target` under a name no other writer uses, without following a
// link planted under that name. The mode follows the process's umask like any new file.
int CreateBeside(const std::string& target, std::string& tempPath) {
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = dir + "." + name + "." + std::to_string(random()) + ".tmp";
    const int fd =
        ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
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

  TPendingFile pending;
  std::string tempPath;
  TFd fd(CreateBeside(target, tempPath));
  if (fd.Get() < 0) return false;
  pending.Created(tempPath);

  struct stat previous;
  if (::stat(target.c_str(), &previous) == 0 && ::fchmod(fd.Get(), previous.st_mode & 0777) != 0)
    return false;
  if (!WriteAll(fd.Get(), content) || ::fsync(fd.Get()) != 0 || !fd.Close()) return false;
  if (::rename(tempPath.c_str(), target.c_str()) != 0) return false;
  pending.Renamed();

  // The rename itself reaches the disk with the directory.
  const TFd dir(::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) (void)::fsync(dir.Get());
  return true;
}

}  // namespace fendrel

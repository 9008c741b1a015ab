#include "Packer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <set>

#include "ContainerFormat.h"
#include "checksum.h"
#include "fileinst.h"
#include "platform/ReadAt.h"
#include "platform/ReplacingFile.h"

namespace fendrel {
namespace {

constexpr int64_t kLargestField = std::numeric_limits<int32_t>::max();

std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ErrorText(const std::string& what, const std::string& path) {
  return what + " " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
}

// Copies up to `limit` bytes of `path` from its start into `out`; the count copied, or -1 after
// setting `error`. Each file is read once, so its size and checksum describe the same bytes even
// if it changes meanwhile.
int64_t CopyInto(TReplacingFile& out, const std::string& path, int64_t limit, TChecksum& checksum,
                 std::string& error) {
  errno = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    error = ErrorText("cannot read", path);
    return -1;
  }
  constexpr std::size_t kBufferSize = 256 * 1024;
  const auto buffer = std::make_unique<char[]>(kBufferSize);
  int64_t copied = 0;
  while (copied < limit) {
    const auto want = static_cast<std::size_t>(std::min<int64_t>(limit - copied, kBufferSize));
    const ssize_t got = ReadAt(fd, buffer.get(), want, static_cast<off_t>(copied));
    if (got == 0) break;
    if (got < 0 || !out.Write(buffer.get(), static_cast<std::size_t>(got))) {
      error = ErrorText(got < 0 ? "cannot read" : "cannot write beside", path);
      ::close(fd);
      return -1;
    }
    checksum.Add(buffer.get(), static_cast<std::size_t>(got));
    copied += got;
  }
  ::close(fd);
  return copied;
}

}  // namespace

std::string AppendContainerFiles(const std::string& executable,
                                 const std::vector<std::string>& files) {
  if (files.size() + 1 > kMaxEntries)
    return "at most " + std::to_string(kMaxEntries - 1) + " files can be appended";
  const std::string exeName = BaseName(executable);
  if (!IsPlainFileName(exeName) || exeName.size() > kMaxNameLength)
    return "the executable's name must be a file name of at most 100 bytes: " + executable;
  std::set<std::string> names = {exeName};
  for (const std::string& file : files) {
    const std::string name = BaseName(file);
    if (!IsPlainFileName(name) || name.size() > kMaxNameLength)
      return "not a file name of at most 100 bytes: " + file;
    if (!names.insert(name).second) return "a second file named " + name + ": " + file;
  }

  struct stat exeStat;
  errno = 0;
  // Not through a link: the packed file takes the name, and would replace the link itself.
  if (::lstat(executable.c_str(), &exeStat) != 0 || !S_ISREG(exeStat.st_mode))
    return ErrorText("cannot read", executable);
  // Packing a packed executable again replaces its container instead of nesting a second one.
  TContainerDirectory existing;
  int64_t imageSize = exeStat.st_size;
  switch (existing.Read(executable)) {
    case TContainerState::Ok:
      if (existing.Entries().empty() || !existing.Intact(0) ||
          existing.Entries()[0].FileOffset != 0)
        return "the container at the end of " + executable + " has no image entry";
      imageSize = existing.Entries()[0].FileSize;
      break;
    case TContainerState::NoContainer:
      break;
    case TContainerState::Damaged:
      return executable + " ends with a damaged container";
    case TContainerState::Unreadable:
      return ErrorText("cannot read", executable);
  }
  if (imageSize > kLargestField) return executable + " is larger than 2 GiB";

  TReplacingFile out(executable);
  errno = 0;
  if (!out.Create(0600)) return ErrorText("cannot write beside", executable);
  std::string error;
  std::string directory;
  TChecksum imageChecksum;
  const int64_t imageCopied = CopyInto(out, executable, imageSize, imageChecksum, error);
  if (imageCopied < 0) return error;
  if (imageCopied != imageSize) return executable + " changed while it was read";
  directory += EncodeEntry(MakeEntry(exeName, imageSize, 0, imageChecksum.Text()));

  int64_t offset = imageSize;
  for (const std::string& file : files) {
    TChecksum checksum;
    // One byte more than fits tells a file that is too large from one that fits exactly.
    const int64_t size = CopyInto(out, file, kLargestField - offset + 1, checksum, error);
    if (size < 0) return error;
    if (offset + size > kLargestField) return "the appended files pass 2 GiB at " + file;
    directory += EncodeEntry(MakeEntry(BaseName(file), size, offset, checksum.Text()));
    offset += size;
  }
  directory += EncodeTrailer(static_cast<uint16_t>(files.size() + 1));
  errno = 0;
  if (!out.Write(directory.data(), directory.size()) || !out.SetMode(exeStat.st_mode & 07777) ||
      !out.Commit())
    return ErrorText("cannot replace", executable);
  return {};
}

}  // namespace fendrel

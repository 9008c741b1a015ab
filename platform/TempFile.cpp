#include "TempFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "OwnFileNames.h"
#include "RewriteHooks.h"

namespace fendrel {
namespace {

// Large enough that dense replacements cost few system calls; pieces at least as long as the
// buffer skip it and go to the file directly. A small file gets a buffer of its own size: a
// large one per file would cost more to allocate than the file costs to write.
constexpr std::size_t kMaxBufferSize = 256 * 1024;
constexpr std::size_t kMinBufferSize = 4096;
constexpr std::size_t kHoleBlock = 4096;
// Random names are tried this often before the folder is taken to be unusable.
constexpr unsigned kNameAttempts = 64;

bool AllZero(const char* data, std::size_t length) {
  return data[0] == 0 && std::memcmp(data, data + 1, length - 1) == 0;
}

bool SameFile(int folder, const std::string& name, int fd) {
  struct stat byName, byFd;
  return fstatat(folder, name.c_str(), &byName, AT_SYMLINK_NOFOLLOW) == 0 &&
         fstat(fd, &byFd) == 0 && byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino;
}

}  // namespace

TTempFile::~TTempFile() {
  if (!FCommitted && !FName.empty() && FFile.Valid() && SameFile(Folder(), FName, Fd()))
    ::unlinkat(Folder(), FName.c_str(), 0);
}

int TTempFile::Remove() {
  if (FCommitted || FName.empty() || !FFile.Valid()) return 0;
  FCommitted = true;
  if (!SameFile(Folder(), FName, Fd())) return 0;  // no longer ours to remove
  return ::unlinkat(Folder(), FName.c_str(), 0) == 0 ? 0 : errno;
}

int TTempFile::Create(int folderFd, bool keepHoles, std::size_t expectedSize) {
  FFolder.Reset(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
  if (!FFolder.Valid()) return errno;
  FKeepHoles = keepHoles;
  // A test may send every temporary file the way of a file system without unnamed files.
  const bool unnamed = !RewriteHooks().NamedTempFiles;
  if (unnamed) FFile.Reset(::openat(Folder(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (!FFile.Valid()) {
    const int unnamedError = unnamed ? errno : EOPNOTSUPP;
    // Only a file system without unnamed files is a reason to try a name; a full disk or a
    // folder the user may not write is the answer already.
    if (unnamedError != EOPNOTSUPP && unnamedError != EISDIR && unnamedError != EINVAL)
      return unnamedError;
    if (const int error = CreateNamed(); error != 0) return error;
  }
  FBufferSize = std::clamp(expectedSize + expectedSize / 8, kMinBufferSize, kMaxBufferSize);
  FBuffer.reset(new char[FBufferSize]);  // uninitialised: every byte is written before use
  return 0;
}

int TTempFile::CreateNamed() {
  constexpr int kFlags = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = TempFileName(attempt);
    FFile.Reset(::openat(Folder(), name.c_str(), kFlags, 0600));
    if (FFile.Valid()) {
      FName = name;
      FCreatedNamed = true;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int TTempFile::GiveName() {
  if (!FName.empty()) return 0;
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    const int error = NameAs(TempFileName(attempt));
    if (error != EEXIST) return error;
  }
  return EEXIST;
}

int TTempFile::NameAs(const std::string& name) {
  if (!FName.empty()) {
    const int error = RenameNoReplace(Folder(), FName, name);
    if (error == 0) FName = name;
    return error;
  }
  const std::string self = "/proc/self/fd/" + std::to_string(Fd());
  int result = ::linkat(AT_FDCWD, self.c_str(), Folder(), name.c_str(), AT_SYMLINK_FOLLOW);
  if (result != 0 && errno == ENOENT)  // no /proc: the direct form, where it is permitted
    result = ::linkat(Fd(), "", Folder(), name.c_str(), AT_EMPTY_PATH);
  if (result != 0) return errno;
  FName = name;
  return 0;
}

int RenameNoReplace(int folder, const std::string& from, const std::string& to) {
  if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // The file system cannot refuse to replace; checking first leaves only a narrow race.
  struct stat st;
  if (::fstatat(folder, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0 ? 0 : errno;
}

bool TTempFile::WriteAt(const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t written = ::pwrite(Fd(), data, length, FLength);
    if (written < 0) {
      if (errno == EINTR) continue;
      FError = errno;  // includes EFAULT for pages of a source that vanished, EFBIG at a limit
      return false;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
    FLength += written;
  }
  return true;
}

bool TTempFile::WriteKeepingHoles(const char* data, std::size_t length) {
  while (length > 0) {
    // Up to the next block boundary of the file, so that only whole blocks become holes.
    const std::size_t piece =
        std::min(length, kHoleBlock - static_cast<std::size_t>(FLength % kHoleBlock));
    if (piece == kHoleBlock && AllZero(data, piece)) {
      FLength += static_cast<off_t>(piece);
    } else if (!WriteAt(data, piece)) {
      return false;
    }
    data += piece;
    length -= piece;
  }
  return true;
}

bool TTempFile::FlushBuffer() {
  const std::size_t pending = FBuffered;
  FBuffered = 0;
  return FKeepHoles ? WriteKeepingHoles(FBuffer.get(), pending) : WriteAt(FBuffer.get(), pending);
}

bool TTempFile::Write(const char* data, std::size_t length) {
  if (FError != 0 || !FFile.Valid()) return false;
  if (length > 0) FEndsInHole = false;
  if (FBuffered + length <= FBufferSize) {
    std::memcpy(FBuffer.get() + FBuffered, data, length);
    FBuffered += length;
    return true;
  }
  if (!FlushBuffer()) return false;
  if (length >= FBufferSize)
    return FKeepHoles ? WriteKeepingHoles(data, length) : WriteAt(data, length);
  std::memcpy(FBuffer.get(), data, length);
  FBuffered = length;
  return true;
}

bool TTempFile::Skip(std::size_t length) {
  if (FError != 0 || !FFile.Valid() || !FlushBuffer()) return false;
  FLength += static_cast<off_t>(length);
  FEndsInHole = length > 0;
  return true;
}

int TTempFile::FinishWriting() {
  if (!FFile.Valid()) return EBADF;
  if (FError != 0 || !FlushBuffer()) return FError;
  FBuffer.reset();
  // A file that ends in a hole has not reached its length by writing.
  if ((FKeepHoles || FEndsInHole) && ::ftruncate(Fd(), FLength) != 0) return FError = errno;
  return 0;
}

void TTempFile::StartFlush() {
  if (FFile.Valid()) (void)::sync_file_range(Fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

int TTempFile::Flush() {
  if (!FFile.Valid()) return EBADF;
  return ::fsync(Fd()) == 0 ? 0 : errno;
}

}  // namespace fendrel

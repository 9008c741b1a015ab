#include "TempFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fendrel {
namespace {

// Large enough that dense replacements cost few system calls; pieces at least this long skip
// the buffer and go to the file directly.
constexpr std::size_t kBufferSize = 256 * 1024;

}  // namespace

std::string TempFileName(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return dir + "snr4.tmp";
}

TTempFile::~TTempFile() {
  if (FFd >= 0) ::close(FFd);
  if (FCreated && !FCommitted) ::unlink(FPath.c_str());
}

bool TTempFile::Create() {
  constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  FFd = ::open(FPath.c_str(), kFlags, 0600);
  // A file or link left under the name goes first; a link is removed, never followed.
  if (FFd < 0 && errno == EEXIST && ::unlink(FPath.c_str()) == 0)
    FFd = ::open(FPath.c_str(), kFlags, 0600);
  if (FFd < 0) return false;
  FCreated = true;
  FBuffer = std::make_unique<char[]>(kBufferSize);
  return true;
}

bool TTempFile::WriteThrough(const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t written = ::write(FFd, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;  // includes EFAULT for pages of a source that vanished
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

bool TTempFile::FlushBuffer() {
  const std::size_t pending = FBuffered;
  FBuffered = 0;
  return WriteThrough(FBuffer.get(), pending);
}

bool TTempFile::Write(const char* data, std::size_t length) {
  if (FFailed || FFd < 0) return false;
  if (FBuffered + length <= kBufferSize) {
    std::memcpy(FBuffer.get() + FBuffered, data, length);
    FBuffered += length;
    return true;
  }
  if (!FlushBuffer()) {
    FFailed = true;
    return false;
  }
  if (length >= kBufferSize) {
    if (!WriteThrough(data, length)) FFailed = true;
    return !FFailed;
  }
  std::memcpy(FBuffer.get(), data, length);
  FBuffered = length;
  return true;
}

bool TTempFile::Finish() {
  if (FFailed || FFd < 0) return false;
  if (!FlushBuffer() || ::fsync(FFd) != 0) FFailed = true;
  return !FFailed;
}

}  // namespace fendrel

#include "ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace fendrel {
namespace {

// The name stays well within the file-name limit however long the target's own name is.
constexpr std::size_t kNameRoom = 100;
constexpr int kNameAttempts = 100;

}  // namespace

TReplacingFile::~TReplacingFile() {
  FFile.Reset();
  if (!FTempPath.empty() && !FCommitted) ::unlink(FTempPath.c_str());
}

bool TReplacingFile::Create(mode_t mode) {
  const auto slash = FTarget.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : FTarget.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? FTarget : FTarget.substr(slash + 1);
  std::random_device random;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08X.tmp", static_cast<unsigned>(random()));
    // A leading dot keeps the half-written file out of ordinary listings.
    const std::string path = dir + "." + name.substr(0, kNameRoom) + suffix;
    FFile.Reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (FFile.Valid()) {
      FTempPath = path;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool TReplacingFile::SetMode(mode_t mode) {
  return FFile.Valid() && ::fchmod(FFile.Get(), mode) == 0;
}

bool TReplacingFile::Write(const char* data, std::size_t length) {
  if (!FFile.Valid()) return false;
  while (length > 0) {
    const ssize_t written = ::write(FFile.Get(), data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

bool TReplacingFile::Commit() {
  if (!FFile.Valid()) return false;
  const bool flushed = ::fsync(FFile.Get()) == 0;
  if (!FFile.Close() || !flushed || ::rename(FTempPath.c_str(), FTarget.c_str()) != 0) return false;
  FCommitted = true;
  const auto slash = FTarget.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : FTarget.substr(0, slash);
  const TFd folder(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return folder.Valid() && ::fsync(folder.Get()) == 0;
}

}  // namespace fendrel

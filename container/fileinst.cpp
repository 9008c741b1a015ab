#include "fileinst.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "checksum.h"
#include "platform/ReadAt.h"
#include "platform/ReplacingFile.h"

namespace fendrel {
namespace {

// The running executable itself, even after a newer build has taken its name.
constexpr const char* kOwnExecutable = "/proc/self/exe";

// A read-only descriptor of a regular file, closed on every way out.
class TSourceFile {
 public:
  explicit TSourceFile(const std::string& path) {
    // O_NONBLOCK keeps a FIFO under the name from blocking the open; it is refused below.
    FFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st;
    if (FFd >= 0 && ::fstat(FFd, &st) == 0 && S_ISREG(st.st_mode)) FSize = st.st_size;
  }
  ~TSourceFile() {
    if (FFd >= 0) ::close(FFd);
  }
  TSourceFile(const TSourceFile&) = delete;
  TSourceFile& operator=(const TSourceFile&) = delete;

  bool IsOpen() const { return FSize >= 0; }
  int64_t Size() const { return FSize; }

  // Reads up to `length` bytes at `offset`; fewer only at the end of the file, -1 on error.
  ssize_t ReadAt(char* data, std::size_t length, int64_t offset) const {
    return fendrel::ReadAt(FFd, data, length, static_cast<off_t>(offset));
  }

 private:
  int FFd = -1;
  int64_t FSize = -1;
};

TContainerDirectory gOwnContainer;

}  // namespace

TContainerState TContainerDirectory::Read(const std::string& path) {
  FPath = path;
  FEntries.clear();
  FDirectoryStart = 0;
  FState = TContainerState::Unreadable;

  const TSourceFile file(path);
  if (!file.IsOpen()) return FState;
  if (file.Size() < static_cast<int64_t>(kTrailerSize))
    return FState = TContainerState::NoContainer;
  char trailer[kTrailerSize];
  if (file.ReadAt(trailer, kTrailerSize, file.Size() - kTrailerSize) !=
      static_cast<ssize_t>(kTrailerSize))
    return FState;
  const std::optional<uint16_t> count = DecodeTrailer(trailer);
  if (!count) return FState = TContainerState::NoContainer;

  // No packer writes more than 255 entries; a count beyond that, or a directory longer than the
  // file, is damage, and reading on would mean reading entries from the wrong place.
  const int64_t directorySize = static_cast<int64_t>(*count) * kEntrySize;
  if (*count > kMaxEntries || directorySize + static_cast<int64_t>(kTrailerSize) > file.Size())
    return FState = TContainerState::Damaged;
  FDirectoryStart = file.Size() - static_cast<int64_t>(kTrailerSize) - directorySize;

  std::string directory(static_cast<std::size_t>(directorySize), '\0');
  if (file.ReadAt(directory.data(), directory.size(), FDirectoryStart) != directorySize) {
    FDirectoryStart = 0;
    return FState;
  }
  for (std::size_t at = 0; at < directory.size(); at += kEntrySize)
    FEntries.push_back(DecodeEntry(directory.data() + at));
  return FState = TContainerState::Ok;
}

bool TContainerDirectory::Intact(std::size_t index) const {
  if (index >= FEntries.size()) return false;
  const TContainerEntry& entry = FEntries[index];
  return entry.NameLength <= kMaxNameLength && IsPlainFileName(entry.FileName) &&
         entry.FileSize >= 0 && entry.FileOffset >= 0 &&
         static_cast<int64_t>(entry.FileOffset) + entry.FileSize <= FDirectoryStart;
}

TExtractResult TContainerDirectory::Extract(std::size_t index, const std::string& targetDirectory,
                                            const std::string& targetName) const {
  if (!Intact(index)) return TExtractResult::Failed;
  const TContainerEntry& entry = FEntries[index];
  const std::string& name = targetName.empty() ? entry.FileName : targetName;
  if (!targetName.empty() && !IsPlainFileName(targetName)) return TExtractResult::Failed;
  std::string target = targetDirectory;
  if (!target.empty() && target.back() != '/') target += '/';
  target += name;

  const TSourceFile source(FPath);
  if (!source.IsOpen()) return TExtractResult::Failed;
  TReplacingFile out(target);
  if (!out.Create(0666)) return TExtractResult::Failed;
  TChecksum checksum;
  char buffer[64 * 1024];
  int64_t offset = entry.FileOffset;
  int64_t remaining = entry.FileSize;
  while (remaining > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<int64_t>(remaining, sizeof buffer));
    // A file that has shrunk since its directory was read ends the copy short: a failure, not a
    // shorter file.
    if (source.ReadAt(buffer, want, offset) != static_cast<ssize_t>(want) ||
        !out.Write(buffer, want))
      return TExtractResult::Failed;
    checksum.Add(buffer, want);
    offset += static_cast<int64_t>(want);
    remaining -= static_cast<int64_t>(want);
  }
  if (!out.Commit()) return TExtractResult::Failed;
  // The checksum of the bytes as they were written, rather than of the file read back.
  return checksum.Text() == entry.Checksum ? TExtractResult::Ok : TExtractResult::Mismatch;
}

void ReadContainerDirectory() {
  gOwnContainer.Read(kOwnExecutable);
}

uint16_t ContainerFileCount() {
  return static_cast<uint16_t>(gOwnContainer.FileCount());
}

bool ExtractContainerFile(std::size_t index, const std::string& targetDirectory,
                          const std::string& targetName) {
  return gOwnContainer.Extract(index, targetDirectory, targetName) == TExtractResult::Ok;
}

}  // namespace fendrel

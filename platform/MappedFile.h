// Read-only mapping of a whole file, safe against the file shrinking underneath it. Small files
// are read into memory instead: for them a mapping costs more than the read.
//
// When another program truncates a mapped file, reading the vanished pages would normally kill
// the process. While a TMappedFile is open, such a fault inside its range is caught: the page is
// replaced by zeros, the mapping is marked Damaged() and reading goes on, so the caller can fail
// its task instead of the program dying. Faults anywhere else keep their usual effect.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <string>

namespace fendrel {

class TMappedFile {
 public:
  enum class TOpenResult {
    Ok,
    Missing,    // no such file
    CannotMap,  // cannot be opened, is empty, is not a regular file, or does not fit
    Failed,     // any other error
  };

  TMappedFile() = default;
  ~TMappedFile() { Close(); }
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;

  // The file `name` of the open folder `folderFd`, which must not be a symbolic link
  // (CannotMap). When the file was changed so recently that a further change could leave its
  // times as they are, the open waits until the system clock has moved on, so that every change
  // made after the file was read shows in Identity().
  TOpenResult Open(int folderFd, const std::string& name);
  // The same, but a large file with holes is left unmapped (Begin() is nullptr, Size() its
  // size): its data is then read a part at a time with MapPart, so that the holes cost neither
  // memory nor address space.
  TOpenResult OpenLeavingHoles(int folderFd, const std::string& name);
  // Maps `length` bytes from `offset` of a file left unmapped, in place of the part mapped
  // before, with the same protection against the file shrinking. Returns the part's first byte,
  // or nullptr with Error() set.
  const char* MapPart(off_t offset, std::size_t length);
  // The same for a path of any length.
  TOpenResult Open(const std::string& path);
  // The file `name` of the open folder `folderFd`, not a symbolic link, read as it is now,
  // without waiting for the clock: for a reader that never compares it with a later state.
  // Open() it when this fails, to learn why in the same words. With `leaveHoles`, a large file
  // with holes is left unmapped as by OpenLeavingHoles.
  TOpenResult OpenAsItIs(int folderFd, const std::string& name, bool leaveHoles = false);
  // Lets the whole pages of the mapping before `at` go, from this process and from the page
  // cache, for a reader that streams through a large file once and never reads them again: its
  // memory then stays small, and the pages it writes take the place of those it let go. Nothing
  // for a file read into memory.
  void DropBefore(const char* at);
  // Releases the mapping and keeps the file open.
  void Unmap();
  void Close();

  const char* Begin() const { return FData; }
  const char* End() const { return FData + FSize; }
  std::size_t Size() const { return FSize; }
  // The file as it was when it was mapped: device, inode, size, modification and change times
  // tell whether another program has changed it since.
  const struct stat& Identity() const { return FIdentity; }
  // The open file, while open.
  int Fd() const { return FFd; }
  // The errno of a failed open or mapping; 0 when the file was refused for what it is (empty,
  // not a regular file, too large).
  int Error() const { return FError; }
  // True when pages vanished while the mapping was read: the content seen is not the file's.
  bool Damaged() const { return FDamaged != 0; }

 private:
  friend struct TMappingRegistry;

  static constexpr std::size_t kReadLimit = 64 * 1024;
  // Reads the file just opened as FFd (or fails with errno when that open failed).
  TOpenResult Read(bool whenChangesShow, bool leaveHoles = false);
  TOpenResult ReadWhole(std::size_t size);

  int FFd = -1;
  const char* FData = nullptr;
  // What is mapped: the whole file, or the part MapPart mapped (from a page boundary).
  const char* FMapBase = nullptr;
  std::size_t FMapLength = 0;
  off_t FMapOffset = 0;           // where in the file the mapping begins
  std::unique_ptr<char[]> FCopy;  // the content of a small file, read
  std::size_t FSize = 0;
  struct stat FIdentity {};
  int FError = 0;
  volatile int FDamaged = 0;           // set by the fault handler of the owning thread
  TMappedFile* FNextActive = nullptr;  // the owning thread's list of open mappings
};

// True when `now` is still the file described by `before` (same device, inode, size,
// modification and change times).
bool SameFileState(const struct stat& before, const struct stat& now);

}  // namespace fendrel

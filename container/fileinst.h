// fileinst: the directory of the files appended to an executable, and writing those files out.
//
// TContainerDirectory reads the directory at the end of any file; the command line and the tests
// use it directly. The unit-level functions below hold the running executable's own directory:
// the program reads it once at start-up, before any window exists, and only reads it afterwards.
//
// A container comes from a file the user can replace, so nothing in it is trusted: the directory
// is read only when it lies inside the file (at most 255 entries, never more memory), and an
// entry is written out only when its name is a plain file name of at most 100 bytes and its bytes
// lie among the appended data. Other entries are listed but never extracted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ContainerFormat.h"

namespace fendrel {

enum class TContainerState {
  NoContainer,  // the file does not end with a trailer: nothing is appended
  Ok,
  Damaged,     // a trailer whose directory cannot lie inside the file: nothing is appended
  Unreadable,  // the file cannot be opened or read, or is not a regular file
};

enum class TExtractResult {
  Ok,        // written, and its checksum is the stored one
  Mismatch,  // written, but its checksum differs from the stored one; the file stays
  Failed,    // not written: the entry was refused or a file operation failed
};

class TContainerDirectory {
 public:
  // Reads the trailer and the directory at the end of `path`, replacing what was read before.
  TContainerState Read(const std::string& path);

  TContainerState State() const { return FState; }
  // Entry 0 describes the executable image; the appended files follow.
  const std::vector<TContainerEntry>& Entries() const { return FEntries; }
  // The number of appended files besides the executable image (0 for an empty directory).
  std::size_t FileCount() const { return FEntries.empty() ? 0 : FEntries.size() - 1; }
  // Where the directory begins: the end of the appended data.
  int64_t DirectoryStart() const { return FDirectoryStart; }

  // True when entry `index` is whole: its stored name is a plain file name (IsPlainFileName) of
  // at most 100 bytes and its bytes lie between the start of the file and the directory. Only
  // such an entry is ever written out.
  bool Intact(std::size_t index) const;

  // Writes entry `index` into `targetDirectory` (a '/' is put between them unless it ends with
  // one; empty means the current directory) under `targetName`, or under the stored name when
  // that is empty; a name given must be a plain file name too. The file appears complete
  // or not at all: a failure leaves any existing file of that name as it was.
  TExtractResult Extract(std::size_t index, const std::string& targetDirectory,
                         const std::string& targetName = {}) const;

 private:
  std::string FPath;
  TContainerState FState = TContainerState::NoContainer;
  std::vector<TContainerEntry> FEntries;
  int64_t FDirectoryStart = 0;
};

// Reads the directory of the running executable.
void ReadContainerDirectory();
// The number of files appended to the running executable besides its image.
uint16_t ContainerFileCount();
// Writes entry `index` of the running executable; true when it was written and its checksum is
// the stored one.
bool ExtractContainerFile(std::size_t index, const std::string& targetDirectory,
                          const std::string& targetName);

}  // namespace fendrel

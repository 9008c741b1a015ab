// The record an in-place rewrite leaves beside its copy of the previous content while it writes
// into a file, and the recovery that finds such records after a run died part way.
//
// A file that a new file cannot stand in for is rewritten in place, after a complete copy of its
// previous content is on disk (its backup, or a safety copy). Before the first byte is written,
// a small record ("snr4.XXXXXXXX.undo", one of the program's own names) names the file, the
// copy, their sizes and checksums of the previous and the new content. A run that completes
// removes the record; a run that dies leaves it, and the next start in that folder finds it: a
// file that holds the complete new content keeps it, any other gets the previous content back
// from the copy. Only records made by the runner, by root or by the file's owner are acted on,
// and only on the very file (device and inode) they name, so no other user can steer a
// recovery.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

// What a rewrite in place writes down before it touches the file.
struct TInPlaceIntent {
  std::string File;  // the file's name in its folder
  std::string Copy;  // the copy of the previous content, in the same folder
  bool CopyIsBackup = false;
  std::string Temp;         // the new content's named temporary file, if it has a name
  struct stat Identity {};  // the file (device and inode)
  off_t OldSize = 0;
  uint64_t OldSum = 0;
  off_t NewSize = 0;
  uint64_t NewSum = 0;
};

// What a recovery did with one record.
struct TRecovery {
  std::string File;  // the file's path
  std::string Text;  // what was done, in the program's own words
  bool Failed = false;
};

// The checksum a record keeps of `length` bytes of the open file `fd` from its start; false
// when they cannot be read.
bool ContentSum(int fd, off_t length, uint64_t& sum);

// Writes the record of `intent` into the open folder `folder` and flushes it; returns its name,
// or empty with errno set.
std::string WriteIntentRecord(int folder, const TInPlaceIntent& intent);

// Removes the record `name` of the open folder `folder`. 0 or errno.
int RemoveIntentRecord(int folder, const std::string& name);

// True for a record's name.
bool IsIntentRecordName(std::string_view name);

// Finishes every interrupted rewrite in place recorded in the folder `folderPath` (open as
// `folder`): the file keeps its complete new content, or gets its previous content back; the
// copy made for the rewrite (unless it is a backup) and the record then go. Waits for a rewrite
// in place that a running program is making there. One entry per record found.
std::vector<TRecovery> RecoverFolder(int folder, const std::string& folderPath);
std::vector<TRecovery> RecoverFolder(const std::string& folderPath);

}  // namespace fendrel

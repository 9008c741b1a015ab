// A file written under a temporary name beside its target and renamed over the target only once
// it is complete and on disk, so the target's name always holds either its old content or the
// complete new one: the program's own files (settings, lists, extracted and packed files) are
// all replaced this way. (Users' files go through TTempFile and PutInPlace, which also keep
// their owner, attributes and backups.)
//
// Extraction and the packer both replace files that something may be using while they work:
// another instance of the program may have the extracted library mapped, and a half-packed
// executable must never be left for the build to run. Renaming leaves a mapped old file intact
// where rewriting it in place would pull its pages away.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "Fd.h"

namespace fendrel {

class TReplacingFile {
 public:
  explicit TReplacingFile(std::string target) : FTarget(std::move(target)) {}
  // Removes the temporary file unless it was committed.
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  // Creates a temporary file of a fresh name in the target's directory, exclusively (so never
  // through a link), with `mode` less the umask. Each writer gets its own name, so two programs
  // extracting the same file at once cannot write into each other's.
  bool Create(mode_t mode);
  // Sets the permission bits exactly, umask or not.
  bool SetMode(mode_t mode);
  bool Write(const char* data, std::size_t length);
  // Flushes the file to disk, renames it over the target and flushes the folder, so the new name
  // is on disk too. False when a step fails; when only the folder's flush did, the target has
  // the new content but it may not be on disk.
  bool Commit();

  const std::string& TempPath() const { return FTempPath; }

 private:
  std::string FTarget;
  std::string FTempPath;
  TFd FFile;
  bool FCommitted = false;
};

}  // namespace fendrel

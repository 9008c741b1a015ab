// A file written under a temporary name beside its target and renamed over the target only once
// it is complete and on disk, so the target's name always holds either its old content or the
// complete new one.
//
// Extraction and the packer both replace files that something may be using while they work:
// another instance of the program may have the extracted library mapped, and a half-packed
// executable must never be left for the build to run. Renaming leaves a mapped old file intact
// where rewriting it in place would pull its pages away.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

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
  // Flushes the file to disk and renames it over the target.
  bool Commit();

  const std::string& TempPath() const { return FTempPath; }

 private:
  std::string FTarget;
  std::string FTempPath;
  int FFd = -1;
  bool FCommitted = false;
};

}  // namespace fendrel

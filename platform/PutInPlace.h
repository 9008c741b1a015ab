// Puts a finished temporary file in the place of the file it rewrites, so that at every moment
// the file's name holds either the complete old or the complete new content.
#pragma once

#include <sys/stat.h>

#include <string>

#include "TempFile.h"

namespace fendrel {

struct TPutOutcome {
  bool Replaced = false;
  // The new backup of the previous content, when one was asked for and the file was replaced.
  std::string BackupName;
  // When the new content could not take the file's name: where it was kept instead (empty if
  // it could not be kept either, or if the file had been changed by another program).
  std::string KeptAs;
};

// `target` is the file that was read (a real file, not a link); `original` its state when it
// was read. The temporary file takes the permission bits of the original (set-id bits dropped,
// owner write added) and, where the process may, its owner and group; it is flushed to disk;
// the target must still be in the state `original`, otherwise another program changed it and
// its content stays. With `backup`, the previous file first gets the first free name
// target + "." + n + ".snr_bak" (n from 0), never replacing an existing file.
TPutOutcome PutInPlace(TTempFile& temp, const std::string& target, const struct stat& original,
                       bool backup);

}  // namespace fendrel

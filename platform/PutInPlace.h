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
  // Why the file was not replaced, in the program's own words.
  std::string Reason;
  // What the user should know about a file that was replaced: a file of the program's own that
  // could not be removed.
  std::string Notice;
};

// The file `name` of the temporary file's folder, whose full path is `path`, takes the new
// content by a rename. `temp` has been written, carries the file's attributes and is on disk;
// `originalFd` is the file read, open, and `original` its state when it was read. The name must
// still hold that file in that state, otherwise another program changed it and its content
// stays. With `backup`, the file read first gets the first free name path + "." + n +
// ".snr_bak" (n from 0), never replacing an existing file. The caller flushes the folder
// afterwards.
TPutOutcome PutInPlace(TTempFile& temp, int originalFd, const std::string& name,
                       const std::string& path, const struct stat& original, bool backup);

// The same for a file that a new file cannot stand in for (it has further hard links, or its
// owner or an attribute cannot be given to a new file): a complete copy of the previous content
// goes to disk first (the backup, or a temporary safety copy removed afterwards), then the new
// content is written into the file itself, which keeps its identity. `originalFd` is the file,
// open for reading. A write that fails part way puts the previous content back; a run that dies
// part way leaves a record from which the next start puts it back (InPlaceRecovery.h). With
// `keepTimes` the file gets `original`'s access and modification times back once written; when
// it cannot, the outcome's notice says why.
TPutOutcome RewriteInPlace(TTempFile& temp, int originalFd, const std::string& name,
                           const std::string& path, const struct stat& original, bool backup,
                           bool keepTimes = false);

}  // namespace fendrel

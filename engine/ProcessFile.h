// Carries out one task on one file: maps it, lets the matcher write the new content to the
// temporary file beside it, and puts that in the file's place, keeping the previous file as a
// numbered backup when the task asks for one.
#pragma once

#include <cstdint>

#include "SnRTast.h"
#include "StatusSink.h"

namespace fendrel {

// Result codes besides a count of replacements (0 or more).
enum TProcessResult : int64_t {
  prMissing = -1,      // the file does not exist
  prOpenFailed = -2,   // an unexpected error while opening or mapping
  prMatchFailed = -3,  // the matcher failed (bad old string or pattern, temporary file, content)
  prPutFailed = -4,    // the new content could not be put in place, or the file was changed
  prCannotMap = -5,    // cannot be opened, is empty, or is not a regular file
};

// Sends the name of a new backup to `sink` (when given) once the file has been replaced.
int64_t ProcessFile(const TSnRTast& task, TStatusSink* sink);

}  // namespace fendrel

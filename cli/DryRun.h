// fendrel-cli replace --dry-run: what a run would do, worked out by the engine's preview, which
// reads and matches each file exactly as a run does and writes nothing at all.
#pragma once

#include <cstdint>
#include <string>

#include "engine/RunBuilder.h"
#include "engine/StatusSink.h"

namespace fendrel::cli {

// Sends `sink` the reports a run of `tasks` would send, counts and failures alike, without the
// backups (none is made). After an interrupt the tasks not reached are reported as skipped.
// Returns the number of tasks that would fail.
int64_t DryRun(const TTaskList& tasks, TStatusSink& sink);

// Prints to standard output, for every file the run would change, a unified difference listing
// named "a/REL" and "b/REL" with REL the file's path below `dir`, so that `patch -p1` in `dir`
// gives what the run would write; a file holding a zero byte gets the line "Binary file REL
// would change (N replacements)" instead, and the lines of a UTF-16 file are its decoded text,
// headed by "UTF-16 LE file REL, shown as UTF-8:" (or BE), for reading only. Reasons of failures go
// to standard error. With `colour`, in a terminal's colours. Returns the number of files that
// would fail; an interrupt ends the listing after the file in hand.
int64_t DiffRun(const TTaskList& tasks, const std::string& dir, bool colour = false);

}  // namespace fendrel::cli

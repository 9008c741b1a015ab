// What replace takes from elsewhere than a folder: the list of files to work on from a file or
// standard input (--files-from), and the data of a filter run, standard input to standard
// output ("replace - OLD NEW").
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/RunBuilder.h"

namespace fendrel::cli {

// The paths in `source` ("-": standard input), one per line or, with `nulSeparated`, ended by
// zero bytes as "git ls-files -z" writes them; empty entries are passed over, and a relative
// path is taken from the current directory. nullopt, with `error`, when it cannot be read.
std::optional<std::vector<std::string>> ReadFileList(const std::string& source, bool nulSeparated,
                                                     std::string& error);

// Reads standard input whole, replaces as `tasks` (built for the one file "-") say, one after
// the other, and writes the result to standard output, also when nothing was replaced. A task
// that fails writes nothing and tells why on standard error. Returns the exit status.
int FilterStandardInput(const TTaskList& tasks);

}  // namespace fendrel::cli

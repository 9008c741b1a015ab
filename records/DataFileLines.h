// The line format of the program's own list files ("backup.dat", "result.log"): written with
// CR LF after every line, read with CR LF, LF or CR as line ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

// Every line followed by CR LF; no lines give no bytes at all.
std::string JoinCrLfLines(const std::vector<std::string>& lines);

// The lines of `content`: a line ends at CR LF, LF or CR, a last line without an end counts, and
// the text ends at its first zero byte.
std::vector<std::string> SplitLines(std::string_view content);

// `directory` + "/" + `name`, without doubling a '/' that the directory already ends in; just
// `name` for an empty directory.
std::string DataFilePath(const std::string& directory, std::string_view name);

}  // namespace fendrel

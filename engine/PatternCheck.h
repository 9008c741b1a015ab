// Checking a regular expression before any file is touched: an invalid pattern would fail
// every file of a run alike, so both front ends say so while the user can still mend it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

// Why the pattern a task would use (`oldString` up to its first zero byte, as the rewrite takes
// it) does not compile, in plain words with the compiler's code and position: "error 103:
// unmatched parenthesis at position 2"; nothing when it compiles.
std::optional<std::string> PatternError(std::string_view oldString);

// The same for the lines of a multi-line old string, in each of the forms a run joins them to.
std::optional<std::string> MultiLinePatternError(const std::vector<std::string>& lines);

}  // namespace fendrel

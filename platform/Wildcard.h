// The file-name mask of the file search: '*' any run of characters, '?' exactly one, letters
// compared through the active case table. A mask ending in ".*" also matches names without a
// dot: "*.*" matches every name, "report.*" also "report". Several masks may be given at once,
// apart by ';' ("*.c;*.h") or as the alternatives of braces ("*.{c,h}", "{Make,CMake}*"): a name
// matches when one of them does.
#pragma once

#include <string_view>

namespace fendrel {

bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace fendrel

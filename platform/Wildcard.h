// The file-name mask of the file search: one pattern, '*' any run of characters, '?' exactly
// one, letters compared through the active case table. A mask ending in ".*" also matches
// names without a dot: "*.*" matches every name, "report.*" also "report".
#pragma once

#include <string_view>

namespace fendrel {

bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace fendrel

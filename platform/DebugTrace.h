// The program's debug output: silent unless the build switches tracing on.
#pragma once

#include <string_view>

namespace fendrel {

void DebugTrace(std::string_view text);

}  // namespace fendrel

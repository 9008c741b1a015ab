#include "DebugTrace.h"

#include <cstdio>

namespace fendrel {

void DebugTrace([[maybe_unused]] std::string_view text) {
#ifdef FENDREL_TRACE
  std::fprintf(stderr, "[fendrel] %.*s\n", static_cast<int>(text.size()), text.data());
#endif
}

}  // namespace fendrel

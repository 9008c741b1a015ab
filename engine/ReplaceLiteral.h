// The literal modes of a rewrite: every occurrence of the old string, left to right and never
// overlapping, is replaced by the new string byte for byte; everything else is copied. Ignoring
// case in UTF-8, an occurrence is the old string's characters in any case (see LiteralSearcher.h).
#pragma once

#include <cstdint>

#include "SnRTast.h"
#include "platform/ByteSink.h"

namespace fendrel {

// Writes [begin, end) to `out` with every match of the task's old string replaced; writes
// nothing when there is no match. Returns the number of replacements, or -3 when the old string
// is empty or `out` cannot be written.
int64_t ReplaceLiteral(TByteSink& out, const char* begin, const char* end, const TSnRTast& task);

}  // namespace fendrel

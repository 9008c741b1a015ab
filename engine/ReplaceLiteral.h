// The literal modes of a rewrite: every occurrence of the old string, left to right and never
// overlapping, is replaced by the new string byte for byte; everything else is copied.
#pragma once

#include <cstdint>

#include "SnRTast.h"
#include "platform/TempFile.h"

namespace fendrel {

// Creates `out` and writes [begin, end) into it with every match of the task's old string
// replaced. Returns the number of replacements, or -3 when the old string is empty or the
// temporary file cannot be created or written.
int64_t ReplaceLiteral(TTempFile& out, const char* begin, const char* end, const TSnRTast& task);

}  // namespace fendrel

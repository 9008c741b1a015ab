// The matcher of a task, chosen by its search mode: what a run writes, a preview shows and a dry
// run counts comes from this one function.
#pragma once

#include <cstdint>
#include <string>

#include "SnRTast.h"
#include "platform/ByteSink.h"

namespace fendrel {

// Writes [begin, end) to `out` with every match of the task replaced (nothing at all for a
// literal search without matches). Returns the number of replacements, or -3 with the reason in
// `why`. Unchanged bytes are written straight from [begin, end), never from a copy: a preview
// tells them from replacements by where they lie.
int64_t ReplaceMatches(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       std::string& why);

}  // namespace fendrel

// The regular-expression mode of a rewrite: the file is an alternation of text runs and binary
// runs; each text run goes through the engine's replace-all, each binary run is copied, so a
// match never spans a binary byte and control bytes never reach the engine.
#pragma once

#include <cstdint>

#include <string>
#include "SnRTast.h"

#include "platform/ByteSink.h"

namespace fendrel {

// Text bytes of a single-byte code page: tab, LF, CR, 32-127 and 160-255; every other byte is
// binary. In UTF-8 the bytes from 128 on are text as the valid characters from U+00A0 they
// belong to; the C1 controls and bytes that begin no valid character are binary.
bool IsTextByte(unsigned char c);

// Writes [begin, end) to `out` with every match of the task's pattern (its old string up to the
// first zero byte) replaced by its template (the new string up to the first zero byte). The
// pattern is compiled once, at the first run. Returns the number of replacements, or -3 when the
// pattern is empty or invalid, the engine raises an error (its message goes to `why`), or `out`
// cannot be written.
int64_t ReplacePattern(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       std::string& why);

}  // namespace fendrel

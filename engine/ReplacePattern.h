// The regular-expression mode of a rewrite: the file is an alternation of text runs and binary
// runs; each text run goes through the engine's replace-all, each binary run is copied, so a
// match never spans a binary byte and control bytes never reach the engine.
#pragma once

#include <cstdint>

#include <memory>
#include <string>
#include <string_view>

#include "SnRTast.h"

#include "platform/ByteSink.h"

namespace fendrel {

class TRegExpr;

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

// The same for content matched in several calls, one after another, the pattern compiled once:
// the pieces of a UTF-16 file. Each call but the first must begin where a text run begins after
// a binary one (LastTextRunStart), so that its runs are the runs of the whole; the first is the
// start of the content, where a UTF-8 byte-order mark is no text. Counts add up in Count().
class TPatternReplacer {
 public:
  explicit TPatternReplacer(const TSnRTast& task);
  ~TPatternReplacer();
  // False, with the reason in `why`, as ReplacePattern fails.
  bool Replace(TByteSink& out, const char* begin, const char* end, std::string& why);
  int64_t Count() const { return FCount; }

 private:
  std::unique_ptr<TRegExpr> FRegExpr;
  std::string_view FReplacement;
  bool FUtf8;
  bool FFirst = true;
  int64_t FCount = 0;
};

// Where the last text run of [begin, end) begins that follows a binary one within it, the runs
// read as ReplacePattern reads them, with every character of the UTF-8 text whole; nullptr when
// there is none. No match takes in a binary character, so a match never spans that place.
const char* LastTextRunStart(const char* begin, const char* end);

}  // namespace fendrel

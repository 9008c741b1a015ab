// Compiles an arbitrary pattern and runs it over an arbitrary subject, with the program or its
// settings changed between a match and the questions about it: every search and substitution
// must end, with a result or an ERegExpr, without crashing, leaking or touching memory it does
// not own.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "regexpr/RegExpr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // Byte 0 chooses the modifiers, byte 1 how much of the rest is the pattern; the rest of the
  // rest is the subject.
  const std::size_t patternLength = std::min<std::size_t>(data[1], size - 2);
  const std::string_view pattern(reinterpret_cast<const char*>(data + 2), patternLength);
  const std::string_view subject(reinterpret_cast<const char*>(data + 2 + patternLength),
                                 size - 2 - patternLength);
  fendrel::TRegExpr regExpr;
  regExpr.Modifiers = data[0] & 0x3F;
  regExpr.SetExpression(pattern);
  try {
    // The two high bits of byte 0 choose a change made between a match and the questions about
    // it: callers may ask for the groups after setting up the next search.
    if (regExpr.Exec(subject)) {
      switch (data[0] >> 6) {
        case 1:
          regExpr.SetExpression(subject.substr(0, 8));
          break;
        case 2:
          regExpr.Modifiers ^= 1;
          break;
        case 3:
          regExpr.LineBreakChars = "\n";
          break;
      }
      for (int g = 0; g < 15; ++g)  // group 0 and groups 1-14
        (void)regExpr.MatchLength(g);
      (void)regExpr.ExpandTemplate("$1$2");
      (void)regExpr.ExecNext();
    }
    regExpr.SetExpression(pattern);
    regExpr.Modifiers = data[0] & 0x3F;
    for (bool found = regExpr.Exec(subject); found; found = regExpr.ExecNext()) {
      (void)regExpr.MatchOffset(1);
    }
    int64_t counter = 0;
    (void)regExpr.ReplaceEach(subject, "<$1|$&|${12}>\\$", true, counter);
  } catch (const fendrel::ERegExpr&) {
  }
  return 0;
}

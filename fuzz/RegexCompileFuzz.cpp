// Compiles arbitrary bytes as a pattern: every input must either compile into a program that the
// dump can walk, or raise ERegExpr; nothing may crash, leak or touch memory it does not own.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "regexpr/RegExpr.h"
#include "regexpr/RegExprDump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fendrel::TRegExpr regExpr;
  // The first byte chooses the modifiers, so every modifier combination is explored.
  regExpr.Modifiers = data[0] & 0x3F;
  regExpr.SetExpression(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  try {
    regExpr.Compile();
    (void)fendrel::DumpProgram(regExpr.Program());
  } catch (const fendrel::ERegExpr&) {
  }
  return 0;
}

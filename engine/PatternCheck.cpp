#include "PatternCheck.h"

#include "RunBuilder.h"
#include "regexpr/RegExpr.h"

namespace fendrel {

namespace {

// The compiler's errors as a user reads them; nullptr for one the compiler's own text says best.
const char* PlainWords(int32_t code) {
  switch (code) {
    case 100:
      return "the pattern is empty";
    case 102:
      return "too many parentheses";
    case 103:
    case 104:
      return "unmatched parenthesis";
    case 105:
      return "unmatched closing parenthesis";
    case 106:
      return "a repetition (*, + or {n,}) of something that may match nothing";
    case 107:
      return "a repetition of a repetition";
    case 108:
      return "a bad hexadecimal digit";
    case 109:
      return "an invalid range in [...]";
    case 110:
    case 116:
      return "a \\ at the end of the pattern";
    case 111:
      return "no hexadecimal code after \\x";
    case 112:
      return "the code after \\x is too big";
    case 113:
      return "unmatched [";
    case 115:
      return "*, +, ? or { follows nothing";
    case 122:
      return "a number in {...} is too big";
    case 124:
      return "the minimum in {min,max} is greater than the maximum";
    case 125:
      return "unclosed (?#...) comment";
    case 127:
      return "unknown modifier after (?";
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<std::string> PatternError(std::string_view oldString) {
  try {
    TRegExpr regExpr;
    regExpr.SetExpression(oldString.substr(0, oldString.find('\0')));
    regExpr.Compile();
  } catch (const ERegExpr& error) {
    const char* plain = PlainWords(error.ErrorNumber);
    return "error " + std::to_string(error.ErrorNumber) + ": " + (plain ? plain : error.what()) +
           (plain ? " at position " + std::to_string(error.ErrorOffset) : std::string());
  }
  return std::nullopt;
}

std::optional<std::string> MultiLinePatternError(const std::vector<std::string>& lines) {
  for (std::string_view lineBreak : {"\r\n", "\n", "\r"}) {
    const auto joined = JoinMemoLines(lines, lineBreak);
    if (!joined || joined->empty()) continue;  // too long or empty: the run refuses it anyway
    if (auto error = PatternError(*joined)) return error;
  }
  return std::nullopt;
}

}  // namespace fendrel

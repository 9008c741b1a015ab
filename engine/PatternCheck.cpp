#include "PatternCheck.h"

#include "RunBuilder.h"
#include "regexpr/RegExpr.h"

namespace fendrel {

std::optional<std::string> PatternError(std::string_view oldString) {
  try {
    TRegExpr regExpr;
    regExpr.SetExpression(oldString.substr(0, oldString.find('\0')));
    regExpr.Compile();
  } catch (const ERegExpr& error) {
    return "error " + std::to_string(error.ErrorNumber) + " " + error.what();
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

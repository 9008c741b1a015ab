// Substitution: the replacement template and replacing every match.
#include <cstdint>

#include "RegExpr.h"
#include "RegExprOpcodes.h"

namespace fendrel {
namespace {

// Reads a group reference behind '$' at `at`: "{"? ("&" | digits) and "}" when the brace was
// there. Returns false, consuming nothing, when none can be read.
bool ReadGroupReference(std::string_view text, std::size_t& at, int64_t& group) {
  std::size_t p = at;
  const bool brace = p < text.size() && text[p] == '{';
  if (brace) ++p;
  group = 0;
  if (p < text.size() && text[p] == '&') {
    ++p;
  } else {
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p)
      group = group < kREGroupCount ? group * 10 + (text[p] - '0') : group;  // no overflow
  }
  if (brace) {
    if (p >= text.size() || text[p] != '}') return false;
    ++p;
  }
  if (p == at) return false;
  at = p;
  return true;
}

}  // namespace

std::string TRegExpr::ExpandTemplate(std::string_view replacement) {
  PrepareProgram();
  if (!FInputSet) Fail(1005);
  std::string result;
  ExpandInto(replacement, result);
  return result;
}

void TRegExpr::ExpandInto(std::string_view replacement, std::string& result) const {
  ResolveGroups();
  for (std::size_t at = 0; at < replacement.size();) {
    const char c = replacement[at++];
    int64_t group = 0;
    if (c == '$' && ReadGroupReference(replacement, at, group)) {
      if (group < kREGroupCount && FMatchStarts[group] >= 0 && FMatchEnds[group] >= 0)
        result.append(
            FSubject.substr(FMatchStarts[group], FMatchEnds[group] - FMatchStarts[group]));
    } else if (c == '\\' && at < replacement.size()) {
      result += replacement[at++];
    } else {
      result += c;
    }
  }
}

void TRegExpr::ReplaceStored(std::string_view replacement, bool useTemplate, int64_t& counter,
                             const TTextSink& sink) {
  int64_t previous = 0;
  std::string expanded;  // one buffer for every match's expansion
  // The first search checks the settings and program; the searches after it use them as they are.
  for (bool found = ExecPos(1); found; found = ExecFrom(NextSearchOffset(), true)) {
    const int64_t start = FMatchStarts[0];
    if (start > previous) sink(FSubject.substr(previous, start - previous));
    if (useTemplate) {
      expanded.clear();
      ExpandInto(replacement, expanded);
      sink(expanded);
    } else {
      sink(replacement);
    }
    previous = FMatchEnds[0];
    ++counter;
  }
  sink(FSubject.substr(previous));
}

void TRegExpr::ReplaceEach(std::string_view input, std::string_view replacement, bool useTemplate,
                           int64_t& counter, const TTextSink& sink) {
  SetInputView(input);
  const std::size_t searched = FSubject.size();
  try {
    ReplaceStored(replacement, useTemplate, counter, sink);
  } catch (...) {
    SetInputString({});  // the caller's text is not kept
    throw;
  }
  SetInputString({});
  if (input.size() > searched) sink(input.substr(searched));  // behind the first NUL
}

std::string TRegExpr::ReplaceEach(std::string_view input, std::string_view replacement,
                                  bool useTemplate, int64_t& counter) {
  SetInputString(input);
  std::string result;
  ReplaceStored(replacement, useTemplate, counter,
                [&result](std::string_view piece) { result += piece; });
  result.append(input.substr(FSubject.size()));  // behind the first NUL, unchanged
  return result;
}

std::string ReplaceAllMatches(std::string_view pattern, std::string_view input,
                              std::string_view replacement, bool useTemplate, int64_t& counter) {
  TRegExpr regExpr;
  regExpr.SetExpression(pattern);
  return regExpr.ReplaceEach(input, replacement, useTemplate, counter);
}

}  // namespace fendrel

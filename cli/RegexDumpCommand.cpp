// fendrel-cli regex-dump: how a pattern compiles, for checking a pattern and for tests.
#include <cstdio>

#include "CommandLine.h"
#include "Commands.h"
#include "regexpr/RegExpr.h"
#include "regexpr/RegExprDump.h"

namespace fendrel::cli {

int RegexDumpCommand(const std::vector<std::string>& args) {
  static const std::vector<TOptionSpec> kOptions = {{nullptr, "--modifiers", true}};
  std::string error;
  const auto parsed = ParseArgs(args, kOptions, 1, error);
  if (!parsed) {
    std::fprintf(stderr, "fendrel-cli regex-dump: %s\nTry 'fendrel-cli --help'.\n", error.c_str());
    return kExitUsage;
  }
  TRegExpr regExpr;
  try {
    if (parsed->Has("--modifiers")) regExpr.SetModifierStr(parsed->Options.at("--modifiers"));
  } catch (const ERegExpr&) {
    std::fprintf(stderr,
                 "fendrel-cli regex-dump: --modifiers takes the letters i r s g m x, "
                 "and '-' before those to switch off\n");
    return kExitUsage;
  }
  try {
    regExpr.SetExpression(parsed->Positional[0]);
    regExpr.Compile();
  } catch (const ERegExpr& e) {
    std::printf("error %d %s\n", e.ErrorNumber, e.what());
    return kExitFailed;
  }

  const std::string_view program = regExpr.Program();
  std::string bytes;
  for (char c : program) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(c));
    bytes += hex;
  }
  std::string required;
  for (char c : regExpr.RequiredText()) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(c));
    required += hex;
  }
  char anchor[3] = "-";
  if (regExpr.AnchorChar() != 0) std::snprintf(anchor, sizeof anchor, "%02X", regExpr.AnchorChar());
  std::printf(
      "size %zu\nbytes%s\nanchor-char %s\nanchored-at-start %d\nrequired-text %s\n"
      "first-chars %s\n%s",
      program.size(), bytes.c_str(), anchor, regExpr.AnchoredAtStart() ? 1 : 0,
      required.empty() ? "-" : required.c_str(), CharSetText(regExpr.FirstChars()).c_str(),
      DumpProgram(program).c_str());
  return kExitOk;
}

}  // namespace fendrel::cli

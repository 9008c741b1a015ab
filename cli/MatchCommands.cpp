// fendrel-cli match and substitute: the regular-expression engine on one subject, for checking
// a pattern or a template before a run.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "CommandLine.h"
#include "Commands.h"
#include "regexpr/RegExpr.h"

namespace fendrel::cli {
namespace {

int Usage(const char* command, const std::string& error) {
  std::fprintf(stderr, "fendrel-cli %s: %s\nTry 'fendrel-cli --help'.\n", command, error.c_str());
  return kExitUsage;
}

// Applies --modifiers; false (after a usage message) when the letters are not modifiers.
bool ApplyModifiers(const char* command, const TParsedArgs& parsed, TRegExpr& regExpr) {
  if (!parsed.Has("--modifiers")) return true;
  try {
    regExpr.SetModifierStr(parsed.Options.at("--modifiers"));
    return true;
  } catch (const ERegExpr&) {
    Usage(command, "--modifiers takes the letters i r s g m x, and '-' before those to switch off");
    return false;
  }
}

int EngineError(const ERegExpr& e) {
  std::printf("error %d %s\n", e.ErrorNumber, e.what());
  return kExitFailed;
}

}  // namespace

int MatchCommand(const std::vector<std::string>& args) {
  static const std::vector<TOptionSpec> kOptions = {{nullptr, "--modifiers", true},
                                                    {nullptr, "--count", false},
                                                    {nullptr, "--subject-file", true}};
  std::string error;
  const auto parsed = ParseArgs(args, kOptions, kAnyCount, error);
  if (!parsed) return Usage("match", error);
  const bool fromFile = parsed->Has("--subject-file");
  if (parsed->Positional.size() != (fromFile ? 1u : 2u))
    return Usage("match", fromFile ? "expected PATTERN and --subject-file FILE"
                                   : "expected PATTERN and SUBJECT");
  TRegExpr regExpr;
  if (!ApplyModifiers("match", *parsed, regExpr)) return kExitUsage;

  std::string subject;
  if (fromFile) {
    std::ifstream in(parsed->Options.at("--subject-file"), std::ios::binary);
    if (!in) return Usage("match", "cannot read " + parsed->Options.at("--subject-file"));
    std::ostringstream content;
    content << in.rdbuf();
    subject = content.str();
  } else {
    subject = parsed->Positional[1];
  }
  const bool countOnly = parsed->Has("--count");
  int64_t matches = 0;
  try {
    regExpr.SetExpression(parsed->Positional[0]);
    for (bool found = regExpr.Exec(subject); found; found = regExpr.ExecNext()) {
      ++matches;
      if (countOnly) continue;
      std::printf("match %lld %d %d\n", static_cast<long long>(matches), regExpr.MatchOffset(0),
                  regExpr.MatchLength(0));
      for (int group = 1; group < 15; ++group) {
        if (regExpr.MatchOffset(group) > 0)
          std::printf("group %d %d %d\n", group, regExpr.MatchOffset(group),
                      regExpr.MatchLength(group));
      }
    }
  } catch (const ERegExpr& e) {
    return EngineError(e);
  }
  std::printf("matches %lld\n", static_cast<long long>(matches));
  return kExitOk;
}

int SubstituteCommand(const std::vector<std::string>& args) {
  static const std::vector<TOptionSpec> kOptions = {{nullptr, "--modifiers", true},
                                                    {nullptr, "--literal", false}};
  std::string error;
  const auto parsed = ParseArgs(args, kOptions, 3, error);
  if (!parsed) return Usage("substitute", error);
  TRegExpr regExpr;
  if (!ApplyModifiers("substitute", *parsed, regExpr)) return kExitUsage;
  int64_t replacements = 0;
  std::string result;
  try {
    regExpr.SetExpression(parsed->Positional[0]);
    result = regExpr.ReplaceEach(parsed->Positional[1], parsed->Positional[2],
                                 !parsed->Has("--literal"), replacements);
  } catch (const ERegExpr& e) {
    return EngineError(e);
  }
  std::printf("replacements %lld\n", static_cast<long long>(replacements));
  std::fwrite(result.data(), 1, result.size(), stdout);
  std::fputc('\n', stdout);
  return kExitOk;
}

}  // namespace fendrel::cli

#include "CommandLine.h"

namespace fendrel::cli {
namespace {

void Store(TParsedArgs& parsed, const TOptionSpec& spec, const std::string& value) {
  parsed.Options[spec.Long] = value;
  if (spec.Repeatable) parsed.Repeated[spec.Long].push_back(value);
}

}  // namespace

std::optional<TParsedArgs> ParseArgs(const std::vector<std::string>& args,
                                     const std::vector<TOptionSpec>& specs,
                                     std::size_t positionalCount, std::string& error) {
  TParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.Positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const TOptionSpec* spec = nullptr;
    for (const TOptionSpec& candidate : specs) {
      if (name == candidate.Long || (candidate.Short != nullptr && name == candidate.Short))
        spec = &candidate;
    }
    if (spec == nullptr) {
      error = "unknown option " + name;
      return std::nullopt;
    }
    if (!spec->TakesValue && equals != std::string::npos) {
      error = std::string("option ") + spec->Long + " takes no value";
      return std::nullopt;
    }
    if (spec->TakesValue && equals == std::string::npos && spec->ValueAfterEqualsOnly) {
      error =
          std::string("option ") + spec->Long + " takes its value only as " + spec->Long + "=VALUE";
      return std::nullopt;
    }
    if (spec->TakesValue && equals == std::string::npos) {
      // The value may also be the next argument: --subject-file FILE.
      if (i + 1 == args.size()) {
        error = std::string("option ") + spec->Long + " needs a value";
        return std::nullopt;
      }
      Store(parsed, *spec, args[++i]);
      continue;
    }
    Store(parsed, *spec, equals == std::string::npos ? "" : arg.substr(equals + 1));
  }
  if (positionalCount != kAnyCount && parsed.Positional.size() != positionalCount) {
    error = "expected " + std::to_string(positionalCount) + " arguments, got " +
            std::to_string(parsed.Positional.size());
    return std::nullopt;
  }
  return parsed;
}

}  // namespace fendrel::cli

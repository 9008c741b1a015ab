#include "CommandLine.h"

#include <algorithm>

namespace fendrel::cli {
namespace {

void Store(TParsedArgs& parsed, const TOptionSpec& spec, const std::string& value) {
  parsed.Options[spec.Long] = value;
  if (spec.Repeatable) parsed.Repeated[spec.Long].push_back(value);
}

// "-ri" as "-r" "-i": a group of short options, each a known one; nullopt for anything else.
std::optional<std::vector<std::string>> ShortGroup(const std::string& arg,
                                                   const std::vector<TOptionSpec>& specs) {
  if (arg.size() < 3 || arg[0] != '-' || arg[1] == '-' || arg.find('=') != std::string::npos)
    return std::nullopt;
  std::vector<std::string> options;
  for (std::size_t i = 1; i < arg.size(); ++i) {
    const std::string option = {'-', arg[i]};
    const auto spec = std::find_if(specs.begin(), specs.end(), [&](const TOptionSpec& candidate) {
      return candidate.Short != nullptr && option == candidate.Short;
    });
    // A value would be the group's next argument: only the last of the group may take one.
    if (spec == specs.end() || (spec->TakesValue && i + 1 != arg.size())) return std::nullopt;
    options.push_back(option);
  }
  return options;
}

}  // namespace

std::optional<TParsedArgs> ParseArgs(const std::vector<std::string>& given,
                                     const std::vector<TOptionSpec>& specs,
                                     std::size_t positionalCount, std::string& error) {
  TParsedArgs parsed;
  bool optionsEnded = false;
  std::vector<std::string> args;
  args.reserve(given.size());
  for (const std::string& arg : given) {
    const auto group = optionsEnded ? std::nullopt : ShortGroup(arg, specs);
    if (group)
      args.insert(args.end(), group->begin(), group->end());
    else
      args.push_back(arg);
    optionsEnded = optionsEnded || arg == "--";
  }
  optionsEnded = false;
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

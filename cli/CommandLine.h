// Table-driven parsing of a subcommand's arguments: options (short, long, with or without a
// value, anywhere before "--"; short ones may be grouped, "-ri" for "-r -i") and the positional
// arguments in order.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fendrel::cli {

struct TOptionSpec {
  const char* Short;  // "-r", or nullptr
  const char* Long;   // "--recursive"
  bool TakesValue;    // given as --name=VALUE or --name VALUE
  // May be given several times, each value kept (--exclude=A --exclude=B); any other option
  // given twice keeps its last value.
  bool Repeatable = false;
};

struct TParsedArgs {
  std::map<std::string, std::string> Options;  // by long name; "" for a flag; the last value
  std::map<std::string, std::vector<std::string>> Repeated;  // a repeatable option's values
  std::vector<std::string> Positional;
  bool Has(const std::string& longName) const { return Options.count(longName) != 0; }
  // Every value of a repeatable option, in the order given; empty when it was not given.
  std::vector<std::string> All(const std::string& longName) const {
    const auto found = Repeated.find(longName);
    return found == Repeated.end() ? std::vector<std::string>{} : found->second;
  }
};

inline constexpr std::size_t kAnyCount = static_cast<std::size_t>(-1);

// Parses `args` (an option's value as --name=VALUE or as the next argument, a short one's as
// the next argument, also at the end of a group); on a usage error returns nullopt and sets
// `error`. kAnyCount leaves the count of positional arguments to the caller.
std::optional<TParsedArgs> ParseArgs(const std::vector<std::string>& args,
                                     const std::vector<TOptionSpec>& specs,
                                     std::size_t positionalCount, std::string& error);

}  // namespace fendrel::cli

#include "OwnFileNames.h"

#include <sys/random.h>

#include <cstdint>
#include <cstdio>

namespace fendrel {
namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// "snr4" + ending for attempt 0, else "snr4." + eight random hexadecimal digits + ending.
std::string OwnName(unsigned attempt, const char* ending) {
  if (attempt == 0) return std::string("snr4") + ending;
  uint32_t random = 0;
  if (getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random)
    random = static_cast<uint32_t>(attempt * 2654435761u);  // still distinct per attempt
  char name[32];
  std::snprintf(name, sizeof name, "snr4.%08x%s", static_cast<unsigned>(random), ending);
  return name;
}

}  // namespace

std::string TempFileName(unsigned attempt) {
  return OwnName(attempt, ".tmp");
}

std::string IntentRecordName(unsigned attempt) {
  return OwnName(attempt, ".undo");
}

std::string BackupFileName(const std::string& file, unsigned long n) {
  return file + "." + std::to_string(n) + ".snr_bak";
}

TBackupName ParseBackupName(std::string_view name) {
  constexpr std::string_view kEnding = ".snr_bak";
  if (!EndsWith(name, kEnding)) return {};
  const std::string_view rest = name.substr(0, name.size() - kEnding.size());
  std::size_t digits = 0;
  while (digits < rest.size() && rest[rest.size() - 1 - digits] >= '0' &&
         rest[rest.size() - 1 - digits] <= '9')
    ++digits;
  if (digits == 0 || digits + 1 >= rest.size() || rest[rest.size() - 1 - digits] != '.') return {};
  return {rest.substr(0, rest.size() - 1 - digits), rest.substr(rest.size() - digits)};
}

std::string KeptFileName(const std::string& file, unsigned long n) {
  return n == 0 ? file + ".snr_new" : file + "." + std::to_string(n) + ".snr_new";
}

bool IsOwnFileName(std::string_view name) {
  if (name == "snr4.tmp") return true;
  if (name.size() > 9 && name.substr(0, 5) == "snr4." && EndsWith(name, ".tmp")) return true;
  if (name.size() >= 9 && name.substr(0, 5) == "snr4." && EndsWith(name, ".undo")) return true;
  if (EndsWith(name, ".snr_new")) return true;
  return !ParseBackupName(name).Number.empty();
}

}  // namespace fendrel

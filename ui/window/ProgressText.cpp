#include "ProgressText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "i18n/LanguageTable.h"

namespace fendrel {
namespace {

// One decimal, with the decimal comma in German.
std::string OneDecimal(double value, bool german) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string result = text;
  if (german)
    for (char& c : result)
      if (c == '.') c = ',';
  return result;
}

std::string Bytes(uint64_t done, uint64_t total, bool german) {
  const char* const of = german ? " von " : " of ";
  if (total < 1000) return std::to_string(done) + of + std::to_string(total) + " B";
  struct TUnit {
    double Size;
    const char* Name;
  };
  constexpr TUnit kUnits[] = {{1e3, " kB"}, {1e6, " MB"}, {1e9, " GB"}};
  TUnit unit = kUnits[0];
  for (const TUnit& larger : kUnits)
    if (static_cast<double>(total) >= larger.Size) unit = larger;
  return OneDecimal(static_cast<double>(done) / unit.Size, german) + of +
         OneDecimal(static_cast<double>(total) / unit.Size, german) + unit.Name;
}

// "m:ss", or "h:mm:ss" from an hour on; a fraction of a second counts as a whole one, so that
// "0:00" means done.
std::string Duration(double seconds) {
  const auto whole = static_cast<uint64_t>(std::ceil(seconds));
  char text[48];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                  static_cast<unsigned long long>(whole / 3600),
                  static_cast<unsigned long long>(whole / 60 % 60),
                  static_cast<unsigned long long>(whole % 60));
  else
    std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(whole / 60),
                  static_cast<unsigned long long>(whole % 60));
  return text;
}

}  // namespace

std::string ProgressText(uint64_t tasksDone, uint64_t tasksTotal, uint64_t bytesDone,
                         uint64_t bytesTotal, double seconds, int32_t language) {
  const bool german = language == kGerman;
  std::string text = std::to_string(tasksDone) + (german ? " von " : " of ") +
                     std::to_string(tasksTotal) + (german ? " Aufgaben, " : " tasks, ") +
                     Bytes(bytesDone, bytesTotal, german);
  if (seconds <= 0) return text;
  text += ", " + OneDecimal(static_cast<double>(bytesDone) / 1e6 / seconds, german) + " MB/s";
  // The share still to do, measured in what the run's work consists of.
  const bool byBytes = bytesTotal > 0;
  const double done = static_cast<double>(byBytes ? bytesDone : tasksDone);
  const double total = static_cast<double>(byBytes ? bytesTotal : tasksTotal);
  if (done <= 0) return text;
  const std::string left = Duration(std::max(0.0, seconds * (total - done) / done));
  return text + (german ? ", noch " + left : ", " + left + " left");
}

}  // namespace fendrel

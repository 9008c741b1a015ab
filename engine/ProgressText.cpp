#include "ProgressText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "i18n/LanguageFileTexts.h"

namespace fendrel {
namespace {

// One decimal, after the language's decimal separator.
std::string OneDecimal(double value, int32_t language) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  const std::string_view whole(text);
  const std::size_t point = whole.find('.');
  if (point == std::string_view::npos) return text;
  return std::string(whole.substr(0, point)) +
         std::string(CatalogueText(TTextId::DecimalSeparator, language)) +
         std::string(whole.substr(point + 1));
}

std::string Bytes(uint64_t done, uint64_t total, int32_t language) {
  const std::string_view text = CatalogueText(TTextId::ProgressBytes, language);
  if (total < 1000)
    return FillPlaceholders(text, {std::to_string(done), std::to_string(total), "B"});
  struct TUnit {
    double Size;
    const char* Name;
  };
  constexpr TUnit kUnits[] = {{1e3, "kB"}, {1e6, "MB"}, {1e9, "GB"}};
  TUnit unit = kUnits[0];
  for (const TUnit& larger : kUnits)
    if (static_cast<double>(total) >= larger.Size) unit = larger;
  return FillPlaceholders(
      text, {OneDecimal(static_cast<double>(done) / unit.Size, language),
             OneDecimal(static_cast<double>(total) / unit.Size, language), unit.Name});
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
  std::string text = FillPlaceholders(CatalogueText(TTextId::ProgressTasks, language),
                                      {std::to_string(tasksDone), std::to_string(tasksTotal)}) +
                     ", " + Bytes(bytesDone, bytesTotal, language);
  if (seconds <= 0) return text;
  text += ", " + OneDecimal(static_cast<double>(bytesDone) / 1e6 / seconds, language) + " MB/s";
  // The share still to do, measured in what the run's work consists of.
  const bool byBytes = bytesTotal > 0;
  const double done = static_cast<double>(byBytes ? bytesDone : tasksDone);
  const double total = static_cast<double>(byBytes ? bytesTotal : tasksTotal);
  if (done <= 0) return text;
  const std::string left = Duration(std::max(0.0, seconds * (total - done) / done));
  return text + ", " + FillPlaceholders(CatalogueText(TTextId::ProgressTimeLeft, language), {left});
}

}  // namespace fendrel

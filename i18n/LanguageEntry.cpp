#include "LanguageEntry.h"

namespace fendrel {

std::optional<std::string> ReadLanguageEntry(const std::string& languageFile,
                                             std::string_view section, std::string_view key) {
  return ReadLanguageEntry(TIniReader(languageFile), section, key);
}

std::optional<std::string> ReadLanguageEntry(const TIniReader& languageFile,
                                             std::string_view section, std::string_view key) {
  std::string text = languageFile.ReadString(section, key, kMissingEntry);
  if (text == kMissingEntry) return std::nullopt;
  return text;
}

}  // namespace fendrel

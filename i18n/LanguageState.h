// The process-wide language: the catalogue, the current language and the language file in use,
// read from the settings file at start-up, and the settings half of a language change. The
// windows apply the texts themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "LanguageTable.h"
#include "settings/Locations.h"

namespace fendrel {

inline constexpr std::string_view kSpracheKey = "Sprache";
inline constexpr std::string_view kSprachdateiKey = "Sprachdatei";
// The language file of a built-in language n is this + n in decimal.
inline constexpr std::string_view kTranslateFilePrefix = "Translate.Sprache.";

class TLanguageState {
 public:
  // Start-up: the catalogue of the data directory; the current language from "Sprache" (1 when
  // absent or not a number); for -1 the language file that "Sprachdatei" names in the data
  // directory, or German when it names none; for any other n the file "Translate.Sprache." + n.
  // Whether the language file exists is not asked.
  explicit TLanguageState(const TLocations& locations);

  int32_t CurrentLanguage() const { return FCurrentLanguage; }
  // Full path; empty only after a start with "Sprache=-1" and no "Sprachdatei". Fixed at
  // start-up: a language change does not rename it.
  const std::string& LanguageFile() const { return FLanguageFile; }
  const std::vector<TLanguage>& LanguageTable() const { return FLanguageTable; }

  // Makes `language` current and writes it to "Sprache", with the language file's name
  // (without its directory) to "Sprachdatei", in one replacement of the settings file.
  void ChangeLanguage(int32_t language);

 private:
  std::string FSettingsFile;
  std::vector<TLanguage> FLanguageTable;
  int32_t FCurrentLanguage = kEnglish;
  std::string FLanguageFile;
};

// The process's language state, read on first use from the process's locations.
TLanguageState& ProgramLanguage();

}  // namespace fendrel

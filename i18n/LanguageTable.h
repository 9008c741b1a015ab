// The languages the program offers: the two built-in ones, then every language file found in
// the data directory at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

// The current language: texts are German exactly when it is 0; -1 takes them from a language
// file (with the English texts where a window sets its own).
inline constexpr int32_t kGerman = 0;
inline constexpr int32_t kEnglish = 1;
inline constexpr int32_t kLanguageFromFile = -1;

// The files the catalogue looks at, and the entry that makes one a language file.
inline constexpr std::string_view kLanguageFileMask = "Language.*";
inline constexpr std::string_view kLanguageNameKey = "LanguageName";

struct TLanguage {
  int32_t LanguageNumber = 0;
  // Full path; empty for a built-in language.
  std::string LanguageFileName;
  std::string DisplayName;
};

// (0, "deutsch"), (1, "english"), then one entry numbered -1 for each file (never a directory)
// of `dataDirectory` matching "Language.*", in listing order, whose section "Generel" holds a
// "LanguageName"; that name is the display name. Other matching files are skipped.
std::vector<TLanguage> ReadLanguageTable(const std::string& dataDirectory);

}  // namespace fendrel

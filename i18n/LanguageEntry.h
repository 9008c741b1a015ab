// Reading the texts of a language file: one section per window, one key per text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/Iniregi.h"

namespace fendrel {

// The text a language file gives for "missing": an entry holding it leaves its text as it is,
// as does an absent entry.
inline constexpr std::string_view kMissingEntry = "XXX";

// The entry's text (at most the reader's 298 characters), or nothing when it is absent, reads
// as "XXX", or the file cannot be read.
std::optional<std::string> ReadLanguageEntry(const std::string& languageFile,
                                             std::string_view section, std::string_view key);
// The same from a file read once, for the many entries of one window.
std::optional<std::string> ReadLanguageEntry(const TIniReader& languageFile,
                                             std::string_view section, std::string_view key);

}  // namespace fendrel

// The program's name and version, and the home pages (one per built-in language) that the About
// window, the banner window and the Help menu link to.
#pragma once

#include <cstdint>
#include <string_view>

#include "FendrelVersion.h"

namespace fendrel {

inline constexpr std::string_view kProgramName = "Fendrel";
inline constexpr std::string_view kProgramVersion = kFendrelVersion;
inline constexpr std::string_view kHomePageEnglish = "https://fendrel.example.org/";
inline constexpr std::string_view kHomePageGerman = "https://fendrel.example.org/de/";
// The companion tool the banner window tells about.
inline constexpr std::string_view kPairsName = "Fendrel Pairs";
inline constexpr std::string_view kPairsPageEnglish = "https://fendrel.example.org/pairs/";
inline constexpr std::string_view kPairsPageGerman = "https://fendrel.example.org/de/pairs/";

// The German page exactly when the language is 0, as for every other German text.
constexpr std::string_view HomePageUrl(int32_t language) {
  return language == 0 ? kHomePageGerman : kHomePageEnglish;
}
constexpr std::string_view PairsPageUrl(int32_t language) {
  return language == 0 ? kPairsPageGerman : kPairsPageEnglish;
}

}  // namespace fendrel

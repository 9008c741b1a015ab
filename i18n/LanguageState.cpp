#include "LanguageState.h"

#include "settings/Iniregi.h"

namespace fendrel {

TLanguageState::TLanguageState(const TLocations& locations)
    : FSettingsFile(locations.SettingsFile),
      FLanguageTable(ReadLanguageTable(locations.DataDirectory)) {
  const TIniReader settings(FSettingsFile);
  FCurrentLanguage = settings.ReadInteger(kGenerelSection, kSpracheKey, kEnglish);
  if (FCurrentLanguage == kLanguageFromFile) {
    const std::string name = settings.ReadString(kGenerelSection, kSprachdateiKey, "");
    if (name.empty())
      FCurrentLanguage = kGerman;
    else
      FLanguageFile = locations.DataDirectory + name;
  } else {
    FLanguageFile = locations.DataDirectory + std::string(kTranslateFilePrefix) +
                    std::to_string(FCurrentLanguage);
  }
}

void TLanguageState::ChangeLanguage(int32_t language) {
  FCurrentLanguage = language;
  const std::size_t slash = FLanguageFile.rfind('/');
  const std::string fileName =
      slash == std::string::npos ? FLanguageFile : FLanguageFile.substr(slash + 1);
  (void)IniWriteStrings(FSettingsFile, kGenerelSection,
                        {{std::string(kSpracheKey), std::to_string(language)},
                         {std::string(kSprachdateiKey), fileName}});
}

TLanguageState& ProgramLanguage() {
  static TLanguageState state(ProgramLocations());
  return state;
}

}  // namespace fendrel

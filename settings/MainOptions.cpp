#include "MainOptions.h"

#include "Iniregi.h"
#include "Locations.h"

namespace fendrel {

void LoadMainOptions(const std::string& settingsFile, TMainOptions& options) {
  const TIniReader settings(settingsFile);
  options.FCreateBackups = settings.ReadBool(kGenerelSection, kBackupKey, options.FCreateBackups);
  options.FLogMode = settings.ReadInteger(kGenerelSection, kLoggingKey, options.FLogMode);
  options.FShowHelpWindow =
      settings.ReadBool(kGenerelSection, kShowHelpWindowKey, options.FShowHelpWindow);
  options.FShowBackupFileList =
      settings.ReadBool(kGenerelSection, kShowBackupFileListKey, options.FShowBackupFileList);
}

bool SaveMainOptions(const std::string& settingsFile, const TMainOptions& options) {
  const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
  return IniWriteStrings(
      settingsFile, kGenerelSection,
      {{std::string(kBackupKey), flag(options.FCreateBackups)},
       {std::string(kLoggingKey), std::to_string(options.FLogMode)},
       {std::string(kShowHelpWindowKey), flag(options.FShowHelpWindow)},
       {std::string(kShowBackupFileListKey), flag(options.FShowBackupFileList)}});
}

}  // namespace fendrel

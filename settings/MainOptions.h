// The main window's four options, as they are kept between runs in section "Generel" of the
// settings file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fendrel {

inline constexpr std::string_view kBackupKey = "Backup";
inline constexpr std::string_view kLoggingKey = "Logging";
inline constexpr std::string_view kShowHelpWindowKey = "ShowHelpWindow";
inline constexpr std::string_view kShowBackupFileListKey = "ShowBackupFileList";

// The fields keep the main window's names; the initial values are a first start's.
struct TMainOptions {
  // Keep the previous file as a numbered backup when rewriting.
  bool FCreateBackups = true;
  // 0 no logging, 1 only files with replaced strings, 2 all files.
  int32_t FLogMode = 2;
  // Open the instant-help window when the main window is first shown.
  bool FShowHelpWindow = true;
  // Show the backup page.
  bool FShowBackupFileList = false;
};

// Overwrites each option that the settings file holds; an absent one keeps the value it has,
// and a value that is not "1" reads as false ("Backup=yes" too), a log mode that is not a
// number as absent.
void LoadMainOptions(const std::string& settingsFile, TMainOptions& options);

// Writes all four, in one replacement of the file. False when the write failed; the program
// does not tell the user.
bool SaveMainOptions(const std::string& settingsFile, const TMainOptions& options);

}  // namespace fendrel

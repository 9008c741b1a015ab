// Where the program keeps its data: the settings file and the data directory beside it, which
// also holds "history.ini", "backup.dat", "result.log" and the language files. Both are fixed
// once, before any window exists, and never change while the program runs.
#pragma once

#include <string>
#include <string_view>

#include "Iniregi.h"

namespace fendrel {

// The settings file's section for the options and the language.
inline constexpr std::string_view kGenerelSection = "Generel";
// Another settings file to use instead of the one in the data directory; followed once.
inline constexpr std::string_view kIniFileKey = "IniFile";
// The folder below the user's configuration folder that is the data directory.
inline constexpr std::string_view kDataFolderName = "Fendrel";

// What the locations are worked out from.
struct TLocationSources {
  // Full path of the running program; its name (".ini" for its extension) names the settings
  // file, its directory is where data goes when the user has no configuration folder.
  std::string ProgramFile;
  TEnvironment Environment;
};

struct TLocations {
  std::string SettingsFile;
  // Ends in '/'.
  std::string DataDirectory;
};

// The program file's name without its directory, its extension (if any) replaced by ".ini".
std::string SettingsFileName(std::string_view programFile);

// Works the locations out and creates the data directory:
// 1. Without a configuration folder (see RegistryReadString), or when it is the program's own
//    directory, both are the program directory, and the settings file is never redirected.
// 2. Otherwise the data directory is that folder + "Fendrel/" and the settings file is in it.
// 3. An "IniFile" entry in section "Generel" of that settings file names the settings file to
//    use instead, and the data directory becomes its directory. The entry is followed once: the
//    file it names is not asked again. A relative name is taken from the directory of the file
//    that holds it; an empty entry, or one the reader had to cut, redirects nowhere.
// 4. The data directory and its missing parents are created (a failure is silent: reads then
//    give defaults and writes are lost).
TLocations ComputeLocations(const TLocationSources& sources);

// The process's locations, computed on first use from the running program and the process
// environment.
const TLocations& ProgramLocations();
const std::string& GetSettingsFile();
const std::string& GetDataDirectory();

// The locations of the desktop program "fendrel" installed beside the running one: the command
// line keeps its run journal where the window reads it.
TLocations DesktopLocations();

}  // namespace fendrel

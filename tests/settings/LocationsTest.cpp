// Where the settings file and the data directory end up, and the one-time redirection.
#include "settings/Locations.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "settings/Iniregi.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::MakeDir;
using test::TTempDir;
using test::WriteFile;

TEnvironment EnvironmentOf(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
    const auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
  };
}

TEST(ComputeLocations, ConfigurationFolderOrProgramDirectory) {
  TTempDir dir;
  MakeDir(dir / "prog");
  const std::string program = dir / "prog/fendrel";
  struct TCase {
    const char* Name;
    std::map<std::string, std::string> Environment;
    std::string DataDirectory;
  };
  const TCase cases[] = {
      {"XDG_CONFIG_HOME",
       {{"XDG_CONFIG_HOME", dir / "xdg"}, {"HOME", dir / "home"}},
       dir / "xdg/Fendrel/"},
      {"HOME", {{"HOME", dir / "home"}}, dir / "home/.config/Fendrel/"},
      {"trailing slash", {{"XDG_CONFIG_HOME", dir / "xdg/"}}, dir / "xdg/Fendrel/"},
      {"relative XDG_CONFIG_HOME",
       {{"XDG_CONFIG_HOME", "xdg"}, {"HOME", dir / "home"}},
       dir / "home/.config/Fendrel/"},
      {"neither", {}, dir / "prog/"},
      {"relative HOME", {{"HOME", "home"}}, dir / "prog/"},
      {"the program directory itself", {{"XDG_CONFIG_HOME", dir / "prog/"}}, dir / "prog/"},
  };
  for (const TCase& c : cases) {
    const TLocations locations = ComputeLocations({program, EnvironmentOf(c.Environment)});
    EXPECT_EQ(locations.DataDirectory, c.DataDirectory) << c.Name;
    EXPECT_EQ(locations.SettingsFile, c.DataDirectory + "fendrel.ini") << c.Name;
    EXPECT_TRUE(Exists(c.DataDirectory)) << c.Name << ": the data directory is created";
  }
  EXPECT_EQ(SettingsFileName("/opt/a.b/fendrel.bin"), "fendrel.ini");
}

TEST(ComputeLocations, IniFileRedirectsOnce) {
  TTempDir dir;
  const std::string program = dir / "prog/fendrel";
  const TEnvironment env = EnvironmentOf({{"XDG_CONFIG_HOME", dir / "cfg"}});
  MakeDir(dir / "cfg/Fendrel");
  const std::string defaultFile = dir / "cfg/Fendrel/fendrel.ini";

  struct TCase {
    const char* Name;
    std::string IniFile;  // the entry's text in the default settings file
    std::string SettingsFile;
  };
  const TCase cases[] = {
      {"full path, directories created", dir / "d/cfg/my.ini", dir / "d/cfg/my.ini"},
      {"quoted", "\"" + (dir / "q/my.ini") + "\"", dir / "q/my.ini"},
      {"relative to the file that holds it", "../other/my.ini",
       dir / "cfg/Fendrel/../other/my.ini"},
      {"empty: no redirection", "", defaultFile},
      {"cut by the reader: no redirection", "/" + std::string(300, 'p') + "/my.ini", defaultFile},
  };
  for (const TCase& c : cases) {
    WriteFile(defaultFile, "[Generel]\r\nIniFile=" + c.IniFile + "\r\n");
    const TLocations locations = ComputeLocations({program, env});
    EXPECT_EQ(locations.SettingsFile, c.SettingsFile) << c.Name;
    const std::string directory = c.SettingsFile.substr(0, c.SettingsFile.rfind('/') + 1);
    EXPECT_EQ(locations.DataDirectory, directory) << c.Name;
    EXPECT_TRUE(Exists(directory)) << c.Name;
  }

  // The file redirected to may name yet another; that entry is not followed.
  WriteFile(defaultFile, "[Generel]\r\nIniFile=" + (dir / "second/s.ini") + "\r\n");
  MakeDir(dir / "second");
  WriteFile(dir / "second/s.ini", "[generel]\r\ninifile=" + (dir / "third/t.ini") + "\r\n");
  const TLocations locations = ComputeLocations({program, env});
  EXPECT_EQ(locations.SettingsFile, dir / "second/s.ini");
  EXPECT_EQ(locations.DataDirectory, dir / "second/");
  EXPECT_FALSE(Exists(dir / "third"));
}

TEST(ComputeLocations, NoRedirectionBesideTheProgram) {
  TTempDir dir;
  MakeDir(dir / "prog");
  WriteFile(dir / "prog/fendrel.ini", "[Generel]\r\nIniFile=" + (dir / "elsewhere/x.ini") + "\r\n");
  const TLocations locations = ComputeLocations({dir / "prog/fendrel", EnvironmentOf({})});
  EXPECT_EQ(locations.SettingsFile, dir / "prog/fendrel.ini");
  EXPECT_FALSE(Exists(dir / "elsewhere"));
}

}  // namespace
}  // namespace fendrel

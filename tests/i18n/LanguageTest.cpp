// The language state: the catalogue of language files, the language read at start-up, what a
// language change writes, and reading a language file's entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "i18n/LanguageEntry.h"
#include "i18n/LanguageState.h"
#include "i18n/LanguageTable.h"
#include "settings/Iniregi.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::MakeDir;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(LanguageTable, BuiltInsThenLanguageFiles) {
  TTempDir dir;
  WriteFile(dir / "Language.fr",
            "[Generel]\r\nLanguageName=fran\xE7"
            "ais\r\n");
  WriteFile(dir / "language.it", "[generel]\r\nlanguagename = italiano\r\n");
  WriteFile(dir / "Language.none", "[SnRForm]\r\nSnRButton.Caption=x\r\n");
  WriteFile(dir / "Language.xxx", "[Generel]\r\nLanguageName=XXX\r\n");
  WriteFile(dir / "Other.ini", "[Generel]\r\nLanguageName=other\r\n");
  MakeDir(dir / "Language.dir");
  WriteFile(dir / "Language.dir/Generel", "[Generel]\r\nLanguageName=dir\r\n");

  const std::vector<TLanguage> table = ReadLanguageTable(dir.Path() + "/");
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[0].LanguageNumber, kGerman);
  EXPECT_EQ(table[0].DisplayName, "deutsch");
  EXPECT_EQ(table[0].LanguageFileName, "");
  EXPECT_EQ(table[1].LanguageNumber, kEnglish);
  EXPECT_EQ(table[1].DisplayName, "english");

  // The files come in the directory's own order.
  std::vector<std::string> files;
  for (std::size_t i = 2; i < table.size(); ++i) {
    EXPECT_EQ(table[i].LanguageNumber, kLanguageFromFile);
    files.push_back(table[i].LanguageFileName + " " + table[i].DisplayName);
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{dir / "Language.fr fran\xE7"
                                                   "ais",
                                             dir / "language.it italiano"}));

  EXPECT_EQ(ReadLanguageTable(dir / "missing/").size(), 2u);
}

TEST(LanguageState, ReadAtStartUp) {
  struct TCase {
    const char* Settings;  // nullptr: no settings file
    int32_t Language;
    std::string LanguageFile;  // below the data directory; "" for none
  };
  const TCase cases[] = {
      {nullptr, 1, "Translate.Sprache.1"},
      {"Sprache=0\r\n", 0, "Translate.Sprache.0"},
      {"Sprache=x\r\n", 1, "Translate.Sprache.1"},
      {"Sprache=7\r\n", 7, "Translate.Sprache.7"},
      {"Sprache=-1\r\nSprachdatei=\r\n", 0, ""},
      {"Sprache=-1\r\n", 0, ""},
      {"Sprache=-1\r\nSprachdatei=Language.fr\r\n", -1, "Language.fr"},
      {"Sprache=-1\r\nSprachdatei=Not.There\r\n", -1, "Not.There"},
  };
  for (const TCase& c : cases) {
    TTempDir dir;
    const TLocations locations{dir / "fendrel.ini", dir.Path() + "/"};
    if (c.Settings != nullptr)
      WriteFile(locations.SettingsFile, std::string("[Generel]\r\n") + c.Settings);
    const TLanguageState state(locations);
    EXPECT_EQ(state.CurrentLanguage(), c.Language) << (c.Settings ? c.Settings : "none");
    EXPECT_EQ(state.LanguageFile(),
              c.LanguageFile.empty() ? "" : locations.DataDirectory + c.LanguageFile)
        << (c.Settings ? c.Settings : "none");
  }
}

TEST(LanguageState, ChangeLanguageWritesTheSettings) {
  TTempDir dir;
  const TLocations locations{dir / "fendrel.ini", dir.Path() + "/"};
  TLanguageState state(locations);
  // The main window's creation confirms the language in effect.
  state.ChangeLanguage(state.CurrentLanguage());
  EXPECT_EQ(ReadFile(locations.SettingsFile),
            "[Generel]\r\nSprache=1\r\nSprachdatei=Translate.Sprache.1\r\n");

  IniWriteString(locations.SettingsFile, "Generel", "Backup", "0");
  state.ChangeLanguage(kGerman);
  EXPECT_EQ(state.CurrentLanguage(), kGerman);
  EXPECT_EQ(state.LanguageFile(), locations.DataDirectory + "Translate.Sprache.1");
  EXPECT_EQ(ReadFile(locations.SettingsFile),
            "[Generel]\r\nSprache=0\r\nSprachdatei=Translate.Sprache.1\r\nBackup=0\r\n");

  // A start with a language file keeps naming it.
  WriteFile(locations.SettingsFile, "[Generel]\r\nSprache=-1\r\nSprachdatei=Language.fr\r\n");
  TLanguageState fromFile(locations);
  fromFile.ChangeLanguage(kEnglish);
  EXPECT_EQ(IniReadString(locations.SettingsFile, "Generel", "Sprachdatei", ""), "Language.fr");
  EXPECT_EQ(IniReadInteger(locations.SettingsFile, "Generel", "Sprache", 99), 1);
}

TEST(ReadLanguageEntry, XXXCountsAsMissing) {
  struct TCase {
    const char* Line;
    std::optional<std::string> Expected;
  };
  const TCase cases[] = {
      {"RekursivCheckBox.Hint=x", "x"},
      {"RekursivCheckBox.Hint=XXX", std::nullopt},
      {"RekursivCheckBox.Hint= \"XXX\" ", std::nullopt},
      {"RekursivCheckBox.Hint=xxx", "xxx"},
      {"RekursivCheckBox.Hint=XXXX", "XXXX"},
      {"RekursivCheckBox.Hint=", ""},
      {"rekursivcheckbox.hint=case", "case"},
      {"RekursivCheckBox.Caption=other", std::nullopt},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    WriteFile(dir / "Language.x", std::string("[SnRForm]\r\n") + c.Line + "\r\n");
    EXPECT_EQ(ReadLanguageEntry(dir / "Language.x", "SnRForm", "RekursivCheckBox.Hint"), c.Expected)
        << c.Line;
    EXPECT_EQ(ReadLanguageEntry(dir / "Language.x", "InstantHelpForm", "RekursivCheckBox.Hint"),
              std::nullopt);
  }
  EXPECT_EQ(ReadLanguageEntry(dir / "missing", "SnRForm", "SnRButton.Caption"), std::nullopt);
}

}  // namespace
}  // namespace fendrel

// The language state: the catalogue of language files, the language read at start-up, what a
// language change writes, reading a language file's entries, and the catalogue of texts with
// the texts a language file carries for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "i18n/LanguageEntry.h"
#include "i18n/LanguageFileTexts.h"
#include "i18n/LanguageState.h"
#include "i18n/LanguageTable.h"
#include "i18n/TextCatalogue.h"
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

// The placeholders a text names, each once.
std::set<char> Placeholders(std::string_view text) {
  std::set<char> names;
  for (std::size_t at = 0; at + 1 < text.size(); ++at)
    if (text[at] == '%' && text[at + 1] >= '1' && text[at + 1] <= '9') names.insert(text[at + 1]);
  return names;
}

TEST(TextCatalogue, EveryTextHasBothLanguagesTheSameValuesAndAKeyOfItsOwn) {
  std::set<std::string> keys;
  std::size_t index = 0;
  for (const TCatalogueText& entry : TextCatalogue()) {
    SCOPED_TRACE(entry.Key);
    EXPECT_EQ(static_cast<std::size_t>(entry.Id), index++);
    EXPECT_NE(std::string_view(entry.German), "");
    EXPECT_NE(std::string_view(entry.English), "");
    // A translation fills in what the other language fills in.
    EXPECT_EQ(Placeholders(entry.German), Placeholders(entry.English));
    // Language files compare keys without regard to case; a key must also stay a plain name.
    std::string folded = entry.Key;
    ASSERT_FALSE(folded.empty());
    for (char& c : folded) {
      EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << c;
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_TRUE(keys.insert(folded).second) << "key taken twice";
    EXPECT_EQ(&CatalogueEntry(entry.Id), &entry);
  }
  struct TCase {
    int32_t Language;
    const char* Text;
  };
  const TCase cases[] = {
      {kGerman, "Abbrechen"}, {kEnglish, "Cancel"}, {kLanguageFromFile, "Cancel"}, {7, "Cancel"}};
  for (const TCase& c : cases)
    EXPECT_EQ(BuiltInText(TTextId::CancelPreviewButton, c.Language), c.Text) << c.Language;
}

TEST(TextCatalogue, FillPlaceholdersInAnyOrderAndOnlyOnce) {
  struct TCase {
    const char* Text;
    std::vector<std::string_view> Values;
    const char* Filled;
  };
  const TCase cases[] = {
      {"%1 of %2 tasks", {"3", "10"}, "3 of 10 tasks"},
      {"noch %2, %1 von %2", {"a", "b"}, "noch b, a von b"},
      // A value is never searched for placeholders itself.
      {"%1 and %2", {"%2", "x"}, "%2 and x"},
      // A placeholder without a value, and a "%" before anything else, stay as they are.
      {"%1 %3", {"a"}, "a %3"},
      {"100%ig, %0, %, %%1", {"a"}, "100%ig, %0, %, %a"},
      {"%9", {"1", "2", "3", "4", "5", "6", "7", "8", "nine"}, "nine"},
      {"no values", {}, "no values"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(FillPlaceholders(c.Text, c.Values), c.Filled) << c.Text;
}

// The texts of the process stay the built-in ones for the tests after this one.
struct TInstalledTextsScope {
  ~TInstalledTextsScope() { UseLanguageFileTexts({}); }
};

TEST(LanguageFileTexts, TheSectionReplacesItsTextsAndLeavesTheOthersEnglish) {
  TTempDir dir;
  WriteFile(dir / "Language.fr",
            "[Generel]\r\nLanguageName=fran\xC3\xA7"
            "ais\r\n"
            "[Texts]\r\n"
            "titletasksqueued = %1 t\xC3\xA2"
            "ches en attente\r\n"
            "StepPathMissing=XXX\r\n"
            "StartButton=\" Rechercher \"\r\n"
            "NoSuchText=ignored\r\n"
            "[SnRForm]\r\nCancelPreviewButton=Annuler\r\n");
  const TLanguageFileTexts texts = TLanguageFileTexts::Read(TIniReader(dir / "Language.fr"));
  TInstalledTextsScope scope;
  UseLanguageFileTexts(texts);
  struct TCase {
    TTextId Id;
    int32_t Language;
    std::string Text;
  };
  const TCase cases[] = {
      {TTextId::TitleTasksQueued, kLanguageFromFile,
       "%1 t\xC3\xA2"
       "ches en attente"},
      {TTextId::StartButton, kLanguageFromFile, " Rechercher "},
      // "XXX" is missing, as in the window sections; other sections are not the catalogue's.
      {TTextId::StepPathMissing, kLanguageFromFile,
       "please insert the path in which to search for the files in the path text field"},
      {TTextId::CancelPreviewButton, kLanguageFromFile, "Cancel"},
      // The built-in languages never take the file's texts.
      {TTextId::TitleTasksQueued, kEnglish, "%1 tasks in queue"},
      {TTextId::TitleTasksQueued, kGerman, "%1 Aufgaben abzuarbeiten"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(CatalogueText(c.Id, c.Language), c.Text) << CatalogueEntry(c.Id).Key;
  EXPECT_EQ(FillPlaceholders(CatalogueText(TTextId::TitleTasksQueued, kLanguageFromFile), {"3"}),
            "3 t\xC3\xA2"
            "ches en attente");
  EXPECT_EQ(LanguageFileText(TTextId::StartButton), " Rechercher ");
  EXPECT_EQ(LanguageFileText(TTextId::StepPathMissing), std::nullopt);

  // A file that cannot be read carries no text.
  UseLanguageFileTexts(TLanguageFileTexts::Read(TIniReader(dir / "missing")));
  EXPECT_EQ(CatalogueText(TTextId::StartButton, kLanguageFromFile),
            "Search&&&Replace Strings in Selected Files");
}

}  // namespace
}  // namespace fendrel

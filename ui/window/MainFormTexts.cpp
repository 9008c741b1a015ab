#include "MainFormTexts.h"

#include "i18n/LanguageTable.h"

namespace fendrel {
namespace {

constexpr TComponentText kTexts[] = {
    {"CreateTaskTabSheet", "Aufgaben", "create task"},
    {"ResultTabSheet", "Ergebnis", "result"},
    {"PreviewTabSheet", "Vorschau", "preview"},
    {"PreviewButton", "&Vorschau", "Pre&view"},
    {"SnRButton", "Search&&&Replace durchführen ", "Search&&&Replace Strings in Selected Files"},
    {"StopButton", "&Anhalten", "&Stop"},
    {"FileNameGroupBox", " Dateien ", " Files "},
    {"PathLabel", "&Pfad", "&Path"},
    {"FilenameLabel", "Datei&name (mit \"wild cards\" (\"*\", \"?\"):",
     "Filen&ame (including wild cards (\"*\", \"?\"):"},
    {"RekursivCheckBox", "rekursive", "rekursiv"},
    {"FollowLinksCheckBox", "Verknüpfungen folgen", "follow links"},
    {"SingleLineTabSheet", "einzeiliger Text", "single line"},
    {"MultiLineTabSheet", "mehrzeiliger Text", "multi line"},
    {"StringGroupBox", " Texte ", " Strings "},
    {"CombiEditCharHexFrameFromStr/StringLabel", "String", "String"},
    {"CombiEditCharHexFrameToStr/StringLabel", "String", "String"},
    {"CombiEditCharHexFrameFromStr/HexStringLabel", "Hex String", "Hex String"},
    {"CombiEditCharHexFrameToStr/HexStringLabel", "Hex String", "Hex String"},
    {"CombiEditCharHexFrameFromStr/TitelLabel", "Ursprünglicher Text", "Old String"},
    {"OldStringLabel", "Ursprünglicher Text", "Old String"},
    {"CombiEditCharHexFrameToStr/TitelLabel", "Neuer Text", "New String"},
    {"NewStringLabel", "Neuer Text", "New String"},
    {"CaseSensitivSingleLineCheckBox", "Groß-/Kleinschreibung beachten", "case sensitive search"},
    {"CaseSensitivMultiLineCheckBox", "Groß-/Kleinschreibung beachten", "case sensitive search"},
    {"RegExpSingleLineCheckBox", "Regulärer Ausdruck", "regular expression"},
    {"RegExpMultiLineCheckBox", "Regulärer Ausdruck", "regular expression"},
    {"SelectDirSpeedButton", "...", "..."},
    {"FileSearchResultLabel", "", ""},
    {"File1", "&Datei", "&File"},
    {"Stop1", "&Anhalten", "&Stop"},
    {"Exit1", "Programm &beenden", "&Exit"},
    {"SelectAllNoneCheckBox", "alle/keine auswählen", "select all/none"},
    {"SelectAllNone2CheckBox", "alle/keine auswählen", "select all/none"},
    {"ClearHistory1", "&Historie löschen", "Clear &History"},
    {"BackupFileTabSheet", "Backupdateien", "backup"},
    {"Options1", "&Optionen", "&Options"},
    {"Backupfiles1", "&Backup-Datei-Liste ...", "&Backup Files List ..."},
    {"CreateBackupFiles1", "Backup Dateien &erzeugen", "&Create Backup Files"},
    {"LogResults", "Ergebnisse &protokollieren", "&Log Results ..."},
    {"no1", "... &nein", "... &no"},
    {"onlyfileswithreplacedstrings1", "... nur &Dateien mit ersetzten Texten",
     "... only files with &replaced strings"},
    {"allfiles1", "... &alle Dateien", "... &all files"},
    {"ClearLogResults1", "Protokoll &löschen", "&Clear Log Results"},
    {"DeleteBackupfilesButton", "Ausgewählte Backup-Dateien löschen",
     "Delete Selected Backup Files"},
    {"HelpWindow1", "Hilfe&fenster", "Help &Window"},
    {"Help1", "&Hilfe", "&Help"},
    {"Help2", "&Hilfe", "&Help"},
    {"About1", "Ü&ber ...", "&About ..."},
    {"Homepage1", "Home&page", "Home&page"},
    {"Language1", "&Sprache", "Lan&guage"},
};

// Eight blanks, then the maker's name.
constexpr const char* kSignatureLine = "        the Fendrel team";

constexpr const char* kGermanWarranty[] = {
    "Fendrel verändert Dateien auf Ihrem Rechner.",
    "Sicherheitskopien werden während dieses Vorgangs erzeugt um einen Datenverlust zu "
    "vermeiden - 100%ig ausschließen lässt sich dies aber nicht.",
    "Diese Software wird \"wie vorhanden\" zur Verfügung gestellt - ohne eine Garantie "
    "jeglicher Art. Sie verwenden dieses Programm auf eigenes Risiko.",
    "",
    "Durch die Verwendung dieser Software akzeptieren Sie diese Bedingungen.",
    "",
    kSignatureLine,
};

constexpr const char* kEnglishWarranty[] = {
    "Fendrel modifies files on your computer.",
    "Backup files are created during every single process step to avoid the risk of data loss "
    "- but there is no guarantee.",
    "",
    "This software is provided \"as is\" without warranty of any kind. You use this software on "
    "your own risk.",
    "By using my application you agree to these conditions.",
    "",
    kSignatureLine,
};

}  // namespace

std::span<const TComponentText> MainFormTexts() {
  return kTexts;
}

std::span<const char* const> WarrantyLines(int32_t language) {
  if (language == kGerman) return kGermanWarranty;
  return kEnglishWarranty;
}

}  // namespace fendrel

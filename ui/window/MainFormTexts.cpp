#include "MainFormTexts.h"

#include "i18n/LanguageTable.h"

namespace fendrel {
namespace {

using enum TTextId;

constexpr TComponentText kTexts[] = {
    {"CreateTaskTabSheet", CreateTaskPage},
    {"ResultTabSheet", ResultPage},
    {"PreviewTabSheet", PreviewPage},
    {"PreviewButton", PreviewButton},
    {"SnRButton", StartButton},
    {"StopButton", StopButton},
    {"KeepModificationTimeCheckBox", KeepModificationTimeBox},
    {"FileNameGroupBox", FilesGroup},
    {"PathLabel", PathLabel},
    {"FilenameLabel", FileNameLabel},
    {"RekursivCheckBox", RecursiveBox},
    {"FollowLinksCheckBox", FollowLinksBox},
    {"SingleLineTabSheet", SingleLinePage},
    {"MultiLineTabSheet", MultiLinePage},
    {"StringGroupBox", StringsGroup},
    {"CombiEditCharHexFrameFromStr/StringLabel", StringLabel},
    {"CombiEditCharHexFrameToStr/StringLabel", StringLabel},
    {"CombiEditCharHexFrameFromStr/HexStringLabel", HexStringLabel},
    {"CombiEditCharHexFrameToStr/HexStringLabel", HexStringLabel},
    {"CombiEditCharHexFrameFromStr/TitelLabel", OldStringLabel},
    {"OldStringLabel", OldStringLabel},
    {"CombiEditCharHexFrameToStr/TitelLabel", NewStringLabel},
    {"NewStringLabel", NewStringLabel},
    {"CaseSensitivSingleLineCheckBox", CaseSensitiveBox},
    {"CaseSensitivMultiLineCheckBox", CaseSensitiveBox},
    {"RegExpSingleLineCheckBox", RegularExpressionBox},
    {"RegExpMultiLineCheckBox", RegularExpressionBox},
    {"SelectDirSpeedButton", SelectDirButton},
    // The search's status, emptied: the next tick of the file search writes it anew.
    {"FileSearchResultLabel", std::nullopt},
    {"File1", FileMenu},
    {"Stop1", StopItem},
    {"Exit1", ExitItem},
    {"SelectAllNoneCheckBox", SelectAllNoneBox},
    {"SelectAllNone2CheckBox", SelectAllNoneBox},
    {"ClearHistory1", ClearHistoryItem},
    {"BackupFileTabSheet", BackupPage},
    {"Options1", OptionsMenu},
    {"Backupfiles1", BackupFilesListItem},
    {"CreateBackupFiles1", CreateBackupFilesItem},
    {"LogResults", LogResultsMenu},
    {"no1", LogNoneItem},
    {"onlyfileswithreplacedstrings1", LogReplacedItem},
    {"allfiles1", LogAllItem},
    {"ClearLogResults1", ClearLogResultsItem},
    {"DeleteBackupfilesButton", DeleteBackupsButton},
    {"HelpWindow1", HelpWindowItem},
    {"Help1", HelpMenu},
    {"Help2", HelpItem},
    {"About1", AboutItem},
    {"Homepage1", HomepageItem},
    {"Language1", LanguageMenu},
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

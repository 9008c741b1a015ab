// The catalogue of the texts the program shows: every caption its windows set themselves, every
// message, question and status text, each under a stable id with its German and English text
// and a key by which a language file's section "Texts" can carry it (LanguageFileTexts.h).
//
// Texts are UTF-8. In captions "&&" shows one ampersand and a single "&" marks the access key.
// A text that takes values names them %1 to %9, filled by FillPlaceholders; a translation may
// use them in any order, and a "%" before anything else is an ordinary character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace fendrel {

// In the catalogue's order; the key of each text is its name here.
enum class TTextId {
  // The main window's pages, groups, buttons and boxes.
  CreateTaskPage,
  ResultPage,
  PreviewPage,
  BackupPage,
  PreviewButton,
  StartButton,
  StopButton,
  FilesGroup,
  PathLabel,
  FileNameLabel,
  RecursiveBox,
  FollowLinksBox,
  FollowLinksHint,
  IncludeVcsBox,
  IgnoreFilesBox,
  ExcludeLabel,
  ExcludeHint,
  SelectDirButton,
  SelectAllNoneBox,
  SingleLinePage,
  MultiLinePage,
  StringsGroup,
  StringLabel,
  HexStringLabel,
  OldStringLabel,
  NewStringLabel,
  CaseSensitiveBox,
  RegularExpressionBox,
  DeleteBackupsButton,
  RestoreBackupsButton,
  RestoreRunButton,
  CancelPreviewButton,
  StartPreviewedRunButton,
  KeepModificationTimeBox,
  KeepModificationTimeHint,
  // The main window's menus.
  FileMenu,
  StopItem,
  ClearHistoryItem,
  ExitItem,
  OptionsMenu,
  CreateBackupFilesItem,
  LogResultsMenu,
  LogNoneItem,
  LogReplacedItem,
  LogAllItem,
  ClearLogResultsItem,
  BackupFilesListItem,
  LanguageMenu,
  HelpWindowItem,
  HelpMenu,
  HelpItem,
  HomepageItem,
  AboutItem,
  // The title, the status line and the messages of the main window.
  TitleTasksQueued,
  FileSearchRunning,
  FileSearchComplete,
  UnreadableFolderOne,
  UnreadableFolderMany,
  ExcludeHoldsSlash,
  ProgressTasks,
  ProgressBytes,
  ProgressTimeLeft,
  DecimalSeparator,
  RecoveredOne,
  RecoveredMany,
  NotRecoveredOne,
  NotRecoveredMany,
  NoGuidingLines,
  QuitWithTasksQueued,
  DataFileNotWritten,
  MultiLineStringTooLong,
  HelpPageNotFound,
  PageNotOpened,
  // The preview page and the backup page.
  PreviewSummary,
  PreviewCancelled,
  PreviewFailed,
  PreviewMoreLines,
  PreviewTickHint,
  PreviewMadeAgain,
  DeleteBackupsQuestion,
  RestoreBackupsQuestion,
  BackupsRestored,
  BackupsPartlyRestored,
  RestoreRunQuestion,
  RunListEntry,
  RestoreRunEntry,
  RunNotRecorded,
  RunFinished,
  RunFinishedSkipped,
  // The instant-help window and the open steps of a run it lists.
  HelpWindowTitle,
  GuidingHelpBox,
  StepPathMissing,
  StepMaskMissing,
  StepNoFilesFound,
  StepNoFileTicked,
  StepOldStringMissing,
  StepPatternInvalid,
  StepNewStringMissing,
  StepReadyToStart,
  // The banner window and the About window.
  BannerTitle,
  BannerNote,
  BannerLink,
  AboutTitle,
  AboutVersion,
  AboutDedication,
  OKButton,
};

struct TCatalogueText {
  TTextId Id;
  // How a language file names the text: the id's name, never changed once released.
  const char* Key;
  const char* German;
  const char* English;
};

// Every text, in the order of TTextId.
std::span<const TCatalogueText> TextCatalogue();

const TCatalogueText& CatalogueEntry(TTextId id);

// The built-in text: German for language 0, English for every other language.
std::string_view BuiltInText(TTextId id, int32_t language);

// `text` with each %n (n from 1 to 9) replaced by values[n - 1], in one pass: a value is never
// searched for placeholders itself, and a %n without a value stays as it is.
std::string FillPlaceholders(std::string_view text, std::span<const std::string_view> values);
inline std::string FillPlaceholders(std::string_view text,
                                    std::initializer_list<std::string_view> values) {
  return FillPlaceholders(text, std::span(values.begin(), values.size()));
}

}  // namespace fendrel

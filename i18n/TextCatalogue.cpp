#include "TextCatalogue.h"

#include <cstddef>

namespace fendrel {
namespace {

using enum TTextId;

// Leading and trailing blanks are part of some captions; a language file keeps them only inside
// quotes, since its values are trimmed.
constexpr TCatalogueText kTexts[] = {
    {CreateTaskPage, "CreateTaskPage", "Aufgaben", "create task"},
    {ResultPage, "ResultPage", "Ergebnis", "result"},
    {PreviewPage, "PreviewPage", "Vorschau", "preview"},
    {BackupPage, "BackupPage", "Backupdateien", "backup"},
    {PreviewButton, "PreviewButton", "&Vorschau", "Pre&view"},
    {StartButton, "StartButton", "Search&&&Replace durchführen ",
     "Search&&&Replace Strings in Selected Files"},
    {StopButton, "StopButton", "&Anhalten", "&Stop"},
    {FilesGroup, "FilesGroup", " Dateien ", " Files "},
    {PathLabel, "PathLabel", "&Pfad", "&Path"},
    {FileNameLabel, "FileNameLabel", "Datei&name (mit \"wild cards\" (\"*\", \"?\"):",
     "Filen&ame (including wild cards (\"*\", \"?\"):"},
    {RecursiveBox, "RecursiveBox", "rekursive", "rekursiv"},
    {FollowLinksBox, "FollowLinksBox", "Verknüpfungen folgen", "follow links"},
    {FollowLinksHint, "FollowLinksHint",
     "Eine symbolische Verknüpfung wird sonst abgelehnt. Angekreuzt werden nur Verknüpfungen zu "
     "Dateien und Ordnern innerhalb des gewählten Ordners verfolgt.",
     "A symbolic link is otherwise refused. Ticked, only links to files and folders inside the "
     "chosen folder are followed."},
    {IncludeVcsBox, "IncludeVcsBox", "Versionsverwaltungsordner (.git, .svn, ...)",
     "version-control folders (.git, .svn, ...)"},
    {IgnoreFilesBox, "IgnoreFilesBox", "Ignore-Dateien beachten (.gitignore)",
     "honour ignore files (.gitignore)"},
    {ExcludeLabel, "ExcludeLabel", "A&usschließen:", "E&xclude:"},
    {ExcludeHint, "ExcludeHint",
     "Dateien und Ordner, deren Name (nicht Pfad) passt, werden ausgelassen, ein ausgelassener "
     "Ordner wird nicht betreten. Muster wie beim Dateinamen (\"*\" beliebig viele Zeichen, \"?\" "
     "eines, Groß-/Kleinschreibung egal); mehrere durch \";\" getrennt oder in Klammern: "
     "node_modules;build;*.min.js oder *.{o,tmp}. Ohne \"/\". Leer: nichts wird ausgelassen.",
     "Files and folders whose name (not path) matches are left out, and a folder left out is not "
     "entered. Patterns as for the file name (\"*\" any run of characters, \"?\" one, letters in "
     "any case); several apart by \";\" or in braces: node_modules;build;*.min.js or *.{o,tmp}. "
     "No \"/\". Empty: nothing is left out."},
    {SelectDirButton, "SelectDirButton", "...", "..."},
    {SelectAllNoneBox, "SelectAllNoneBox", "alle/keine auswählen", "select all/none"},
    {SingleLinePage, "SingleLinePage", "einzeiliger Text", "single line"},
    {MultiLinePage, "MultiLinePage", "mehrzeiliger Text", "multi line"},
    {StringsGroup, "StringsGroup", " Texte ", " Strings "},
    {StringLabel, "StringLabel", "String", "String"},
    {HexStringLabel, "HexStringLabel", "Hex String", "Hex String"},
    {OldStringLabel, "OldStringLabel", "Ursprünglicher Text", "Old String"},
    {NewStringLabel, "NewStringLabel", "Neuer Text", "New String"},
    {CaseSensitiveBox, "CaseSensitiveBox", "Groß-/Kleinschreibung beachten",
     "case sensitive search"},
    {RegularExpressionBox, "RegularExpressionBox", "Regulärer Ausdruck", "regular expression"},
    {DeleteBackupsButton, "DeleteBackupsButton", "Ausgewählte Backup-Dateien löschen",
     "Delete Selected Backup Files"},
    {RestoreBackupsButton, "RestoreBackupsButton", "Ausgewählte Backup-Dateien wiederherstellen",
     "Restore Selected Backup Files"},
    {RestoreRunButton, "RestoreRunButton", "Lauf wiederherstellen", "Restore Run"},
    {CancelPreviewButton, "CancelPreviewButton", "Abbrechen", "Cancel"},
    {StartPreviewedRunButton, "StartPreviewedRunButton", "Diesen Lauf s&tarten", "Start &This Run"},
    {KeepModificationTimeBox, "KeepModificationTimeBox", "Änderungszeit beibehalten",
     "Keep modification time"},
    {KeepModificationTimeHint, "KeepModificationTimeHint",
     "Jede geänderte Datei erhält ihre bisherige Änderungszeit (und Zugriffszeit) zurück. Ihre "
     "Statusänderungszeit (ctime) ändert sich trotzdem: Kein Programm kann sie setzen. "
     "Sicherungskopien behalten ihre eigenen Zeiten.",
     "Each rewritten file gets its previous modification time (and access time) back. Its change "
     "time (ctime) still moves: no program can set it. Backups keep their own times."},

    {FileMenu, "FileMenu", "&Datei", "&File"},
    {StopItem, "StopItem", "&Anhalten", "&Stop"},
    {ClearHistoryItem, "ClearHistoryItem", "&Historie löschen", "Clear &History"},
    {ExitItem, "ExitItem", "Programm &beenden", "&Exit"},
    {OptionsMenu, "OptionsMenu", "&Optionen", "&Options"},
    {CreateBackupFilesItem, "CreateBackupFilesItem", "Backup Dateien &erzeugen",
     "&Create Backup Files"},
    {LogResultsMenu, "LogResultsMenu", "Ergebnisse &protokollieren", "&Log Results ..."},
    {LogNoneItem, "LogNoneItem", "... &nein", "... &no"},
    {LogReplacedItem, "LogReplacedItem", "... nur &Dateien mit ersetzten Texten",
     "... only files with &replaced strings"},
    {LogAllItem, "LogAllItem", "... &alle Dateien", "... &all files"},
    {ClearLogResultsItem, "ClearLogResultsItem", "Protokoll &löschen", "&Clear Log Results"},
    {BackupFilesListItem, "BackupFilesListItem", "&Backup-Datei-Liste ...",
     "&Backup Files List ..."},
    {LanguageMenu, "LanguageMenu", "&Sprache", "Lan&guage"},
    {HelpWindowItem, "HelpWindowItem", "Hilfe&fenster", "Help &Window"},
    {HelpMenu, "HelpMenu", "&Hilfe", "&Help"},
    {HelpItem, "HelpItem", "&Hilfe", "&Help"},
    {HomepageItem, "HomepageItem", "Home&page", "Home&page"},
    {AboutItem, "AboutItem", "Ü&ber ...", "&About ..."},

    // %1 the number of tasks; the title puts the program's name and version before it.
    {TitleTasksQueued, "TitleTasksQueued", "%1 Aufgaben abzuarbeiten", "%1 tasks in queue"},
    // %1 the number of files found so far.
    {FileSearchRunning, "FileSearchRunning", "Suche (%1) .....", "Searching (%1) ....."},
    {FileSearchComplete, "FileSearchComplete", "Suche beendet: %1 Dateien gefunden",
     "Search complete: %1 files found"},
    // Folders a finished search could not read (%1 how many), after its count and ", ".
    {UnreadableFolderOne, "UnreadableFolderOne", "%1 Ordner konnte nicht gelesen werden",
     "%1 folder could not be read"},
    {UnreadableFolderMany, "UnreadableFolderMany", "%1 Ordner konnten nicht gelesen werden",
     "%1 folders could not be read"},
    // The exclusion box holds a '/': nothing is listed until it is mended.
    {ExcludeHoldsSlash, "ExcludeHoldsSlash",
     "Ausschließen: ein Muster passt auf Namen und enthält kein \"/\"",
     "Exclude: a pattern matches names and holds no \"/\""},
    // The parts of the run's progress, joined by ", ": tasks done (%1) of all (%2); bytes done
    // (%1) of all (%2) in the unit %3; the time still needed (%1).
    {ProgressTasks, "ProgressTasks", "%1 von %2 Aufgaben", "%1 of %2 tasks"},
    {ProgressBytes, "ProgressBytes", "%1 von %2 %3", "%1 of %2 %3"},
    {ProgressTimeLeft, "ProgressTimeLeft", "noch %1", "%1 left"},
    // What stands between the whole and the tenths of the progress's sizes and rate.
    {DecimalSeparator, "DecimalSeparator", ",", "."},
    // Interrupted rewrites a scan or the start finished (%1 how many), joined by "; ".
    {RecoveredOne, "RecoveredOne", "%1 unterbrochenes Ersetzen wiederhergestellt",
     "%1 interrupted rewrite recovered"},
    {RecoveredMany, "RecoveredMany", "%1 unterbrochene Ersetzungen wiederhergestellt",
     "%1 interrupted rewrites recovered"},
    {NotRecoveredOne, "NotRecoveredOne",
     "%1 unterbrochenes Ersetzen konnte nicht wiederhergestellt werden",
     "%1 interrupted rewrite could not be recovered"},
    {NotRecoveredMany, "NotRecoveredMany",
     "%1 unterbrochene Ersetzungen konnten nicht wiederhergestellt werden",
     "%1 interrupted rewrites could not be recovered"},
    {NoGuidingLines, "NoGuidingLines",
     "Die Linien der geführten Hilfe sind in dieser Wayland-Sitzung nicht verfügbar.",
     "Guiding lines are not available in this Wayland session."},
    {QuitWithTasksQueued, "QuitWithTasksQueued",
     "Es sind noch Search&Replace Vorgänge abzuarbeiten! Wollen sie das Programm wirklich "
     "beenden?",
     "There are incomplete Search&Replace Tasks! Do you really want to quite the application?"},
    // %1 the file's name.
    {DataFileNotWritten, "DataFileNotWritten",
     "Die Datei \"%1\" im Datenverzeichnis konnte nicht geschrieben werden.",
     "The file \"%1\" in the data directory could not be written."},
    // %1 the most bytes the joined lines may hold.
    {MultiLineStringTooLong, "MultiLineStringTooLong",
     "Der mehrzeilige Text ist zu lang: zusammengefügt darf er höchstens %1 Bytes umfassen. Es "
     "wurde nichts gestartet.",
     "The multi-line string is too long: joined, it may hold at most %1 bytes. Nothing was "
     "started."},
    // %1 the help page's file name, %2 the installed documentation folder.
    {HelpPageNotFound, "HelpPageNotFound",
     "Die Hilfeseite \"%1\" wurde weder neben dem Programm noch in \"%2\" gefunden.",
     "The help page \"%1\" was found neither beside the program nor in \"%2\"."},
    // %1 the page's address.
    {PageNotOpened, "PageNotOpened",
     "Die Seite \"%1\" konnte nicht geöffnet werden: Es wurde kein Webbrowser und kein anderes "
     "Programm zum Öffnen gefunden.",
     "The page \"%1\" could not be opened: no web browser or other program to open it was "
     "found."},

    // %1 files searched of %2, %3 replacements in %4 files.
    {PreviewSummary, "PreviewSummary", "%1 von %2 Dateien durchsucht: %3 Ersetzungen in %4 Dateien",
     "%1 of %2 files searched: %3 replacements in %4 files"},
    // %1 the summary.
    {PreviewCancelled, "PreviewCancelled", "%1 (abgebrochen)", "%1 (cancelled)"},
    // %1 why the file would fail.
    {PreviewFailed, "PreviewFailed", "Fehlgeschlagen: %1", "Failed: %1"},
    // %1 the changed lines not shown.
    {PreviewMoreLines, "PreviewMoreLines", "... %1 weitere geänderte Zeilen",
     "... %1 more changed lines"},
    {PreviewTickHint, "PreviewTickHint",
     "Ein Klick auf \u2611 lässt eine Änderung beim Lauf aus, ein Klick auf \u2610 nimmt sie "
     "wieder auf.",
     "Click \u2611 to leave a change out of the run, \u2610 to take it in again."},
    // %1 the summary of the new preview.
    {PreviewMadeAgain, "PreviewMadeAgain",
     "Neu erstellt, da sich die Texte oder die ausgewählten Dateien geändert hatten; nichts wurde "
     "gestartet. %1",
     "Made again, as the strings or the ticked files had changed; nothing was started. %1"},
    // %1 the number of ticked backups.
    {DeleteBackupsQuestion, "DeleteBackupsQuestion",
     "%1 Backup-Datei(en) endgültig löschen? Sie sind womöglich die einzigen Kopien der früheren "
     "Inhalte Ihrer Dateien.",
     "Delete %1 backup file(s) for good? They may be the only copies of the earlier contents of "
     "your files."},
    {RestoreBackupsQuestion, "RestoreBackupsQuestion",
     "%1 Datei(en) aus den ausgewählten Backup-Dateien wiederherstellen? Der jetzige Inhalt jeder "
     "Datei wird zuvor als neue Backup-Datei aufbewahrt.",
     "Restore %1 file(s) from the selected backup files? The current content of each file is "
     "kept as a new backup file first."},
    // %1 files restored; %2 backups that could not be, %3 the first of them with its reason.
    {BackupsRestored, "BackupsRestored", "%1 Datei(en) wiederhergestellt.", "%1 file(s) restored."},
    {BackupsPartlyRestored, "BackupsPartlyRestored",
     "%1 Datei(en) wiederhergestellt. %2 nicht wiederhergestellt, zuerst %3",
     "%1 file(s) restored. %2 not restored, the first %3"},
    {RestoreRunQuestion, "RestoreRunQuestion",
     "Die %1 Datei(en) von Lauf %2 wiederherstellen, wie sie vor dem Lauf waren? Der jetzige "
     "Inhalt jeder Datei wird zuvor als neue Backup-Datei aufbewahrt.",
     "Restore the %1 file(s) of run %2 as they were before the run? The current content of each "
     "file is kept as a new backup file first."},
    // A run in the backup page's list: number, time, files, folder, what it did.
    {RunListEntry, "RunListEntry", "%1  %2  %3 Datei(en)  %4  %5", "%1  %2  %3 file(s)  %4  %5"},
    {RestoreRunEntry, "RestoreRunEntry", "Wiederherstellung: %1", "restore: %1"},
    {RunNotRecorded, "RunNotRecorded",
     "Der Lauf kann nicht als Ganzes wiederhergestellt werden: %1",
     "The run cannot be restored as a whole: %1"},
    // A run's last report: the files it took, the replacements made, the files that failed and
    // (%4) those a stop left as they were.
    {RunFinished, "RunFinished", "Lauf beendet: %1 Datei(en), %2 Ersetzung(en), %3 fehlgeschlagen",
     "Run finished: %1 files, %2 replacements, %3 failed"},
    {RunFinishedSkipped, "RunFinishedSkipped",
     "Lauf beendet: %1 Datei(en), %2 Ersetzung(en), %3 fehlgeschlagen, %4 übersprungen",
     "Run finished: %1 files, %2 replacements, %3 failed, %4 skipped"},

    {HelpWindowTitle, "HelpWindowTitle", "Hilfe", "Help"},
    {GuidingHelpBox, "GuidingHelpBox", "geführte Hilfe", "guiding help"},
    {StepPathMissing, "StepPathMissing",
     "Bitte geben Sie den Pfad ein, in dem nach den Dateien gesucht werden soll.",
     "please insert the path in which to search for the files in the path text field"},
    {StepMaskMissing, "StepMaskMissing",
     "Bitte geben Sie den Dateinamen ein - einschließlich Suchmaske (z.B. *.htm)",
     "please insert the name of the file - including wildcards (p.e. *.htm) in the filename "
     "field"},
    {StepNoFilesFound, "StepNoFilesFound",
     "Im angegebenen Pfad wurden mit der Dateisuchmaske keine Dateien gefunden",
     "no files in the specified path with the specified filename found"},
    {StepNoFileTicked, "StepNoFileTicked",
     "Wählen Sie die Dateien aus, die bearbeitet werden sollen.",
     "check any single file in the files list box that has to be processed"},
    {StepOldStringMissing, "StepOldStringMissing",
     "Definieren Sie den String, der ersetzt werden soll.",
     "define the string to be search for in the \"old string\" field - as text or hex code "
     "input"},
    {StepPatternInvalid, "StepPatternInvalid",
     "Der alte String ist kein gültiger regulärer Ausdruck: Bitte korrigieren Sie ihn (sein "
     "Tooltip sagt, was falsch ist).",
     "the \"old string\" is no valid regular expression: correct it (its tooltip tells what is "
     "wrong)"},
    {StepNewStringMissing, "StepNewStringMissing",
     "Definieren Sie den String, der neu eingefügt werden soll. Falls der Ausgangsstring "
     "gelöscht werden soll, kann auch ein Leerstring korrekt sein.",
     "define the replacement string  in the \"new string\" field - as text or hex code input. "
     "An empty new string is correct, if you want to delete the \"Old String\" in the files"},
    // The help list shows every ampersand as it stands, so the English line names the button
    // with the doubled ampersand of its caption.
    {StepReadyToStart, "StepReadyToStart", "\"Search&Replace durchführen\" drücken",
     "press the \"Search&&Replace Strings in Selected Files\" to start the conversion"},

    {BannerTitle, "BannerTitle", "Ebenfalls von uns", "Also from us"},
    {BannerNote, "BannerNote",
     "Unser Begleitwerkzeug stellt zwei Ordner nebeneinander und zeigt, welche Dateien neu sind, "
     "fehlen oder sich geändert haben – praktisch vor und nach einer großen Ersetzung.",
     "Our companion tool sets two folders side by side and shows which files are new, missing or "
     "changed – handy before and after a large replacement."},
    {BannerLink, "BannerLink", "Mehr erfahren …", "Learn more …"},
    // %1 the program's name.
    {AboutTitle, "AboutTitle", "Über %1", "About %1"},
    // %1 the version, %2 the code set text is read in, which decides what a letter is.
    {AboutVersion, "AboutVersion", "Version %1, Text in %2", "Version %1, text in %2"},
    {AboutDedication, "AboutDedication",
     "Allen gewidmet, die schon einmal dasselbe Wort in hundert Dateien von Hand geändert haben.",
     "Dedicated to everyone who has ever changed the same word in a hundred files by hand."},
    {OKButton, "OKButton", "OK", "OK"},
};

// Looking a text up is indexing: the table holds every id at its own place.
constexpr bool InIdOrder() {
  for (std::size_t i = 0; i < std::size(kTexts); ++i)
    if (static_cast<std::size_t>(kTexts[i].Id) != i) return false;
  return true;
}
static_assert(InIdOrder(), "the catalogue must list every text in the order of TTextId");
static_assert(static_cast<std::size_t>(OKButton) + 1 == std::size(kTexts),
              "the catalogue must end with the last TTextId");

}  // namespace

std::span<const TCatalogueText> TextCatalogue() {
  return kTexts;
}

const TCatalogueText& CatalogueEntry(TTextId id) {
  return kTexts[static_cast<std::size_t>(id)];
}

std::string_view BuiltInText(TTextId id, int32_t language) {
  const TCatalogueText& entry = CatalogueEntry(id);
  return language == 0 ? entry.German : entry.English;
}

std::string FillPlaceholders(std::string_view text, std::span<const std::string_view> values) {
  std::string filled;
  filled.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '%' && at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9') {
      const auto n = static_cast<std::size_t>(text[at + 1] - '1');
      if (n < values.size()) {
        filled += values[n];
        ++at;
        continue;
      }
    }
    filled += text[at];
  }
  return filled;
}

}  // namespace fendrel

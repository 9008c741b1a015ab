// fendrel-cli restore: puts back the newest backup of each named file, of every file below a
// directory that has one, or the files of a whole run of the run journal as they were before it.
// The content a restore replaces is kept as a new backup, and the restore is itself a run of the
// journal, so it can be undone in turn.
#include <algorithm>
#include <cstdio>
#include <optional>

#include "CommandLine.h"
#include "Commands.h"
#include "Interrupt.h"
#include "TerminalText.h"
#include "engine/RestoreBackup.h"
#include "platform/Wildcard.h"
#include "records/BackupRegistry.h"
#include "records/RestoreRun.h"
#include "scan/DirWalk.h"
#include "settings/Locations.h"

namespace fendrel::cli {
namespace {

int Usage(const std::string& error) {
  std::fprintf(stderr, "fendrel-cli restore: %s\nTry 'fendrel-cli --help'.\n", error.c_str());
  return kExitUsage;
}

// Every line names files: a name never reaches the terminal as control characters.
void PrintLine(const std::string& line) {
  WriteLine(stdout, EscapeControls(line));
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// One file's entry, as replace reports a task: the new backup, the file, "BACKUP --> NAME :" and
// the result, then an empty line; the reason of a failure goes to standard error first.
void Report(const std::string& file, const std::string& backup, const std::string& result,
            const TRewriteOutcome& outcome) {
  if (!outcome.BackupName.empty()) PrintLine("backup: " + outcome.BackupName);
  if (!outcome.Reason.empty())
    WriteLine(stderr,
              "fendrel-cli: " + EscapeControls(file) + ": " + EscapeControls(outcome.Reason));
  PrintLine(file);
  PrintLine((backup.empty() ? "no backup" : NameOf(backup)) + " --> " + NameOf(file) + " :");
  PrintLine(result);
  PrintLine("");
}

// Restores `file` from `backup` (none: the file has no backup) as part of `restore`; false
// when it fails.
bool RestoreFile(TRestoreRun& restore, const std::string& file, const std::string& backup) {
  if (Interrupted()) {
    Report(file, backup, "SKIPPED", {});
    return false;
  }
  if (backup.empty()) {
    Report(file, backup, "FAILED", {-1, "no backup to restore", ""});
    return false;
  }
  const bool recorded = restore.JournalError().empty();
  const TRewriteOutcome outcome = restore.Restore(file, backup);
  if (recorded && !restore.JournalError().empty())
    std::fprintf(stderr, "fendrel-cli: the restore cannot be undone as a whole: %s\n",
                 restore.JournalError().c_str());
  Report(file, backup,
         outcome.Result < 0    ? "FAILED"
         : outcome.Result == 0 ? "unchanged"
                               : "restored",
         outcome);
  return outcome.Result >= 0;
}

// How many of the files of `run` still have the backup that undoes it.
std::size_t FilesToUndo(const TRunEntry& run) {
  std::size_t count = 0;
  for (const TRunBackup& backup : run.FirstBackups())
    count += BackupExists(backup.Backup);
  return count;
}

// "--list-runs": newest first, "NUMBER  TIME  N file(s)  KIND in FOLDER: TEXT", the runs
// nothing is left of passed over.
int ListRuns(const std::vector<TRunEntry>& runs) {
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    const std::size_t files = FilesToUndo(*run);
    if (files == 0) continue;
    PrintLine(std::to_string(run->Number) + "  " + RunTimeText(*run) + "  " +
              std::to_string(files) + (files == 1 ? " file  " : " files  ") + run->Kind + " in " +
              run->Folder + ": " + run->Text);
  }
  std::fflush(stdout);
  return kExitOk;
}

// "--run=last" or "--run=N": every file of the run back as it was before it.
int RestoreWholeRun(const std::vector<TRunEntry>& runs, const std::string& which, bool dryRun,
                    TRunJournal& journal) {
  const TRunEntry* run = nullptr;
  for (auto entry = runs.rbegin(); entry != runs.rend() && !run; ++entry) {
    if (which == "last" ? FilesToUndo(*entry) > 0 : std::to_string(entry->Number) == which)
      run = &*entry;
  }
  if (!run) {
    std::fprintf(stderr, "fendrel-cli restore: %s; 'fendrel-cli restore --list-runs' lists them\n",
                 which == "last" ? "no run to undo is recorded"
                                 : ("run " + which + " is not recorded").c_str());
    return kExitFailed;
  }
  TRestoreRun restore(&journal, run->Folder, "run " + std::to_string(run->Number), dryRun);
  bool failed = false;
  for (const TRunBackup& backup : run->FirstBackups())
    failed = !RestoreFile(restore, backup.File, BackupExists(backup.Backup) ? backup.Backup : "") ||
             failed;
  if (!dryRun) journal.Flush();
  std::fflush(stdout);
  return failed ? kExitFailed : kExitOk;
}

// A named file is left out by its name alone, as the walk would leave it out of its folder;
// ignore files do not apply to it: naming a file asks for it.
bool Excluded(const std::string& file, const TWalkOptions& options) {
  const std::string name = NameOf(file);
  const auto matches = [&name](const std::string& mask) { return MatchesMask(name, mask); };
  return std::any_of(options.Excluded.begin(), options.Excluded.end(), matches) ||
         (!options.IncludeVcsFolders &&
          std::any_of(kVcsFolderNames.begin(), kVcsFolderNames.end(), matches));
}

}  // namespace

int RestoreCommand(const std::vector<std::string>& args) {
  static const std::vector<TOptionSpec> kOptions =
      WithExcludeOptions({{"-r", "--recursive", false},
                          {"-n", "--dry-run", false},
                          {nullptr, "--run", true},
                          {nullptr, "--list-runs", false}});
  std::string error;
  const auto parsed = ParseArgs(args, kOptions, kAnyCount, error);
  if (!parsed) return Usage(error);
  const auto walk = WalkOptionsOf(*parsed, error);
  if (!walk) return Usage(error);
  const bool dryRun = parsed->Has("--dry-run");
  const std::vector<std::string>& positional = parsed->Positional;
  const bool byRun = parsed->Has("--run") || parsed->Has("--list-runs");
  const bool listingOptions = parsed->Has("--exclude") || parsed->Has("--exclude-vcs") ||
                              parsed->Has("--include-vcs") || parsed->Has("--no-ignore");
  if (byRun && (parsed->Has("--recursive") || !positional.empty() || listingOptions))
    return Usage(
        "--run and --list-runs take no PATH, -r, --exclude, --exclude-vcs, --include-vcs or "
        "--no-ignore");
  if (parsed->Has("--run") && parsed->Has("--list-runs"))
    return Usage("--run and --list-runs exclude each other");
  CatchInterrupt();
  // Every restore is a run of the journal the window shares, so that it can be undone whole.
  const std::string dataDirectory = DesktopLocations().DataDirectory;
  TRunJournal journal(dataDirectory);
  if (byRun) {
    // Runs whose backups were all deleted leave the journal here and when the window starts:
    // a run of many files would otherwise pay for looking at every backup ever made.
    DropSpentRuns(dataDirectory);
    bool readable = true;
    const std::vector<TRunEntry> runs = ReadRunJournal(dataDirectory, &readable);
    if (!readable) {
      std::fprintf(stderr, "fendrel-cli restore: cannot read the run journal %s%s\n",
                   dataDirectory.c_str(), std::string(kRunJournalFileName).c_str());
      return kExitFailed;
    }
    if (parsed->Has("--list-runs")) return ListRuns(runs);
    const std::string& which = parsed->Options.at("--run");
    if (which != "last" &&
        (which.empty() || which.find_first_not_of("0123456789") != std::string::npos))
      return Usage("--run must be last or a run's number");
    return RestoreWholeRun(runs, which, dryRun, journal);
  }
  bool failed = false;

  if (!parsed->Has("--recursive")) {
    if (positional.empty()) return Usage("expected at least one PATH");
    TRestoreRun restore(&journal, {}, "named files", dryRun);
    for (const std::string& file : positional) {
      if (!Excluded(file, *walk))
        failed = !RestoreFile(restore, file, NewestBackup(file)) || failed;
    }
    if (!dryRun) journal.Flush();
    std::fflush(stdout);
    return failed ? kExitFailed : kExitOk;
  }

  if (positional.size() != 2)
    return Usage("with -r, expected DIR and MASK, got " + std::to_string(positional.size()) +
                 " arguments");
  if (auto refused = ScanArgumentsError(positional[0], positional[1])) return Usage(*refused);
  // Only files that are there: a file that was removed since its backup was made stays removed
  // unless it is named. The scan delivers each folder's files together, so each folder's
  // backups are looked up once.
  const std::string root = FullStartPath(positional[0]);
  TRestoreRun restore(&journal, root, "backups of " + positional[1], dryRun);
  std::string folder;
  std::unordered_map<std::string, std::string> backups;
  TScanShortfall shortfall;
  for (const std::string& file : ScanFiles(positional[0], positional[1], true, *walk, &shortfall)) {
    if (FolderOf(file) != folder) {
      folder = FolderOf(file);
      backups = NewestBackupsIn(folder);
    }
    const auto backup = backups.find(NameOf(file));
    if (backup != backups.end()) failed = !RestoreFile(restore, file, backup->second) || failed;
  }
  if (!dryRun) journal.Flush();
  std::fflush(stdout);
  // Backups in a folder that could not be read were not restored, as a failed file's.
  return failed || shortfall.UnreadableFolders > 0 ? kExitFailed : kExitOk;
}

}  // namespace fendrel::cli

// fendrel-cli restore: puts back the newest backup of each named file, or of every file below a
// directory that has one, through the engine's restore, which keeps the content it replaces as
// a new backup, so a restore can itself be undone.
#include <cstdio>

#include "CommandLine.h"
#include "Commands.h"
#include "Interrupt.h"
#include "engine/RestoreBackup.h"
#include "platform/Wildcard.h"
#include "scan/DirWalk.h"

namespace fendrel::cli {
namespace {

int Usage(const std::string& error) {
  std::fprintf(stderr, "fendrel-cli restore: %s\nTry 'fendrel-cli --help'.\n", error.c_str());
  return kExitUsage;
}

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
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
    std::fprintf(stderr, "fendrel-cli: %s: %s\n", file.c_str(), outcome.Reason.c_str());
  PrintLine(file);
  PrintLine((backup.empty() ? "no backup" : NameOf(backup)) + " --> " + NameOf(file) + " :");
  PrintLine(result);
  PrintLine("");
}

// Restores `file` from `backup` (none: the file has no backup) below the folder `root` (empty:
// its own); false when it fails.
bool RestoreFile(const std::string& file, const std::string& backup, bool dryRun,
                 const std::string& root = {}) {
  if (Interrupted()) {
    Report(file, backup, "SKIPPED", {});
    return false;
  }
  if (backup.empty()) {
    Report(file, backup, "FAILED", {-1, "no backup to restore", ""});
    return false;
  }
  const TRewriteOutcome outcome = RestoreBackup(backup, file, dryRun, root);
  Report(file, backup,
         outcome.Result < 0    ? "FAILED"
         : outcome.Result == 0 ? "unchanged"
                               : "restored",
         outcome);
  return outcome.Result >= 0;
}

bool Excluded(const std::string& file, const std::vector<std::string>& excluded) {
  const std::string name = NameOf(file);
  for (const std::string& mask : excluded) {
    if (MatchesMask(name, mask)) return true;
  }
  return false;
}

}  // namespace

int RestoreCommand(const std::vector<std::string>& args) {
  static const std::vector<TOptionSpec> kOptions =
      WithExcludeOptions({{"-r", "--recursive", false}, {"-n", "--dry-run", false}});
  std::string error;
  const auto parsed = ParseArgs(args, kOptions, kAnyCount, error);
  if (!parsed) return Usage(error);
  const auto excluded = ExcludedNames(*parsed, error);
  if (!excluded) return Usage(error);
  const bool dryRun = parsed->Has("--dry-run");
  const std::vector<std::string>& positional = parsed->Positional;
  CatchInterrupt();
  bool failed = false;

  if (!parsed->Has("--recursive")) {
    if (positional.empty()) return Usage("expected at least one PATH");
    for (const std::string& file : positional) {
      if (!Excluded(file, *excluded))
        failed = !RestoreFile(file, NewestBackup(file), dryRun) || failed;
    }
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
  std::string folder;
  std::unordered_map<std::string, std::string> backups;
  for (const std::string& file : ScanFiles(positional[0], positional[1], true, *excluded)) {
    if (FolderOf(file) != folder) {
      folder = FolderOf(file);
      backups = NewestBackupsIn(folder);
    }
    const auto backup = backups.find(NameOf(file));
    if (backup != backups.end())
      failed = !RestoreFile(file, backup->second, dryRun, root) || failed;
  }
  std::fflush(stdout);
  return failed ? kExitFailed : kExitOk;
}

}  // namespace fendrel::cli

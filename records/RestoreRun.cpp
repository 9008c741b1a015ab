#include "RestoreRun.h"

#include "engine/RestoreBackup.h"

namespace fendrel {

namespace {

// Whether `file` lies below `folder`: "/a/b" holds "/a/b/c" but not "/a/bc"; "/" holds all.
bool LiesBelow(std::string_view folder, std::string_view file) {
  return !folder.empty() && file.size() > folder.size() && file.starts_with(folder) &&
         (folder.back() == '/' || file[folder.size()] == '/');
}

}  // namespace

TRewriteOutcome TRestoreRun::Restore(const std::string& file, const std::string& backup) {
  TRewriteOutcome outcome =
      RestoreBackup(backup, file, FDryRun, LiesBelow(FFolder, file) ? FFolder : std::string());
  FRecorder.Backup(file, outcome.BackupName);
  return outcome;
}

}  // namespace fendrel

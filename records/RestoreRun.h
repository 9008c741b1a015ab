// Undoing: backups put back under the names of the files they were made of, as one run of the
// journal, so that the undoing can itself be undone, by run or by backup. Both front ends restore
// through here, whether the user picked backups, files or a whole run.
#pragma once

#include <string>
#include <string_view>

#include "RunJournal.h"
#include "engine/ProcessFile.h"

namespace fendrel {

class TRestoreRun {
 public:
  // `journal` may be null (nothing is recorded); a dry run records nothing either. Below
  // `folder` (when not empty) no folder on the way to a file may be a symbolic link, as in the
  // run that made the backups; `text` says in the journal what was restored ("run 12").
  TRestoreRun(TRunJournal* journal, std::string folder, std::string text, bool dryRun)
      : FRecorder(dryRun ? nullptr : journal, kRunRestore, folder, std::move(text)),
        FFolder(std::move(folder)),
        FDryRun(dryRun) {}

  // Gives `file` the content of `backup` (see RestoreBackup); the content replaced becomes a
  // backup of this run.
  TRewriteOutcome Restore(const std::string& file, const std::string& backup);

  // Why the journal could not record the restore: the files are restored all the same.
  const std::string& JournalError() const { return FRecorder.Error(); }

 private:
  TRunRecorder FRecorder;
  std::string FFolder;
  bool FDryRun;
};

}  // namespace fendrel

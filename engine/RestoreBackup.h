// Putting a backup's content back under the name of the file it was made of. It goes through the
// same safe rewrite as a run: the content being replaced is first kept as a new numbered backup,
// so a restore can be undone like any run.
#pragma once

#include <string>
#include <unordered_map>

#include "ProcessFile.h"

namespace fendrel {

// The file a backup was made of: `backup` without its ".N.snr_bak"; empty for other names.
std::string BackupOriginal(const std::string& backup);

// The newest backup of `file`: the existing "file.N.snr_bak" with the highest N; empty when
// there is none.
std::string NewestBackup(const std::string& file);

// The newest backup, as NewestBackup finds it, of every file in `folder` that has one, by the
// file's name (the file itself need not exist). The folder is read once, however many files it
// holds.
std::unordered_map<std::string, std::string> NewestBackupsIn(const std::string& folder);

// Gives `original` the content of `backup`. Result 1 when restored (or, with `dryRun`, when it
// would be), 0 when the file has that content already, otherwise a failure code with its reason.
// A file that no longer exists is made again under its name; the backup itself stays. A restore
// never follows a symbolic link: a file or backup that is one fails, and below `root` (the
// folder being restored, when given) no folder on the way may be one either.
TRewriteOutcome RestoreBackup(const std::string& backup, const std::string& original,
                              bool dryRun = false, const std::string& root = {});

}  // namespace fendrel

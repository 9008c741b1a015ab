// The names of the files Fendrel makes beside a user's file: the temporary file of a rewrite,
// numbered backups and new content kept when it could not take its file's name. The scan never
// lists them, so no run rewrites the only copy of an earlier content.
#pragma once

#include <string>
#include <string_view>

namespace fendrel {

// Attempt 0 is "snr4.tmp"; later attempts, for when that name is taken, are
// "snr4.XXXXXXXX.tmp" with eight random hexadecimal digits.
std::string TempFileName(unsigned attempt);

// The record of a rewrite in place: attempt 0 is "snr4.undo", later ones "snr4.XXXXXXXX.undo".
std::string IntentRecordName(unsigned attempt);

// file + "." + n + ".snr_bak"
std::string BackupFileName(const std::string& file, unsigned long n);
// The parts of a backup's name "<file>.<N>.snr_bak" (no directory): the file's name and N's
// decimal digits; both empty for any other name.
struct TBackupName {
  std::string_view File, Number;
};
TBackupName ParseBackupName(std::string_view name);

// file + ".snr_new" for n = 0, file + "." + n + ".snr_new" after that.
std::string KeptFileName(const std::string& file, unsigned long n);

// True for a name (no directory) of the forms above: "snr4.tmp", "snr4.*.tmp", "snr4.undo",
// "snr4.*.undo", "*.N.snr_bak" with N decimal digits, and "*.snr_new".
bool IsOwnFileName(std::string_view name);

}  // namespace fendrel

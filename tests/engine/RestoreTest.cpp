// Putting backups back: the content returns byte for byte, the content it replaces becomes the
// newest backup, and a file that is gone is made again.
#include <gtest/gtest.h>

#include "engine/RestoreBackup.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(Restore, NamesOfBackups) {
  TTempDir dir;
  const std::string file = dir / "a.txt";
  EXPECT_EQ(NewestBackup(file), "");
  for (const char* n : {"0", "9", "10", "2"})
    WriteFile(file + "." + n + ".snr_bak", n);
  WriteFile(dir / "a.txt.99.snr_bak.x", "");
  WriteFile(dir / "ba.txt.99.snr_bak", "");
  EXPECT_EQ(NewestBackup(file), file + ".10.snr_bak");

  EXPECT_EQ(BackupOriginal("/d/a.txt.12.snr_bak"), "/d/a.txt");
  EXPECT_EQ(BackupOriginal("a.b.0.snr_bak"), "a.b");
  EXPECT_EQ(BackupOriginal("/d/a.txt"), "");
  EXPECT_EQ(BackupOriginal("/d/.snr_bak"), "");
}

TEST(Restore, PutsTheBackupBackAndKeepsWhatItReplaces) {
  TTempDir dir;
  const std::string file = dir / "a.txt";
  WriteFile(file, "new content");
  WriteFile(file + ".0.snr_bak", std::string("old\0content", 11));

  EXPECT_EQ(RestoreBackup(file + ".0.snr_bak", file, true).Result, 1);
  EXPECT_EQ(ReadFile(file), "new content") << "a dry run writes nothing";

  const TRewriteOutcome outcome = RestoreBackup(file + ".0.snr_bak", file);
  EXPECT_EQ(outcome.Result, 1) << outcome.Reason;
  EXPECT_EQ(ReadFile(file), std::string("old\0content", 11));
  EXPECT_EQ(outcome.BackupName, file + ".1.snr_bak");
  EXPECT_EQ(ReadFile(file + ".1.snr_bak"), "new content");
  EXPECT_TRUE(Exists(file + ".0.snr_bak"));

  // The newest backup is now the content just replaced: restoring it undoes the restore.
  EXPECT_EQ(RestoreBackup(NewestBackup(file), file).Result, 1);
  EXPECT_EQ(ReadFile(file), "new content");
  // Nothing to do when the file holds the backup's content.
  EXPECT_EQ(RestoreBackup(file + ".1.snr_bak", file).Result, 0);
  EXPECT_FALSE(Exists(file + ".3.snr_bak"));
}

TEST(Restore, RefillsMissingAndEmptiedFilesAndFailsWithReasons) {
  TTempDir dir;
  const std::string file = dir / "gone.txt";
  WriteFile(file + ".4.snr_bak", "was here");
  EXPECT_EQ(RestoreBackup(file + ".4.snr_bak", file).Result, 1);
  EXPECT_EQ(ReadFile(file), "was here");

  // An emptied file gets its content back, and its emptiness is kept as a backup too.
  const std::string emptied = dir / "emptied.txt";
  WriteFile(emptied, "");
  WriteFile(emptied + ".0.snr_bak", "content");
  const TRewriteOutcome refilled = RestoreBackup(emptied + ".0.snr_bak", emptied);
  EXPECT_EQ(refilled.Result, 1) << refilled.Reason;
  EXPECT_EQ(ReadFile(emptied), "content");
  EXPECT_EQ(refilled.BackupName, emptied + ".1.snr_bak");
  EXPECT_EQ(ReadFile(emptied + ".1.snr_bak"), "");

  const TRewriteOutcome missing = RestoreBackup(dir / "x.0.snr_bak", dir / "x");
  EXPECT_EQ(missing.Result, prMissing);
  EXPECT_EQ(missing.Reason, "the backup no longer exists");
  EXPECT_FALSE(Exists(dir / "x"));
}

}  // namespace
}  // namespace fendrel

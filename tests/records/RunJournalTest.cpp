// The run journal: runs of two programs appended side by side and read back whole, whatever
// bytes their paths hold; runs whose backups are gone dropped; a run undone, and the undoing
// undone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "records/RestoreRun.h"
#include "records/RunJournal.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

std::vector<std::string> Backups(const TRunEntry& run) {
  std::vector<std::string> backups;
  for (const TRunBackup& backup : run.Backups)
    backups.push_back(backup.File + "=" + backup.Backup);
  return backups;
}

TEST(RunJournalTest, TwoProgramsAppendSideBySideAndEveryByteComesBack) {
  TTempDir dir;
  // Any byte but zero may stand in a path, the journal's own separators included.
  const std::string odd = dir / "tab\there\r\ncr lf\\back\xff\xfe.txt";
  TRunJournal window(dir.Path()), commandLine(dir.Path());
  std::string error;
  const uint64_t first = window.Begin(kRunReplace, dir.Path(), "*.txt: a --> b", error);
  const uint64_t second = commandLine.Begin(kRunRestore, "/", "run 1", error);
  ASSERT_EQ(first, 1u) << error;
  ASSERT_EQ(second, 2u) << error;
  EXPECT_TRUE(window.Add(first, odd, odd + ".0.snr_bak", error));
  EXPECT_TRUE(commandLine.Add(second, "/x", "/x.4.snr_bak", error));
  EXPECT_TRUE(window.Add(first, "/y", "/y.0.snr_bak", error));
  window.Flush();

  bool readable = false;
  const std::vector<TRunEntry> runs = ReadRunJournal(dir.Path(), &readable);
  EXPECT_TRUE(readable);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].Number, 1u);
  EXPECT_EQ(runs[0].Kind, kRunReplace);
  EXPECT_EQ(runs[0].Folder, dir.Path());
  EXPECT_EQ(runs[0].Text, "*.txt: a --> b");
  EXPECT_NEAR(static_cast<double>(runs[0].Time), static_cast<double>(std::time(nullptr)), 60);
  EXPECT_EQ(Backups(runs[0]),
            (std::vector<std::string>{odd + "=" + odd + ".0.snr_bak", "/y=/y.0.snr_bak"}));
  EXPECT_EQ(runs[1].Kind, kRunRestore);
  EXPECT_EQ(Backups(runs[1]), std::vector<std::string>{"/x=/x.4.snr_bak"});
  EXPECT_EQ(RunTimeText(runs[0]).size(), 19u) << RunTimeText(runs[0]);

  // A later program goes on counting where the journal stands, however far back the last run
  // began.
  for (int i = 0; i < 2000; ++i)
    commandLine.Add(second, dir / "some/longer/folder/name/file.txt",
                    dir / "some/longer/folder/name/file.txt.0.snr_bak", error);
  EXPECT_EQ(TRunJournal(dir.Path()).Begin(kRunReplace, "/", "", error), 3u);
}

TEST(RunJournalTest, ReadingPassesOverWhatIsNoRecord) {
  TTempDir dir;
  WriteFile(dir / "runs.dat",
            "run\t4\t100\treplace\t/t\tx\r\n"
            "backup\t4\t/t/a\t/t/a.0.snr_bak\r\n"
            "backup\t9\t/t/b\t/t/b.0.snr_bak\r\n"  // a run never begun
            "run\t4\t101\treplace\t/t\tagain\r\n"  // a number taken
            "run\tx\t100\treplace\t/t\tx\r\n"      // no number
            "backup\t4\t/t/c\r\n"                  // a field short
            "backup\t4\t/t/bad\\q\t/t/q.0\r\n"     // an escape never written
            "garbage\n"
            "backup\t4\t/t/a\t/t/a.1.snr_bak\n"  // a later backup of the same file
            "backup\t4\t/t/d\t/t/d.0.sn");       // what a crash left of a record
  const std::vector<TRunEntry> runs = ReadRunJournal(dir.Path());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(Backups(runs[0]),
            (std::vector<std::string>{"/t/a=/t/a.0.snr_bak", "/t/a=/t/a.1.snr_bak"}));
  // Undoing the run puts each file back as it was before the run: its first backup.
  ASSERT_EQ(runs[0].FirstBackups().size(), 1u);
  EXPECT_EQ(runs[0].FirstBackups()[0].Backup, "/t/a.0.snr_bak");

  bool readable = false;
  EXPECT_TRUE(ReadRunJournal(dir / "none").empty());
  ReadRunJournal(dir / "none", &readable);
  EXPECT_TRUE(readable) << "no journal is an empty one";
  test::MakeDir(dir / "folder/runs.dat");
  ReadRunJournal(dir / "folder", &readable);
  EXPECT_FALSE(readable);
  std::string error;
  EXPECT_EQ(TRunJournal(dir / "folder").Begin(kRunReplace, "/", "", error), 0u);
  EXPECT_NE(error.find("run journal"), std::string::npos) << error;
  EXPECT_EQ(TRunJournal(dir / "missing/folder").Begin(kRunReplace, "/", "", error), 0u);
}

TEST(RunJournalTest, SpentRunsGoAndAnOpenAppenderFollowsTheRewrite) {
  TTempDir dir;
  WriteFile(dir / "a.0.snr_bak", "a");
  TRunJournal journal(dir.Path());
  std::string error;
  const uint64_t spent = journal.Begin(kRunReplace, dir.Path(), "spent", error);
  journal.Add(spent, dir / "gone", dir / "gone.0.snr_bak", error);
  const uint64_t kept = journal.Begin(kRunReplace, dir.Path(), "kept", error);
  journal.Add(kept, dir / "gone", dir / "gone.1.snr_bak", error);
  journal.Add(kept, dir / "a", dir / "a.0.snr_bak", error);
  ASSERT_TRUE(error.empty()) << error;

  ASSERT_TRUE(DropSpentRuns(dir.Path()));
  std::vector<TRunEntry> runs = ReadRunJournal(dir.Path());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].Text, "kept");
  EXPECT_EQ(runs[0].Backups.size(), 2u) << "a run keeps all its lines while one backup is left";

  // The journal held its file open through the rewrite: it appends to the new one.
  EXPECT_EQ(journal.Begin(kRunReplace, dir.Path(), "later", error), kept + 1) << error;
  runs = ReadRunJournal(dir.Path());
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].Text, "later");
  EXPECT_TRUE(DropSpentRuns(dir / "nothing-here"));
}

TEST(RunJournalTest, ARunIsRecordedWithItsFirstBackupAndUndoneWholeAndTheUndoingToo) {
  TTempDir dir;
  TRunJournal journal(dir.Path());
  TRunRecorder unchanged(&journal, kRunReplace, dir.Path(), "nothing");
  unchanged.Backup(dir / "a", "");
  EXPECT_EQ(unchanged.Number(), 0u) << "a run without backups leaves no trace";
  TSnRTast task;
  task.Init("/t/f", "a\0b", 3, smCaseSensitive, "c", 1, true, lmAllFiles);
  EXPECT_EQ(ReplaceRunText("*.txt", task), "*.txt: a [61] --> c [63]");

  // What a run did: two files rewritten, their old contents kept as backups.
  WriteFile(dir / "a", "new a");
  WriteFile(dir / "a.0.snr_bak", "old a");
  WriteFile(dir / "b", "new b");
  WriteFile(dir / "b.2.snr_bak", "old b");
  TRunRecorder run(&journal, kRunReplace, dir.Path(), "*: old --> new");
  run.Backup(dir / "a", dir / "a.0.snr_bak");
  run.Backup(dir / "b", dir / "b.2.snr_bak");
  ASSERT_EQ(run.Number(), 1u) << run.Error();

  const auto undo = [&](const TRunEntry& entry) {
    TRestoreRun restore(&journal, entry.Folder, "run " + std::to_string(entry.Number), false);
    for (const TRunBackup& backup : entry.FirstBackups())
      EXPECT_EQ(restore.Restore(backup.File, backup.Backup).Result, 1) << backup.File;
    EXPECT_EQ(restore.JournalError(), "");
  };
  undo(ReadRunJournal(dir.Path()).back());
  EXPECT_EQ(ReadFile(dir / "a"), "old a");
  EXPECT_EQ(ReadFile(dir / "b"), "old b");
  std::vector<TRunEntry> runs = ReadRunJournal(dir.Path());
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].Kind, kRunRestore);
  EXPECT_EQ(runs[1].Text, "run 1");
  EXPECT_EQ(Backups(runs[1]), (std::vector<std::string>{dir / "a=" + dir / "a.1.snr_bak",
                                                        dir / "b=" + dir / "b.0.snr_bak"}));
  // The undoing is a run like any other: undone, it brings the run's changes back.
  undo(runs[1]);
  EXPECT_EQ(ReadFile(dir / "a"), "new a");
  EXPECT_EQ(ReadFile(dir / "b"), "new b");

  // A dry run touches neither the files nor the journal.
  TRestoreRun dry(&journal, dir.Path(), "dry", true);
  EXPECT_EQ(dry.Restore(dir / "a", dir / "a.0.snr_bak").Result, 1);
  EXPECT_EQ(ReadFile(dir / "a"), "new a");
  EXPECT_EQ(ReadRunJournal(dir.Path()).size(), 3u);
}

}  // namespace
}  // namespace fendrel

// The backup registry: reading "backup.dat" without the backups that vanished, writing it back
// in CR LF lines, and deleting the ticked backups.
#include <gtest/gtest.h>
#include <unistd.h>

#include "records/BackupRegistry.h"
#include "records/DataFileLines.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::MakeDir;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

std::vector<std::string> Paths(const TBackupRegistry& registry) {
  std::vector<std::string> paths;
  for (const TBackupEntry& entry : registry.Entries())
    paths.push_back(entry.Path);
  return paths;
}

TEST(DataFileLinesTest, SplitsAtEveryLineEnd) {
  struct TCase {
    std::string Content;
    std::vector<std::string> Lines;
  };
  const TCase cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},                      // a last line without an end counts
      {"a\r\r\nb\n\nc", {"a", "", "b", "", "c"}},  // empty lines stay for the reader to judge
      {"\n", {""}},
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},  // the text ends at a zero byte
  };
  for (const TCase& c : cases)
    EXPECT_EQ(SplitLines(c.Content), c.Lines) << testing::PrintToString(c.Content);
  EXPECT_EQ(JoinCrLfLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinCrLfLines({}), "");
}

TEST(BackupRegistryTest, LoadKeepsTheBackupsStillThereInFileOrder) {
  TTempDir dir;
  const std::string first = dir / "a.txt.0.snr_bak", gone = dir / "b.txt.0.snr_bak",
                    last = dir / "c.txt.3.snr_bak";
  WriteFile(first, "1");
  WriteFile(last, "3");
  MakeDir(dir / "sub.0.snr_bak");
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(testing::PrintToString(end));
    // Vanished, empty, relative and directory lines all go; the rest keeps its order.
    WriteFile(dir / "backup.dat", last + end + gone + end + end + "a.txt.0.snr_bak" + end +
                                      dir / "sub.0.snr_bak" + end + first);
    TBackupRegistry registry;
    registry.Record("/left/over/from/before");
    ASSERT_TRUE(registry.Load(dir.Path()));
    EXPECT_EQ(Paths(registry), (std::vector<std::string>{last, first}));
    EXPECT_FALSE(registry.AnyTicked());

    ASSERT_TRUE(registry.Save(dir.Path() + "/"));
    EXPECT_EQ(ReadFile(dir / "backup.dat"), last + "\r\n" + first + "\r\n");
  }
}

// The folders a start looks in for interrupted rewrites: each once, in the order of their first
// backup, a backup right below the root in "/", and a folder never cut to a prefix of another.
TEST(BackupRegistryTest, FoldersOfTheBackupsEachOnceInTheirFirstOrder) {
  struct TCase {
    std::vector<std::string> Backups;
    std::vector<std::string> Folders;
  };
  const TCase cases[] = {
      {{}, {}},
      {{"/b/x.0.snr_bak", "/a/y.0.snr_bak", "/b/z.1.snr_bak"}, {"/b", "/a"}},
      {{"/top.0.snr_bak", "/a/b/c.0.snr_bak", "/a/b.0.snr_bak", "/a/bc/d.0.snr_bak"},
       {"/", "/a/b", "/a", "/a/bc"}},
  };
  for (const TCase& c : cases) {
    TBackupRegistry registry;
    for (const std::string& backup : c.Backups)
      registry.Record(backup);
    EXPECT_EQ(registry.Folders(), c.Folders) << testing::PrintToString(c.Backups);
  }
}

TEST(BackupRegistryTest, MissingOrUnreadableRegistryGivesAnEmptyList) {
  TTempDir dir;
  TBackupRegistry registry;
  registry.Record("/x");
  EXPECT_TRUE(registry.Load(dir.Path()));
  EXPECT_EQ(registry.Count(), 0u);

  MakeDir(dir / "backup.dat");
  registry.Record("/x");
  EXPECT_FALSE(registry.Load(dir.Path()));
  EXPECT_EQ(registry.Count(), 0u);
}

TEST(BackupRegistryTest, SaveWritesEveryRecordedBackupAndLeavesOutLineBreaks) {
  TTempDir dir;
  TBackupRegistry registry;
  ASSERT_TRUE(registry.Save(dir.Path()));
  EXPECT_TRUE(Exists(dir / "backup.dat"));
  EXPECT_EQ(ReadFile(dir / "backup.dat"), "");

  // Neither sorted nor made unique: the list is the order in which the worker made them.
  registry.Record("/d/f.0.snr_bak");
  registry.Record("/d/evil\n/home/u/notes.txt.0.snr_bak");
  registry.Record("/d/f.1.snr_bak");
  registry.Record("/d/f.0.snr_bak");
  ASSERT_TRUE(registry.Save(dir.Path()));
  EXPECT_EQ(ReadFile(dir / "backup.dat"), "/d/f.0.snr_bak\r\n/d/f.1.snr_bak\r\n/d/f.0.snr_bak\r\n");
  EXPECT_EQ(registry.Count(), 4u);  // the list itself still shows it

  // A data directory that cannot take the file is reported, not passed over.
  EXPECT_FALSE(registry.Save(dir / "no-such-dir"));
}

TEST(BackupRegistryTest, DeleteRemovesTickedEntriesAndTheirFilesOnly) {
  TTempDir dir;
  const std::string kept = dir / "kept.0.snr_bak", deleted = dir / "deleted.0.snr_bak",
                    vanished = dir / "vanished.0.snr_bak", folder = dir / "folder.0.snr_bak",
                    link = dir / "link.0.snr_bak", target = dir / "target.txt";
  WriteFile(kept, "k");
  WriteFile(deleted, "d");
  WriteFile(target, "t");
  MakeDir(folder);
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);

  TBackupRegistry registry;
  for (const std::string& path : {kept, deleted, vanished, folder, link})
    registry.Record(path);
  EXPECT_FALSE(registry.AnyTicked());
  for (std::size_t i = 1; i < registry.Count(); ++i)
    registry.SetTicked(i, true);
  registry.SetTicked(99, true);  // out of range: ignored
  EXPECT_TRUE(registry.AnyTicked());

  EXPECT_EQ(registry.DeleteTicked(), 0u);
  EXPECT_EQ(Paths(registry), std::vector<std::string>{kept});
  EXPECT_TRUE(Exists(kept));
  EXPECT_FALSE(Exists(deleted));
  EXPECT_FALSE(Exists(link));
  EXPECT_EQ(ReadFile(target), "t");  // a link goes, never what it points to
  EXPECT_TRUE(Exists(folder));       // not a backup: the entry goes, the folder stays
  EXPECT_FALSE(registry.AnyTicked());

  registry.SetAllTicked(true);
  EXPECT_EQ(registry.DeleteTicked(), 0u);
  EXPECT_EQ(registry.Count(), 0u);
  EXPECT_FALSE(Exists(kept));
}

TEST(BackupRegistryTest, BackupThatCannotBeDeletedStaysListed) {
  // A file that no one, the superuser included, can delete.
  const std::string stuck = "/proc/self/status";
  if (!Exists(stuck)) GTEST_SKIP() << "no /proc";
  TTempDir dir;
  const std::string free = dir / "free.0.snr_bak";
  WriteFile(free, "f");

  TBackupRegistry registry;
  registry.Record(stuck);
  registry.Record(free);
  registry.SetAllTicked(true);
  EXPECT_EQ(registry.DeleteTicked(), 1u);

  ASSERT_EQ(registry.Count(), 1u);
  EXPECT_EQ(registry.Entries()[0].Path, stuck);
  EXPECT_TRUE(registry.Entries()[0].Ticked);
  EXPECT_FALSE(Exists(free));
}

}  // namespace
}  // namespace fendrel

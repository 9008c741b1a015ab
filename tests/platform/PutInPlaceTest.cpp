// The temporary file and putting it in place: private creation that never touches another
// file, holes kept, numbered backups that never replace a file, refusing a file another program
// changed, keeping content that cannot land, and the in-place way for files a new file cannot
// stand in for.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "platform/OwnFileNames.h"
#include "platform/PutInPlace.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

// The names in `dir` besides the ones given.
std::vector<std::string> OtherNames(const TTempDir& dir, std::vector<std::string> known) {
  std::vector<std::string> names;
  for (const std::string& name : test::ListNames(dir.Path()))
    if (std::find(known.begin(), known.end(), name) == known.end()) names.push_back(name);
  return names;
}

TEST(OwnFileNames, RecognisesWhatTheProgramMakes) {
  struct TCase {
    const char* Name;
    bool Own;
  };
  const TCase cases[] = {
      {"snr4.tmp", true},
      {"snr4.0badf00d.tmp", true},
      {"snr4.undo", true},
      {"snr4.0badf00d.undo", true},
      {"snr4undo", false},
      {"a.undo", false},
      {"a.txt.0.snr_bak", true},
      {"a.txt.12.snr_bak", true},
      {"a.txt.snr_new", true},
      {"a.txt.3.snr_new", true},
      {"a.txt", false},
      {"snr4.tmpx", false},
      {"x.snr_bak", false},
      {".0.snr_bak", false},
      {"a.txt.x1.snr_bak", false},
      {"snr5.tmp", false},
      {"a.txt.0.snr_bak.txt", false},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(IsOwnFileName(c.Name), c.Own) << c.Name;
  EXPECT_EQ(TempFileName(0), "snr4.tmp");
  EXPECT_EQ(IntentRecordName(0), "snr4.undo");
  EXPECT_TRUE(IsOwnFileName(IntentRecordName(1)));
  EXPECT_TRUE(IsOwnFileName(TempFileName(1)));
  EXPECT_NE(TempFileName(1), TempFileName(1)) << "later attempts are random";
  EXPECT_EQ(BackupFileName("/a/b.txt", 2), "/a/b.txt.2.snr_bak");
  EXPECT_EQ(KeptFileName("b", 0), "b.snr_new");
  EXPECT_EQ(KeptFileName("b", 1), "b.1.snr_new");
}

class PutInPlaceTest : public ::testing::Test {
 protected:
  void SetUp() override { Folder = open(Dir.Path().c_str(), O_RDONLY | O_DIRECTORY); }
  void TearDown() override {
    close(Folder);
    if (FTargetFd >= 0) close(FTargetFd);
  }

  // Target, open for reading as a task reads it.
  int TargetFd() {
    if (FTargetFd < 0) FTargetFd = open(Target.c_str(), O_RDONLY);
    return FTargetFd;
  }

  // A temporary file holding `content`, ready to be put in place of Target.
  std::unique_ptr<TTempFile> NewContent(std::string_view content, bool keepHoles = false) {
    auto temp = std::make_unique<TTempFile>();
    EXPECT_EQ(temp->Create(Folder, keepHoles), 0);
    EXPECT_TRUE(temp->Write(content.data(), content.size()));
    EXPECT_EQ(temp->FinishWriting(), 0);
    EXPECT_EQ(temp->Flush(), 0);
    return temp;
  }

  TTempDir Dir;
  int Folder = -1;
  std::string Target = Dir / "file.txt";
  int FTargetFd = -1;
};

TEST_F(PutInPlaceTest, TemporaryFileNeverTouchesAFileItDidNotMake) {
  // A user's own file under the temporary name, and a link planted there.
  WriteFile(Dir / "snr4.tmp", "the user's own");
  ASSERT_EQ(symlink("victim", (Dir / "snr4.1.tmp").c_str()), 0);
  WriteFile(Target, "old");
  {
    auto temp = NewContent("new");
    EXPECT_EQ(temp->GiveName(), 0);
    EXPECT_NE(temp->Name(), "snr4.tmp");
    EXPECT_TRUE(IsOwnFileName(temp->Name()));
  }
  EXPECT_EQ(ReadFile(Dir / "snr4.tmp"), "the user's own");
  EXPECT_FALSE(Exists(Dir / "victim"));
  EXPECT_EQ(OtherNames(Dir, {"snr4.tmp", "snr4.1.tmp", "file.txt"}).size(), 0u)
      << "a temporary file that took no name is gone";

  // A temporary file whose name was taken over by someone else is not removed by that name.
  auto temp = NewContent("new");
  ASSERT_EQ(temp->GiveName(), 0);
  const std::string name = Dir / temp->Name();
  ASSERT_EQ(unlink(name.c_str()), 0);
  WriteFile(name, "someone else's");
  temp.reset();
  EXPECT_EQ(ReadFile(name), "someone else's");
}

TEST_F(PutInPlaceTest, LargeAndSmallWritesKeepTheirOrderAndZerosBecomeHoles) {
  std::string expected;
  for (std::size_t size : {10u, 300000u, 1u, 200000u, 70000u, 5u})
    expected += std::string(size, static_cast<char>('a' + expected.size() % 26));
  expected += std::string(8 << 20, '\0') + "end";
  for (const bool keepHoles : {false, true}) {
    auto temp = std::make_unique<TTempFile>();
    ASSERT_EQ(temp->Create(Folder, keepHoles), 0);
    for (std::size_t at = 0; at < expected.size(); at += 100000)
      ASSERT_TRUE(
          temp->Write(expected.data() + at, std::min<std::size_t>(100000, expected.size() - at)));
    ASSERT_EQ(temp->FinishWriting(), 0);
    ASSERT_EQ(temp->NameAs("out" + std::to_string(keepHoles)), 0);
    temp->Committed();
    const std::string out = Dir / ("out" + std::to_string(keepHoles));
    EXPECT_EQ(ReadFile(out), expected);
    const auto allocated = StatOf(out).st_blocks * 512;
    if (keepHoles)
      EXPECT_LT(allocated, 2 << 20) << "the zeros stay holes";
    else
      EXPECT_GE(allocated, 8 << 20);
  }
}

TEST_F(PutInPlaceTest, BackupTakesTheFirstFreeNumberAndNeverReplaces) {
  WriteFile(Target, "old");
  WriteFile(Target + ".0.snr_bak", "older");
  ASSERT_EQ(symlink("nowhere", (Target + ".1.snr_bak").c_str()), 0);
  auto temp = NewContent("new");
  const TPutOutcome outcome =
      PutInPlace(*temp, TargetFd(), "file.txt", Target, StatOf(Target), true);
  EXPECT_TRUE(outcome.Replaced) << outcome.Reason;
  EXPECT_EQ(outcome.BackupName, Target + ".2.snr_bak");
  temp.reset();
  EXPECT_EQ(ReadFile(Target), "new");
  EXPECT_EQ(ReadFile(Target + ".0.snr_bak"), "older");
  EXPECT_EQ(ReadFile(Target + ".2.snr_bak"), "old");
  EXPECT_EQ(OtherNames(
                Dir, {"file.txt", "file.txt.0.snr_bak", "file.txt.1.snr_bak", "file.txt.2.snr_bak"})
                .size(),
            0u);
}

TEST_F(PutInPlaceTest, FileChangedByAnotherProgramKeepsItsContent) {
  // Each change another program can make between the read and the rename.
  const std::vector<std::function<void()>> changes = {
      [&] { WriteFile(Target, "theirs!"); },  // new size
      [&] {
        const int fd = open(Target.c_str(), O_WRONLY);
        ASSERT_EQ(pwrite(fd, "OLD", 3, 0), 3);  // same size, in place
        close(fd);
      },
      [&] {
        unlink(Target.c_str());
        WriteFile(Target, "old");  // another file under the name
      },
  };
  for (const auto& change : changes) {
    WriteFile(Target, "old");
    const struct stat original = StatOf(Target);
    usleep(20000);  // past the clock's tick, so the change shows in the times
    change();
    const std::string theirs = ReadFile(Target);
    for (const bool inPlace : {false, true}) {
      auto temp = NewContent("new");
      const int fd = open(Target.c_str(), O_RDONLY);
      const TPutOutcome outcome =
          inPlace ? RewriteInPlace(*temp, fd, "file.txt", Target, original, true)
                  : PutInPlace(*temp, fd, "file.txt", Target, original, true);
      close(fd);
      EXPECT_FALSE(outcome.Replaced);
      EXPECT_EQ(outcome.Reason, "changed by another program during the run");
      temp.reset();
      EXPECT_EQ(ReadFile(Target), theirs);
      EXPECT_EQ(OtherNames(Dir, {"file.txt"}).size(), 0u) << "no backup, no temporary file";
    }
  }
}

TEST_F(PutInPlaceTest, ContentThatCannotTakeTheNameIsKeptUnderItsOwnName) {
  // A non-empty directory under the target's name cannot be replaced by a file.
  test::MakeDir(Target + "/inside");
  WriteFile(Target + ".snr_new", "earlier leftover");
  auto temp = NewContent("new");
  const TPutOutcome outcome =
      PutInPlace(*temp, TargetFd(), "file.txt", Target, StatOf(Target), false);
  EXPECT_FALSE(outcome.Replaced);
  EXPECT_EQ(outcome.KeptAs, Target + ".1.snr_new");
  EXPECT_EQ(outcome.Reason,
            "cannot put the new content in place: Is a directory; new content kept as " + Target +
                ".1.snr_new");
  temp.reset();
  EXPECT_EQ(ReadFile(Target + ".1.snr_new"), "new");
  EXPECT_EQ(ReadFile(Target + ".snr_new"), "earlier leftover");
}

TEST_F(PutInPlaceTest, InPlaceKeepsTheFileItselfAndACompleteBackup) {
  for (const bool backup : {true, false}) {
    WriteFile(Target, "old content");
    const std::string other = Dir / "other-link";
    unlink(other.c_str());
    ASSERT_EQ(link(Target.c_str(), other.c_str()), 0);
    const struct stat original = StatOf(Target);
    auto temp = NewContent("new");
    const int fd = open(Target.c_str(), O_RDONLY);
    const TPutOutcome outcome = RewriteInPlace(*temp, fd, "file.txt", Target, original, backup);
    close(fd);
    temp.reset();
    EXPECT_TRUE(outcome.Replaced) << outcome.Reason;
    EXPECT_EQ(StatOf(Target).st_ino, original.st_ino) << "the same file";
    EXPECT_EQ(ReadFile(other), "new") << "every link sees the new content";
    if (backup) {
      EXPECT_EQ(outcome.BackupName, Target + ".0.snr_bak");
      EXPECT_EQ(ReadFile(Target + ".0.snr_bak"), "old content");
      EXPECT_EQ(StatOf(Target + ".0.snr_bak").st_mtim.tv_nsec, original.st_mtim.tv_nsec);
      ASSERT_EQ(unlink((Target + ".0.snr_bak").c_str()), 0);
    } else {
      EXPECT_TRUE(outcome.BackupName.empty());
    }
    EXPECT_EQ(OtherNames(Dir, {"file.txt", "other-link"}).size(), 0u) << "no safety copy left";
  }
}

}  // namespace
}  // namespace fendrel

// The temporary file and putting it in place: exclusive creation, numbered backups that never
// replace a file, refusing a file another program changed, keeping content that cannot land.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st;
}

TEST(TempFile, NameIsBesideTheFile) {
  EXPECT_EQ(TempFileName("/a/b/c.txt"), "/a/b/snr4.tmp");
  EXPECT_EQ(TempFileName("/c.txt"), "/snr4.tmp");
  EXPECT_EQ(TempFileName("c.txt"), "snr4.tmp");
}

TEST(TempFile, RemovedUnlessCommitted) {
  TTempDir dir;
  {
    TTempFile temp(dir / "snr4.tmp");
    ASSERT_TRUE(temp.Create());
    EXPECT_TRUE(temp.Write("abc", 3));
    EXPECT_TRUE(temp.Finish());
    EXPECT_TRUE(Exists(dir / "snr4.tmp"));
  }
  EXPECT_FALSE(Exists(dir / "snr4.tmp"));
  {
    TTempFile temp(dir / "snr4.tmp");
    ASSERT_TRUE(temp.Create());
    temp.Committed();
  }
  EXPECT_TRUE(Exists(dir / "snr4.tmp"));
}

TEST(TempFile, LargeAndSmallWritesKeepTheirOrder) {
  TTempDir dir;
  TTempFile temp(dir / "snr4.tmp");
  ASSERT_TRUE(temp.Create());
  std::string expected;
  for (std::size_t size : {10u, 300000u, 1u, 200000u, 70000u, 5u}) {
    const std::string piece(size, static_cast<char>('a' + expected.size() % 26));
    ASSERT_TRUE(temp.Write(piece.data(), piece.size()));
    expected += piece;
  }
  ASSERT_TRUE(temp.Finish());
  EXPECT_EQ(ReadFile(dir / "snr4.tmp"), expected);
}

class PutInPlaceTest : public ::testing::Test {
 protected:
  // A temporary file holding `content`, ready to be put in place of Target.
  std::unique_ptr<TTempFile> NewContent(std::string_view content) {
    auto temp = std::make_unique<TTempFile>(Dir / "snr4.tmp");
    EXPECT_TRUE(temp->Create());
    EXPECT_TRUE(temp->Write(content.data(), content.size()));
    return temp;
  }

  TTempDir Dir;
  std::string Target = Dir / "file.txt";
};

TEST_F(PutInPlaceTest, BackupTakesTheFirstFreeNumberAndNeverReplaces) {
  WriteFile(Target, "old");
  WriteFile(Target + ".0.snr_bak", "older");
  ASSERT_EQ(symlink("nowhere", (Target + ".1.snr_bak").c_str()), 0);
  auto temp = NewContent("new");
  const TPutOutcome outcome = PutInPlace(*temp, Target, StatOf(Target), true);
  EXPECT_TRUE(outcome.Replaced);
  EXPECT_EQ(outcome.BackupName, Target + ".2.snr_bak");
  EXPECT_EQ(ReadFile(Target), "new");
  EXPECT_EQ(ReadFile(Target + ".0.snr_bak"), "older");
  EXPECT_EQ(ReadFile(Target + ".2.snr_bak"), "old");
}

TEST_F(PutInPlaceTest, FileChangedByAnotherProgramKeepsItsContent) {
  WriteFile(Target, "old");
  const struct stat original = StatOf(Target);
  WriteFile(Target, "theirs!");
  auto temp = NewContent("new");
  const TPutOutcome outcome = PutInPlace(*temp, Target, original, true);
  EXPECT_FALSE(outcome.Replaced);
  EXPECT_TRUE(outcome.KeptAs.empty());
  temp.reset();
  EXPECT_EQ(ReadFile(Target), "theirs!");
  EXPECT_FALSE(Exists(Dir / "snr4.tmp"));
  EXPECT_FALSE(Exists(Target + ".0.snr_bak"));
}

TEST_F(PutInPlaceTest, ContentThatCannotTakeTheNameIsKeptUnderItsOwnName) {
  // A non-empty directory under the target's name cannot be replaced by a file.
  test::MakeDir(Target + "/inside");
  WriteFile(Target + ".snr_new", "earlier leftover");
  auto temp = NewContent("new");
  const TPutOutcome outcome = PutInPlace(*temp, Target, StatOf(Target), false);
  EXPECT_FALSE(outcome.Replaced);
  EXPECT_EQ(outcome.KeptAs, Target + ".1.snr_new");
  temp.reset();
  EXPECT_EQ(ReadFile(Target + ".1.snr_new"), "new");
  EXPECT_EQ(ReadFile(Target + ".snr_new"), "earlier leftover");
}

}  // namespace
}  // namespace fendrel

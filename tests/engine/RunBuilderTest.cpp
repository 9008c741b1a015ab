// Building the tasks of a run from the files and the strings.
#include <gtest/gtest.h>

#include "engine/RunBuilder.h"

namespace fendrel {
namespace {

TEST(RunBuilder, SplitMemoLinesAtEveryKindOfBreak) {
  struct TCase {
    std::string Text;
    std::vector<std::string> Lines;
  };
  const TCase cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n", {"a"}},
      {"a\n\n", {"a", ""}},
      {"\n", {""}},
      {"a\r\r\nb", {"a", "", "b"}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(SplitMemoLines(c.Text), c.Lines) << c.Text;
}

TEST(RunBuilder, MultiLineRunGivesThreeTasksPerFileCrLfFirst) {
  const auto tasks = BuildMultiLineTasks({"/f1", "/f2"}, {"a", "b"}, {"x"},
                                         {smIgnoreCase, false, lmNone, {"/", true}});
  ASSERT_TRUE(tasks);
  ASSERT_EQ(tasks->size(), 6u);
  const std::string expected[] = {"a\r\nb", "a\nb", "a\rb"};
  for (std::size_t i = 0; i < 6; ++i) {
    const TSnRTast& task = *(*tasks)[i];
    EXPECT_EQ(task.FileName, i < 3 ? "/f1" : "/f2");
    EXPECT_EQ(task.FromStr, expected[i % 3]);
    EXPECT_EQ(task.FromLen, static_cast<int32_t>(expected[i % 3].size()));
    EXPECT_EQ(task.ToStr, "x");
    EXPECT_EQ(task.SearchMode, smIgnoreCase);
    EXPECT_FALSE(task.CreateBackup);
    EXPECT_EQ(task.LogMode, lmNone);
    EXPECT_EQ(task.Links.Root, "/");
    EXPECT_TRUE(task.Links.Follow);
  }
  EXPECT_EQ((*tasks)[0]->FromStrDisplay, "a..b [610D0A62]");
  EXPECT_EQ((*tasks)[1]->FromStrDisplay, "a.b [610A62]");
  EXPECT_EQ((*tasks)[2]->FromStrDisplay, "a.b [610D62]");
}

TEST(RunBuilder, JoinedStringsAreLimited) {
  const std::vector<std::string> fits = {std::string(31997, 'a'), ""};
  EXPECT_TRUE(BuildMultiLineTasks({"/f"}, fits, {}, {}));  // 31997 + CR LF = 31999 bytes
  const std::vector<std::string> tooLong = {std::string(31998, 'a'), ""};
  EXPECT_FALSE(BuildMultiLineTasks({"/f"}, {"a"}, tooLong, {}));
}

TEST(RunBuilder, SingleLineRunGivesOneTaskPerFileInOrder) {
  const auto tasks = BuildSingleLineTasks({"/b", "/a"}, "x", 1, nullptr, -1, {});
  ASSERT_EQ(tasks.size(), 2u);
  EXPECT_EQ(tasks[0]->FileName, "/b");
  EXPECT_EQ(tasks[1]->FileName, "/a");
  EXPECT_EQ(tasks[1]->ToLen, 0);
  EXPECT_TRUE(tasks[1]->CreateBackup);
  EXPECT_EQ(tasks[1]->LogMode, lmAllFiles);
}

}  // namespace
}  // namespace fendrel

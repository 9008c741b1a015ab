// Display texts of tasks and the status lines built from them.
#include <gtest/gtest.h>

#include "engine/SnRTast.h"
#include "engine/StatusLines.h"

namespace fendrel {
namespace {

TSnRTast MakeTask(std::string_view from, std::string_view to, int32_t toLen = -2) {
  TSnRTast task;
  task.Init("/d/f.txt", from.data(), static_cast<int32_t>(from.size()), smCaseSensitive, to.data(),
            toLen == -2 ? static_cast<int32_t>(to.size()) : toLen, true, lmAllFiles);
  return task;
}

TEST(TaskText, DisplayTextShowsBytesUpToFirstZeroWithTheirHex) {
  struct TCase {
    std::string Bytes;
    std::string Display;
  };
  const TCase cases[] = {
      {"abc", "abc [616263]"},
      {std::string("a\r\nb"), "a..b [610D0A62]"},
      {std::string("A\0B", 3), "A [41]"},
      {std::string("\0A", 2), ""},
      {"", ""},
      {"\xC4\xFF", "\xC4\xFF [C4FF]"},
      {"\x1F ", ".  [1F20]"},
  };
  for (const TCase& c : cases) {
    std::string buffer, display;
    int32_t len = 0;
    TSnRTast::StoreBytes(c.Bytes.data(), static_cast<int32_t>(c.Bytes.size()), buffer, len,
                         display);
    EXPECT_EQ(display, c.Display) << "bytes of length " << c.Bytes.size();
    EXPECT_EQ(buffer, c.Bytes);
    EXPECT_EQ(len, static_cast<int32_t>(c.Bytes.size()));
  }
}

TEST(TaskText, UnsetNewStringBecomesEmptyAndOldLengthStaysAsGiven) {
  TSnRTast task;
  task.Init("f", nullptr, -1, smIgnoreCase, nullptr, -1, false, lmReplacedOnly);
  EXPECT_EQ(task.FromLen, -1);
  EXPECT_EQ(task.ToLen, 0);
  EXPECT_TRUE(task.FromStr.empty());
  EXPECT_TRUE(task.ToStrDisplay.empty());
}

TEST(TaskText, TaskKeepsItsOwnCopies) {
  std::string from = "abc", to = "xyz";
  TSnRTast task = MakeTask(from, to);
  from.assign("zzz");
  to.assign("qqq");
  EXPECT_EQ(task.FromStr, "abc");
  EXPECT_EQ(task.ToStr, "xyz");
}

TEST(StatusLines, ShortenTextCutsOnlyBeyondTheLimit) {
  EXPECT_EQ(ShortenText(std::string(200, 'x')), std::string(200, 'x'));
  EXPECT_EQ(ShortenText(std::string(201, 'x')), std::string(197, 'x') + "...");
  EXPECT_EQ(ShortenText(""), "");
}

TEST(StatusLines, ResultLinesForEveryOutcome) {
  const TSnRTast task = MakeTask("abc", "xyz");
  EXPECT_EQ(ResultLine(task, 3), "abc [616263] --> xyz [78797A] : 3 replacements");
  EXPECT_EQ(ResultLine(task, 1), "abc [616263] --> xyz [78797A] : 1 replacements");
  EXPECT_EQ(ResultLine(task, 0), "abc [616263] --> xyz [78797A] : 0 replacements");
  EXPECT_EQ(ResultLine(task, -4), "abc [616263] --> xyz [78797A] : FAILED");
  EXPECT_EQ(SkippedLine(task), "abc [616263] --> xyz [78797A] : SKIPPED");
}

TEST(StatusLines, LongDisplayTextsAreShortenedInResultLinesAndCutInSkippedLines) {
  const std::string longText(3000, 'a');
  const TSnRTast task = MakeTask(longText, "b");
  const std::string line = ResultLine(task, 0);
  EXPECT_EQ(line, std::string(197, 'a') + "... --> b [62] : 0 replacements");

  const std::string skipped = SkippedLine(task);
  EXPECT_EQ(skipped.size(), kStatusTextLimit);
  EXPECT_EQ(skipped.substr(skipped.size() - 3), "...");
  EXPECT_EQ(skipped.substr(0, 3000), longText);
}

TEST(StatusLines, ResultListEntriesDivideAtTheFirstColon) {
  struct TCase {
    std::string Line;
    std::vector<std::string> Entries;
  };
  const TCase cases[] = {
      {"/texts/a.txt", {"/texts/a.txt"}},
      {"", {""}},
      {"abc [616263] --> xyz [78797A] : 3 replacements",
       {"abc [616263] --> xyz [78797A] :", "3 replacements"}},
      {"a [61] -->  : FAILED", {"a [61] -->  :", "FAILED"}},
      {"a:b [613A62] --> c [63] : SKIPPED", {"a:", "b [613A62] --> c [63] : SKIPPED"}},
      {"x --> y", {"x --> y"}},
      {"C:/no/arrow", {"C:/no/arrow"}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ResultListEntries(c.Line), c.Entries) << c.Line;
}

}  // namespace
}  // namespace fendrel

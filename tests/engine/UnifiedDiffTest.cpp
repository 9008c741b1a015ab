// The difference listing against `patch`: applied to the content it was made of, it must give
// exactly the content the changes make, at every kind of line boundary.
#include "engine/UnifiedDiff.h"

#include <gtest/gtest.h>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::RunProgram;
using test::TTempDir;
using test::WriteFile;

std::string Lines(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i)
    text += "line" + std::to_string(i) + "\n";
  return text;
}

TEST(UnifiedDiff, PatchMakesWhatTheChangesMake) {
  const std::string ten = Lines(1, 10);  // "line1\n" is 6 bytes, "line10\n" 7
  const struct {
    const char* Name;
    std::string Content;
    TChangeList Changes;
  } cases[] = {
      {"within a line", "a\nbxb\nc\n", {{3, 1, "Y"}}},
      {"two on one line", "a\nbxbxb\nc\n", {{3, 1, "1"}, {5, 1, "2"}}},
      {"insert before the first line", "a\nb\n", {{0, 0, "new\n"}}},
      {"insert after the last line", "a\nb\n", {{4, 0, "new\n"}}},
      {"append to a last line without break", "a\nb", {{3, 0, "c"}}},
      {"delete a whole line", "a\nb\nc\n", {{2, 2, ""}}},
      {"delete a line's text, keep its break", "a\nb\nc\n", {{2, 1, ""}}},
      {"join two lines", "a\nb\nc\n", {{1, 1, " "}}},
      {"split a line", "a\nbb\nc\n", {{3, 0, "\n"}}},
      {"change ending in a break, written without", "a\nb\nc\n", {{2, 2, "B"}}},
      {"across lines, then the next line", "a\nb\nc\nd\n", {{2, 3, "X\nY"}, {6, 1, "D"}}},
      {"last line without break", "a\nb", {{2, 1, "B"}}},
      {"a break added at the end", "a\nb", {{2, 1, "b\n"}}},
      {"the break removed at the end", "a\nb\n", {{3, 1, ""}}},
      {"everything removed", "a\nb", {{0, 3, ""}}},
      {"CR LF lines", "one\r\ntwo\r\nthree\r\n", {{5, 3, "2"}}},
      {"lone CR", "a\rb\rc", {{2, 1, "B"}}},
      // Contexts of three lines meet across six unchanged lines and stay apart across seven.
      {"hunks joined", ten, {{0, 5, "L1"}, {42, 5, "L8"}}},
      {"hunks apart", ten, {{0, 5, "L1"}, {48, 5, "L9"}}},
      {"deep in a file", ten + ten, {{66, 6, "middle"}}},
  };
  TTempDir dir;
  for (const auto& c : cases) {
    const THunks hunks = ChangedLines(c.Content, c.Changes, {.Context = 3});
    WriteFile(dir / "f.txt", c.Content);
    WriteFile(dir / "f.diff", UnifiedDiff("a/f.txt", "b/f.txt", hunks));
    const test::TRun run =
        RunProgram("patch", {"-p1", "-s", "-d", dir.Path(), "-i", dir / "f.diff"});
    EXPECT_EQ(run.Status, 0) << c.Name << "\n" << run.Out << ReadFile(dir / "f.diff");
    EXPECT_EQ(ReadFile(dir / "f.txt"), ApplyChanges(c.Content, c.Changes))
        << c.Name << "\n"
        << ReadFile(dir / "f.diff");
  }
}

TEST(UnifiedDiff, ListsChangedLinesWithContextAndNamesPatchReadsWhole) {
  const THunks hunks = ChangedLines("a\nb\nc\nd\ne", TChangeList{{4, 1, "C"}}, {.Context = 1});
  EXPECT_EQ(UnifiedDiff("a/x", "b/x", hunks),
            "--- a/x\n+++ b/x\n@@ -2,3 +2,3 @@\n b\n-c\n+C\n d\n");
  const THunks atEnd = ChangedLines("a\nb", TChangeList{{2, 1, ""}}, {.Context = 3});
  EXPECT_EQ(UnifiedDiff("a/x", "b/x", atEnd),
            "--- a/x\n+++ b/x\n@@ -1,2 +1,1 @@\n a\n-b\n\\ No newline at end of file\n");

  TTempDir dir;
  for (const std::string name : {"with blank.txt", "tab\there.txt", "quote\"back\\slash.txt"}) {
    WriteFile(dir / name, "old\n");
    const THunks one = ChangedLines("old\n", TChangeList{{0, 3, "new"}}, {.Context = 3});
    WriteFile(dir / "f.diff", UnifiedDiff("a/" + name, "b/" + name, one));
    const test::TRun run =
        RunProgram("patch", {"-p1", "-s", "-d", dir.Path(), "-i", dir / "f.diff"});
    EXPECT_EQ(run.Status, 0) << name << "\n" << run.Out;
    EXPECT_EQ(ReadFile(dir / name), "new\n") << name;
  }
}

}  // namespace
}  // namespace fendrel

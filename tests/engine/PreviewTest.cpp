// The preview against the run: for every kind of search, the counts it reports and the lines it
// shows must make exactly the bytes and the counts a run makes; and the pieces it is built on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "engine/ChangeList.h"
#include "engine/PreviewFile.h"
#include "engine/PreviewRun.h"
#include "engine/ProcessFile.h"
#include "engine/RunBuilder.h"
#include "engine/TaskChanges.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

// The content with every hunk's old lines, found by their number, replaced by its new lines.
std::string ApplyHunks(const std::string& content, const THunks& lines) {
  std::string result;
  std::size_t at = 0;
  for (const THunk& hunk : lines.Hunks) {
    std::size_t begin = 0;
    for (uint64_t line = 1; line < hunk.OldLine; ++line)
      begin = content.find('\n', begin) + 1;
    EXPECT_EQ(content.compare(begin, hunk.Old.size(), hunk.Old), 0);
    result.append(content, at, begin - at);
    result += hunk.New;
    at = begin + hunk.Old.size();
  }
  return result + content.substr(at);
}

struct TCase {
  const char* Name;
  std::string Content;
  std::string From;
  std::string To;
  TSearchMode Mode;
  bool MultiLine;
};

TEST(Preview, CountsAndContentEqualTheRun) {
  // Text runs ended by a control character and by a C1 control, a match that spans lines.
  const std::string utf16Text = "Straße \u212A\nSTRAßE K\x01Жук straße\u0085Straße k\r\n";
  const TCase cases[] = {
      {"literal", "one two one\nthree\none", "one", "1", smCaseSensitive, false},
      {"ignore case", "Abc aBC x\nABC\n", "abc", "-", smIgnoreCase, false},
      {"binary bytes", std::string("\x00\x01\xFF\x00\x01 text\n\x01", 10),
       std::string("\x00\x01", 2), std::string("\xEE", 1), smCaseSensitive, false},
      {"deleting lines", "keep\ndrop\nkeep\ndrop\n", "drop\n", "", smCaseSensitive, false},
      {"line ends alone", "a\r\nb\r\n\r\n", "\r\n", "\n", smCaseSensitive, false},
      {"regex groups", "Mr Holmes and Dr Watson\nno\nSherlock Holmes", R"((\w+)\s+(Holmes|Watson))",
       "$2, $1", smRegExpr, false},
      {"regex empty matches", "ab\ncd", "x*", "-", smRegExpr, false},
      {"regex in binary", std::string("ab\0ab\nab", 8), "b", "BB", smRegExpr, false},
      {"multi-line, all breaks", "a\r\nb\nc\nd\re\rf a\r\nb", "a\nb", "X\nY", smCaseSensitive,
       true},
      {"multi-line, every pass changes", "a\r\nb|a\nb|a\rb\n", "a\nb", "c\nd", smCaseSensitive,
       true},
      {"no match", "nothing here", "zzz", "y", smCaseSensitive, false},
      {"ignore case, forms of other lengths", "\u212Aelvin \u017Fun\nKELVIN Sun\n", "kelvin sun",
       "k", smIgnoreCase, false},
      // The lines of a UTF-16 file are its text.
      {"UTF-16 LE regex", test::Utf16File("Straße eins\r\nЖук\r\n", false), "(?m)^\\w", "#",
       smRegExpr, false},
      {"UTF-16 BE multi-line", test::Utf16File("a\r\nb|a\nb|a\rb\n", true), "a\nb", "Ж\nd",
       smCaseSensitive, true},
      {"UTF-16 LE literal", test::Utf16File(utf16Text, false), "Straße", "x", smCaseSensitive,
       false},
      {"UTF-16 BE ignore case", test::Utf16File(utf16Text, true), "straße k", "ſ", smIgnoreCase,
       false},
      {"UTF-16 BE regex", test::Utf16File(utf16Text, true), "\\w+$|^\\w", "<$0>", smRegExpr, false},
  };
  // The preview decodes a UTF-16 file whole; a run, and a count, take it a piece at a time: with
  // pieces of a few units they must agree all the same.
  for (const std::size_t pieceUnits : {Utf16PieceUnits(), std::size_t{3}})
    for (const TCase& c : cases) {
      const TUtf16PieceUnitsScope pieces(pieceUnits);
      SCOPED_TRACE(std::string(c.Name) + ", " + std::to_string(pieceUnits));
      TTempDir dir;
      const std::string file = dir.Path() + "/f.txt";
      WriteFile(file, c.Content);
      TTaskOptions options;
      options.SearchMode = c.Mode;
      options.CreateBackup = false;
      TTaskList tasks =
          c.MultiLine
              ? *BuildMultiLineTasks({file}, SplitMemoLines(c.From), SplitMemoLines(c.To), options)
              : BuildSingleLineTasks({file}, c.From.data(), int32_t(c.From.size()), c.To.data(),
                                     int32_t(c.To.size()), options);
      std::vector<const TSnRTast*> passes;
      for (const auto& task : tasks)
        passes.push_back(task.get());

      const TFilePreview preview = PreviewFile(passes, {});
      EXPECT_EQ(ReadFile(file), c.Content) << "a preview writes nothing";
      EXPECT_EQ(PreviewFile(passes, {0, 0, true}).Results, preview.Results);
      const auto textOf = [&preview](const std::string& content) {
        if (preview.Encoding == TTextEncoding::AsItIs) return content;
        return test::Utf16FileText(content, preview.Encoding == TTextEncoding::Utf16Be).value();
      };
      const std::string shown = ApplyHunks(textOf(c.Content), preview.Lines);

      std::vector<int64_t> run;
      for (const auto& task : tasks)
        run.push_back(ProcessFile(*task, nullptr));
      EXPECT_EQ(preview.Results, run);
      EXPECT_EQ(shown, textOf(ReadFile(file)));

      // The changes chosen in the preview, every other one unticked, as one task.
      auto chosen = std::make_shared<TChosenChanges>();
      for (const auto& task : tasks)
        chosen->Tasks.push_back(*task);
      chosen->Shown = preview.Changes;
      chosen->Fingerprint = preview.Fingerprint;
      TChangeList ticked;
      int64_t tickedCount = 0;
      uint64_t replacements = 0;
      for (std::size_t i = 0; i < preview.Changes.size(); ++i) {
        chosen->Ticked.push_back(i % 2 == 0);
        replacements += preview.Changes[i].Replacements;
        if (i % 2 != 0) continue;
        ticked.push_back(preview.Changes[i]);
        tickedCount += int64_t(preview.Changes[i].Replacements);
      }
      EXPECT_EQ(int64_t(replacements), preview.Replacements()) << "each change counts its own";
      TSnRTast choice = *tasks.front();
      choice.Chosen = chosen;
      // On the file as the run left it, the changes shown are no longer there: nothing is made.
      if (!preview.Changes.empty()) {
        const std::string runResult = ReadFile(file);
        const TFileRewrite stale(choice);
        EXPECT_EQ(stale.Outcome().Result, prMatchFailed);
        EXPECT_EQ(stale.Outcome().Reason,
                  "the file has changed since the preview: preview it again");
        EXPECT_EQ(ReadFile(file), runResult);
      }
      WriteFile(file, c.Content);
      EXPECT_EQ(ProcessFile(choice, nullptr), tickedCount);
      EXPECT_EQ(textOf(ReadFile(file)), ApplyChanges(textOf(c.Content), ticked));
    }
}

TEST(Preview, ReportsTheFailuresOfTheRun) {
  // Once with each file's folders opened for it, once through the run's opened folder with the
  // folders kept from file to file, as a dry run reads.
  for (const bool kept : {false, true}) {
    SCOPED_TRACE(kept ? "folders kept" : "folders opened per file");
    TTempDir dir, outside;
    WriteFile(dir.Path() + "/empty", "");
    WriteFile(dir.Path() + "/odd.txt", std::string("\xFE\xFF\0a\0", 5));
    ASSERT_EQ(mkdir((dir.Path() + "/sub").c_str(), 0755), 0);
    WriteFile(dir.Path() + "/sub/a.txt", "a");
    WriteFile(outside.Path() + "/secret.txt", "a");
    // Links the run refuses, to a file and for a folder on the way: no preview shows their
    // target.
    ASSERT_EQ(symlink((outside.Path() + "/secret.txt").c_str(), (dir.Path() + "/l.txt").c_str()),
              0);
    ASSERT_EQ(symlink(outside.Path().c_str(), (dir.Path() + "/away").c_str()), 0);
    const struct {
      std::string File;
      const char* Reason;
      // Before the preview, the folder sub, read from before, becomes a link to `outside`.
      bool SwapSub = false;
    } cases[] = {
        {dir.Path() + "/missing", "the file no longer exists"},
        {dir.Path() + "/empty", "the file is empty"},
        {dir.Path() + "/odd.txt", "not valid UTF-16 BE: an odd number of bytes (5)"},
        {dir.Path(), "not a regular file"},
        {dir.Path() + "/l.txt", "is a symbolic link"},
        {dir.Path() + "/away/secret.txt", "a folder on its path is a symbolic link"},
        {dir.Path() + "/sub/a.txt", ""},
        {dir.Path() + "/sub/secret.txt", "a folder on its path is a symbolic link", true},
    };
    const auto opened = kept ? OpenRoot(dir.Path()) : nullptr;
    TLastFolder folders;
    for (const auto& c : cases) {
      SCOPED_TRACE(c.File);
      if (c.SwapSub) {
        ASSERT_EQ(rename((dir.Path() + "/sub").c_str(), (dir.Path() + "/old").c_str()), 0);
        ASSERT_EQ(symlink(outside.Path().c_str(), (dir.Path() + "/sub").c_str()), 0);
      }
      TSnRTast task;
      task.Init(c.File, "a", 1, smCaseSensitive, "b", 1, false, lmAllFiles);
      task.Links.Root = dir.Path();
      task.Links.Opened = opened;
      const TFilePreview preview = PreviewFile({&task}, {}, kept ? &folders : nullptr);
      EXPECT_EQ(preview.Results, std::vector<int64_t>{ProcessFile(task, nullptr)});
      EXPECT_EQ(preview.Reason, c.Reason);
    }
    EXPECT_EQ(ReadFile(outside.Path() + "/secret.txt"), "a");
  }
}

TEST(ChangedLines, LinesNumbersMarksContextAndLimit) {
  const std::string content = "l1\nl2 x\nl3\nl4\nl5\nl6\nl7\nl8 x x\nl9";
  const auto at = [&content](std::size_t n) { return uint64_t(content.find('x', n)); };
  const TChangeList changes = {{at(0), 1, "YY"}, {at(20), 1, "Z"}, {at(at(20) + 1), 1, ""}};

  THunks bare = ChangedLines(content, changes, {});
  ASSERT_EQ(bare.Hunks.size(), 2u);
  EXPECT_EQ(bare.ChangedLines, 2u);
  EXPECT_EQ(bare.Hunks[0].Old, "l2 x\n");
  EXPECT_EQ(bare.Hunks[0].New, "l2 YY\n");
  EXPECT_EQ(bare.Hunks[0].NewMarks[0], std::make_pair(std::size_t{3}, std::size_t{5}));
  EXPECT_EQ(bare.Hunks[1].OldLine, 8u);
  EXPECT_EQ(bare.Hunks[1].New, "l8 Z \n");

  // Three lines of context around each: the hunks meet and become one.
  THunks wide = ChangedLines(content, changes, {3, 0});
  ASSERT_EQ(wide.Hunks.size(), 1u);
  EXPECT_EQ(wide.Hunks[0].OldLine, 1u);
  EXPECT_EQ(wide.Hunks[0].Old, content);

  THunks limited = ChangedLines(content, changes, {0, 1});
  EXPECT_EQ(limited.Hunks.size(), 1u);
  EXPECT_EQ(limited.LinesNotShown, 1u);
}

// A file with more changed lines than are shown keeps only what it shows, and counts the rest.
TEST(Preview, ShowsTheFirstLinesAndCountsTheOthers) {
  TTempDir dir;
  std::string content;
  for (int line = 0; line < 500; ++line)
    content += "a a\n";
  WriteFile(dir / "many", content);
  TSnRTast task;
  task.Init(dir / "many", "a", 1, smCaseSensitive, "b", 1, false, lmAllFiles);
  const TFilePreview preview = PreviewFile({&task}, {0, 200});
  EXPECT_EQ(preview.Replacements(), 1000);
  ASSERT_EQ(preview.Lines.Hunks.size(), 1u) << "neighbouring lines are one stretch";
  EXPECT_EQ(LineCount(preview.Lines.Hunks[0].New), 200u);
  EXPECT_EQ(preview.Lines.Hunks[0].New.substr(0, 8), "b b\nb b\n");
  EXPECT_EQ(preview.Lines.ChangedLines, 500u);
  EXPECT_EQ(preview.Lines.LinesNotShown, 300u);
}

// A preview is started as its run only while the run would make the changes it showed: every
// difference in what is searched, replaced or where tells, the options that write nothing else
// do not.
TEST(Preview, SameChangesOnlyForTheSameSearch) {
  TSnRTast shown;
  shown.Init("/d/a.txt", "ab", 2, smCaseSensitive, "c", 1, false, lmAllFiles);
  shown.Links.Root = "/d";
  const struct {
    const char* Name;
    void (*Change)(TSnRTast&);
    bool Same;
  } cases[] = {
      {"unchanged", [](TSnRTast&) {}, true},
      {"backups", [](TSnRTast& t) { t.CreateBackup = true; }, true},
      {"log mode", [](TSnRTast& t) { t.LogMode = lmNone; }, true},
      {"run mark", [](TSnRTast& t) { t.Run = 4; }, true},
      {"file", [](TSnRTast& t) { t.FileName = "/d/b.txt"; }, false},
      {"old string", [](TSnRTast& t) { t.FromStr = "aB"; }, false},
      {"old string's length", [](TSnRTast& t) { t.FromLen = 1; }, false},
      {"new string", [](TSnRTast& t) { t.ToStr = "d"; }, false},
      {"new string's length", [](TSnRTast& t) { t.ToLen = 0; }, false},
      {"search mode", [](TSnRTast& t) { t.SearchMode = smIgnoreCase; }, false},
      {"hex input", [](TSnRTast& t) { t.HexInput = true; }, false},
      {"folder", [](TSnRTast& t) { t.Links.Root = "/e"; }, false},
      {"links followed", [](TSnRTast& t) { t.Links.Follow = true; }, false},
  };
  for (const auto& c : cases) {
    TSnRTast task = shown;
    c.Change(task);
    EXPECT_EQ(SameChanges(shown, task), c.Same) << c.Name;
  }
}

// Two changes in a row, composed, make what the second made of the first's result.
TEST(ChangeList, ComposedChangesMakeTheFinalContent) {
  std::mt19937 random(7);
  const auto changesOf = [&random](const std::string& content) {
    TChangeList changes;
    uint64_t at = 0;
    while (at <= content.size() && random() % 4 != 0) {
      const uint64_t begin = at + random() % 4;
      if (begin > content.size()) break;
      const uint64_t length = std::min<uint64_t>(random() % 3, content.size() - begin);
      std::string text(random() % 3, char('A' + random() % 3));
      if (length > 0 || !text.empty()) changes.push_back({begin, length, text});
      at = begin + length + 1;
    }
    return changes;
  };
  for (int round = 0; round < 2000; ++round) {
    std::string content(random() % 12, 'a');
    for (char& c : content)
      c = char('a' + random() % 3);
    const TChangeList first = changesOf(content);
    const std::string middle = ApplyChanges(content, first);
    const TChangeList second = changesOf(middle);
    const std::string final = ApplyChanges(middle, second);
    EXPECT_EQ(ApplyChanges(content, ComposeChanges(first, second, final)), final)
        << content << " round " << round;
  }
}

}  // namespace
}  // namespace fendrel

// What replace prints for the worker's reports, in each format, fed by the engine's own sender
// of a task's reports: its status lines, then its typed report.
#include <gtest/gtest.h>

#include "cli/ResultPrinter.h"
#include "engine/StatusLines.h"

namespace fendrel::cli {
namespace {

// One finished task: its outcome, or left by an interrupt.
struct TDone {
  std::string Path;
  TRewriteOutcome Outcome;
  bool Skipped = false;
};

std::string Print(TReportFormat format, TLogMode logMode, const std::vector<TDone>& tasks) {
  std::string out;
  auto printer =
      MakeResultPrinter(format, logMode, [&out](const std::string& line) { out += line + "\n"; });
  const TStatusSend send = [&printer](TStatusKind kind, const std::string& text) {
    printer->SnRStatus(kind, text);
  };
  const TReportSend tell = [&printer](const TTaskReport& report) { printer->TaskReported(report); };
  for (const TDone& done : tasks) {
    TSnRTast task;
    task.Init(done.Path, "a", 1, smCaseSensitive, "b", 1, true, logMode);
    if (done.Skipped)
      ReportSkipped(task, send, tell);
    else
      ReportTask(task, done.Outcome, send, tell);
    send(TStatusKind::stLine, std::string(kUpdateLine));
  }
  return out;
}

TEST(ResultPrinter, JsonUsesTheReasonAndBackupOfItsOwnTask) {
  const std::string deep = "/d/" + std::string(5000, 'x') + "/a.txt";
  const struct {
    std::vector<TDone> Tasks;
    std::string Out;
    TLogMode LogMode = lmAllFiles;
  } cases[] = {
      {{{"/d/a", {3, "", "/d/a.0.snr_bak"}}},
       "{\"path\":\"/d/a\",\"count\":3,\"backup\":\"/d/a.0.snr_bak\"}\n"},
      {{{"/d/a", {-1, "cannot read: Permission denied", ""}}},
       "{\"path\":\"/d/a\",\"reason\":\"cannot read: Permission denied\"}\n"},
      {{{"/d/a", {-1, "", ""}}}, "{\"path\":\"/d/a\",\"reason\":\"failed\"}\n"},
      {{{"/d/a", {}, true}}, "{\"path\":\"/d/a\",\"skipped\":true}\n"},
      // A reason or backup never carries over to the next task, reported or not.
      {{{"/d/a", {0, "kept", "/d/a.0.snr_bak"}}, {"/d/b", {-1, "", ""}}},
       "{\"path\":\"/d/b\",\"reason\":\"failed\"}\n",
       lmReplacedOnly},
      {{{"/d/a", {1, "", "/d/a.0.snr_bak"}}, {"/d/b", {0, "", ""}}},
       "{\"path\":\"/d/a\",\"count\":1,\"backup\":\"/d/a.0.snr_bak\"}\n"
       "{\"path\":\"/d/b\",\"count\":0}\n"},
      // Every byte of a path beyond the status lines' 4,095, and names that need escapes.
      {{{deep, {1, "", ""}}}, "{\"path\":\"" + deep + "\",\"count\":1}\n"},
      {{{"/d/\"q\"\n", {1, "", ""}}}, "{\"path\":\"/d/\\\"q\\\"\\u000a\",\"count\":1}\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Print(TReportFormat::Json, c.LogMode, c.Tasks), c.Out);
}

TEST(ResultPrinter, TextShowsTheResultListsEntriesWithThePathInFull) {
  const std::string deep = "/d/" + std::string(5000, 'x') + "/a.txt";
  EXPECT_EQ(
      Print(TReportFormat::Text, lmAllFiles,
            {{"/d/a", {1, "", "/d/a.0.snr_bak"}}, {deep, {-1, "gone", ""}}, {"/d/c", {}, true}}),
      "backup: /d/a.0.snr_bak\n/d/a\na [61] --> b [62] :\n1 replacements\n\n" + deep +
          "\na [61] --> b [62] :\nFAILED\n\n/d/c\na [61] --> b [62] :\nSKIPPED\n\n");
}

TEST(ResultPrinter, LogModeNoneAndQuietPrintNothing) {
  const std::vector<TDone> tasks = {{"/d/a", {1, "", "/d/a.0.snr_bak"}},
                                    {"/d/b", {-1, "cannot read", ""}}};
  EXPECT_EQ(Print(TReportFormat::Text, lmNone, tasks), "");
  EXPECT_EQ(Print(TReportFormat::Json, lmNone, tasks), "");
  EXPECT_EQ(Print(TReportFormat::Quiet, lmAllFiles, tasks), "");
}

}  // namespace
}  // namespace fendrel::cli

// What replace prints for the worker's reports, in each format, fed the reports directly.
#include <gtest/gtest.h>

#include "cli/ResultPrinter.h"
#include "engine/StatusLines.h"

namespace fendrel::cli {
namespace {

using enum TStatusKind;

struct TReport {
  TStatusKind Kind;
  std::string Text;
};

// The reports of one task as the worker sends them, backup and reason first.
std::vector<TReport> Task(const std::string& path, const std::string& result,
                          const std::string& backup = "", const std::string& reason = "") {
  std::vector<TReport> reports;
  if (!reason.empty()) reports.push_back({stFailureReason, reason});
  if (!backup.empty()) reports.push_back({stBackupFile, backup});
  for (const std::string& line : {path, "a [61] --> b [62] : " + result, std::string()})
    reports.push_back({stLine, line});
  reports.push_back({stLine, std::string(kUpdateLine)});
  return reports;
}

std::string Print(TReportFormat format, TLogMode logMode,
                  const std::vector<std::vector<TReport>>& tasks) {
  std::string out;
  auto printer =
      MakeResultPrinter(format, logMode, [&out](const std::string& line) { out += line + "\n"; });
  for (const auto& task : tasks) {
    for (const TReport& report : task)
      printer->SnRStatus(report.Kind, report.Text);
  }
  return out;
}

TEST(ResultPrinter, JsonUsesTheReasonAndBackupOfItsOwnTask) {
  const struct {
    std::vector<std::vector<TReport>> Tasks;
    std::string Out;
  } cases[] = {
      {{Task("/d/a", "3 replacements", "/d/a.0.snr_bak")},
       "{\"path\":\"/d/a\",\"count\":3,\"backup\":\"/d/a.0.snr_bak\"}\n"},
      {{Task("/d/a", "FAILED", "", "cannot read: Permission denied")},
       "{\"path\":\"/d/a\",\"reason\":\"cannot read: Permission denied\"}\n"},
      {{Task("/d/a", "FAILED")}, "{\"path\":\"/d/a\",\"reason\":\"failed\"}\n"},
      {{Task("/d/a", "SKIPPED")}, "{\"path\":\"/d/a\",\"skipped\":true}\n"},
      // A skipped line cut to the receiver's buffer ends in "..." instead of its result.
      {{Task("/d/a", "SKIP...")}, "{\"path\":\"/d/a\",\"skipped\":true}\n"},
      // A reason or backup never carries over to the next task, reported or not.
      {{{{stFailureReason, "gone"}, {stLine, std::string(kUpdateLine)}}, Task("/d/b", "FAILED")},
       "{\"path\":\"/d/b\",\"reason\":\"failed\"}\n"},
      {{Task("/d/a", "1 replacements", "/d/a.0.snr_bak"), Task("/d/b", "0 replacements")},
       "{\"path\":\"/d/a\",\"count\":1,\"backup\":\"/d/a.0.snr_bak\"}\n"
       "{\"path\":\"/d/b\",\"count\":0}\n"},
      // Old and new strings may hold " : " themselves; the result is the line's end.
      {{{{stLine, "/d/c"}, {stLine, "x : 5 replacements --> y : FAILED"}}},
       "{\"path\":\"/d/c\",\"reason\":\"failed\"}\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Print(TReportFormat::Json, lmAllFiles, c.Tasks), c.Out);
}

TEST(ResultPrinter, LogModeNoneAndQuietPrintNothing) {
  const std::vector<std::vector<TReport>> tasks = {Task("/d/a", "1 replacements", "/d/a.0.bak"),
                                                   Task("/d/b", "FAILED", "", "cannot read")};
  EXPECT_EQ(Print(TReportFormat::Text, lmNone, tasks), "");
  EXPECT_EQ(Print(TReportFormat::Json, lmNone, tasks), "");
  EXPECT_EQ(Print(TReportFormat::Quiet, lmAllFiles, tasks), "");
}

}  // namespace
}  // namespace fendrel::cli

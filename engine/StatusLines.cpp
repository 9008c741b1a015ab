#include "StatusLines.h"

namespace fendrel {

std::string ShortenText(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  return text.substr(0, limit - 3) + "...";
}

std::string ResultLine(const TSnRTast& task, int64_t result) {
  std::string line = ShortenText(task.FromStrDisplay) + " --> " + ShortenText(task.ToStrDisplay);
  if (result < 0) return line + " : FAILED";
  return line + " : " + std::to_string(result) + " replacements";
}

std::string SkippedLine(const TSnRTast& task) {
  return ShortenText(task.FromStrDisplay + " --> " + task.ToStrDisplay + " : SKIPPED",
                     kStatusTextLimit);
}

namespace {

// Sends what the result list and the result log are made of, for a report whose task is logged:
// the reason first, as it travels with the lines it explains, then the file (cut to the
// receiver's buffer), the result line and the empty line that ends the task's entry.
void SendStatusLines(const TTaskReport& report, const TStatusSend& send) {
  if (!report.Logged) return;
  if (!report.Reason.empty()) send(TStatusKind::stFailureReason, std::string(report.Reason));
  send(TStatusKind::stLine, ShortenText(std::string(report.Path), kStatusTextLimit));
  send(TStatusKind::stLine, std::string(report.Line));
  send(TStatusKind::stLine, "");
}

}  // namespace

void ReportTask(const TSnRTast& task, const TRewriteOutcome& outcome, const TStatusSend& send,
                const TReportSend& report) {
  const int64_t result = outcome.Result;
  if (!outcome.BackupName.empty()) send(TStatusKind::stBackupFile, outcome.BackupName);
  const bool logged = task.LogMode != lmNone && (result != 0 || task.LogMode == lmAllFiles);
  const std::string line = ResultLine(task, result);
  const TTaskReport typed{.Path = task.FileName,
                          .Result = result,
                          .Logged = logged,
                          .Reason = outcome.Reason,
                          .Backup = outcome.BackupName,
                          .Line = line,
                          .Run = task.Run};
  SendStatusLines(typed, send);
  report(typed);
}

void ReportSkipped(const TSnRTast& task, const TStatusSend& send, const TReportSend& report) {
  const std::string line = SkippedLine(task);
  const TTaskReport typed{.Path = task.FileName,
                          .Skipped = true,
                          .Logged = true,
                          .Reason = {},
                          .Backup = {},
                          .Line = line,
                          .Run = task.Run};
  SendStatusLines(typed, send);
  report(typed);
}

std::vector<std::string> ResultListEntries(const std::string& line) {
  const auto colon = line.find(':');
  if (line.find("-->") == std::string::npos || colon == std::string::npos) return {line};
  // Blanks are every character up to the space, as the list's trimming has always taken them.
  auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t first = colon + 1;
  std::size_t last = line.size();
  while (first < last && isBlank(line[first]))
    ++first;
  while (last > first && isBlank(line[last - 1]))
    --last;
  std::string rest = line.substr(first, last - first);
  return {line.substr(0, colon + 1), rest};
}

}  // namespace fendrel

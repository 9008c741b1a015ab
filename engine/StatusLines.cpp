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

void ReportTask(const TSnRTast& task, const TRewriteOutcome& outcome, const TStatusSend& send,
                const TReportSend& report) {
  const int64_t result = outcome.Result;
  if (!outcome.BackupName.empty()) send(TStatusKind::stBackupFile, outcome.BackupName);
  const bool logged = task.LogMode != lmNone && (result != 0 || task.LogMode == lmAllFiles);
  const std::string line = ResultLine(task, result);
  if (logged) {
    // The reason travels with the lines it explains.
    if (!outcome.Reason.empty()) send(TStatusKind::stFailureReason, outcome.Reason);
    send(TStatusKind::stLine, ShortenText(task.FileName, kStatusTextLimit));
    send(TStatusKind::stLine, line);
    send(TStatusKind::stLine, "");
  }
  report({task.FileName, result, false, logged, outcome.Reason, outcome.BackupName, line, task.Run});
}

void ReportSkipped(const TSnRTast& task, const TStatusSend& send, const TReportSend& report) {
  const std::string line = SkippedLine(task);
  send(TStatusKind::stLine, ShortenText(task.FileName, kStatusTextLimit));
  send(TStatusKind::stLine, line);
  send(TStatusKind::stLine, "");
  report({task.FileName, 0, true, true, {}, {}, line, task.Run});
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

// What fendrel-cli replace prints for the worker's reports: a line per changed or failed file,
// the result list's entries, one JSON object per task, or nothing; and the closing summary.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "TerminalText.h"
#include "engine/SnRTast.h"
#include "engine/StatusSink.h"

namespace fendrel::cli {

enum class TReportFormat {
  // "PATH: N replacements" for a changed file, "PATH: FAILED" or "PATH: SKIPPED"; nothing for a
  // file left as it was. The default.
  Short,
  // Each result line as the result list's entries, "backup: PATH" before its file (--log).
  Text,
  // {"path":P,"count":N} for a task that ran, {"path":P,"reason":R} for one that failed
  // (R is "failed" when the worker gave no reason), {"path":P,"skipped":true} for one the
  // interrupt left; "backup":B added when a backup was made. Strings as JsonString makes them.
  Json,
  // Nothing; the exit status tells.
  Quiet,
};

// Receives one line at a time, without its line break.
using TLineWriter = std::function<void(const std::string&)>;

// A printer for `format` that reports the tasks `logMode` reports (none for lmNone, backups
// included); the text formats show each path as `shown` makes it.
std::unique_ptr<TStatusSink> MakeResultPrinter(TReportFormat format, TLogMode logMode,
                                               TLineWriter write, TShownPath shown = {});

// What a run came to, counted from its typed reports.
struct TRunTally {
  int64_t Changed = 0;
  int64_t Replacements = 0;
  int64_t Failed = 0;
  int64_t Skipped = 0;
  void Count(const TTaskReport& report);
};

// "12 files changed, 34 replacements, 1 failed, 2.1 s" ("would change" for a dry run); the
// failed and skipped parts only when there are any.
std::string RunSummary(const TRunTally& tally, double seconds, bool dryRun);

}  // namespace fendrel::cli

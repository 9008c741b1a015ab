// What fendrel-cli replace prints for the worker's reports: the result list's entries, one JSON
// object per task, or nothing.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/SnRTast.h"
#include "engine/StatusSink.h"

namespace fendrel::cli {

enum class TReportFormat {
  // Each result line as the result list's entries, "backup: PATH" before its file.
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
// included).
std::unique_ptr<TStatusSink> MakeResultPrinter(TReportFormat format, TLogMode logMode,
                                               TLineWriter write);

}  // namespace fendrel::cli

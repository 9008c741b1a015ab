// The texts the worker reports for a task, and how the result list divides them into entries.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ProcessFile.h"
#include "SnRTast.h"
#include "StatusSink.h"

namespace fendrel {

inline constexpr std::string_view kUpdateLine = "UPDATE";
// The receiver's buffer holds this many characters of one status text.
inline constexpr std::size_t kStatusTextLimit = 4095;

// A text longer than `limit` becomes its first limit - 3 characters and "...".
std::string ShortenText(const std::string& text, std::size_t limit = 200);

// "<old> --> <new> : FAILED" for a negative result, "<old> --> <new> : <n> replacements"
// otherwise, both display texts shortened to 200 characters.
std::string ResultLine(const TSnRTast& task, int64_t result);

// "<old> --> <new> : SKIPPED" with the full display texts, cut to fit the receiver's buffer
// with "..." at its end.
std::string SkippedLine(const TSnRTast& task);

// Hands one report on to the receiver.
using TStatusSend = std::function<void(TStatusKind kind, const std::string& text)>;
using TReportSend = std::function<void(const TTaskReport& report)>;

// The reports of one finished task, as every run and every dry run sends them: the backup made,
// then the typed report's status lines (when the task's log mode reports it: the failure's
// reason and the file, result and empty lines, all made from the typed report), then the typed
// report itself. "UPDATE" is the sender's to add once it has taken the task off its list.
void ReportTask(const TSnRTast& task, const TRewriteOutcome& outcome, const TStatusSend& send,
                const TReportSend& report);

// The lines and the typed report of a task an interrupt left, whatever its log mode.
void ReportSkipped(const TSnRTast& task, const TStatusSend& send, const TReportSend& report);

// The entries the result list shows for one status line: a line without "-->" is one entry; a
// result line is divided after its first ':' into that part and the trimmed rest.
std::vector<std::string> ResultListEntries(const std::string& line);

}  // namespace fendrel

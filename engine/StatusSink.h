// Where the worker reports to: the main window, or the command line's printer. Every call is
// synchronous: it returns only after the receiver has handled the text, which is valid only
// during the call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fendrel {

enum class TStatusKind {
  stLine = 1,        // one status line of a task, possibly empty, or "UPDATE"
  stBackupFile = 2,  // the full name of a backup file just made
  // Why the task about to be reported failed, in the program's own words ("cannot create the
  // temporary file: No space left on device"), or what the user must know about one that did
  // not fail; sent before the task's file line.
  stFailureReason = 3,
};

// What became of one task, sent once it is done, after its status lines: a front end that needs
// the path, the count or the reason reads them here, exact and whole, instead of from the lines
// (which cut a path to the receiver's buffer). Valid only during the call.
struct TTaskReport {
  std::string_view Path;    // the file's full name, every byte of it
  int64_t Result = 0;       // replacements made, or negative: failed
  bool Skipped = false;     // left undone by an interrupt
  bool Logged = false;      // the task's log mode reports it: its status lines were sent
  std::string_view Reason;  // why it failed, or what the user must know; may be empty
  std::string_view Backup;  // the backup made, or empty
  std::string_view Line;    // the result line among the status lines ("a --> b : 1 replacements")
  uint64_t Run = 0;         // the front end's mark of the task's run (see TSnRTast)
};

class TStatusSink {
 public:
  virtual ~TStatusSink() = default;
  virtual void SnRStatus(TStatusKind kind, const std::string& text) = 0;
  virtual void TaskReported(const TTaskReport& report) { (void)report; }
};

}  // namespace fendrel

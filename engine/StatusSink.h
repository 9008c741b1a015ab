// Where the worker reports to: the main window, or the command line's printer. Every call is
// synchronous: it returns only after the receiver has handled the text, which is valid only
// during the call.
#pragma once

#include <string>

namespace fendrel {

enum class TStatusKind {
  stLine = 1,        // one status line of a task, possibly empty, or "UPDATE"
  stBackupFile = 2,  // the full name of a backup file just made
  // Why the task about to be reported failed, in the program's own words ("cannot create the
  // temporary file: No space left on device"), or what the user must know about one that did
  // not fail; sent before the task's file line.
  stFailureReason = 3,
};

class TStatusSink {
 public:
  virtual ~TStatusSink() = default;
  virtual void SnRStatus(TStatusKind kind, const std::string& text) = 0;
};

}  // namespace fendrel

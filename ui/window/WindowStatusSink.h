// The worker's reports reach the main window through this sink. Each report is copied into a
// queue and the worker goes on at once; the window thread takes everything queued since its
// last turn in one go, in order. A run of 200,000 small files reports far faster than a window
// can be woken per line, and the worker must never wait for the window.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "engine/StatusSink.h"

namespace fendrel {

class TSnRForm;

class TWindowStatusSink : public TStatusSink {
 public:
  explicit TWindowStatusSink(TSnRForm* form);
  void SnRStatus(TStatusKind kind, const std::string& text) override;
  // Of a task's typed report the window needs the backup, to record it under its run, and the
  // outcome, to sum the run up.
  void TaskReported(const TTaskReport& report) override;
  // Window thread: hands every queued report to the window, in order.
  void Deliver();

 private:
  struct TLine {
    TStatusKind Kind;
    std::string Text;
  };
  struct TTaskDone {
    uint64_t Run;
    std::string File;
    std::string Backup;
    int64_t Result;
    bool Skipped;
  };
  using TQueued = std::variant<TLine, TTaskDone>;
  void Queue(TQueued report);
  void Hand(const TQueued& report);

  TSnRForm* FForm;
  std::mutex FLock;
  std::vector<TQueued> FQueued;  // guarded by FLock
  bool FDeliveryAsked = false;   // guarded by FLock
};

}  // namespace fendrel

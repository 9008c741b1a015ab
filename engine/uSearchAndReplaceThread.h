// The one background thread that works off the task queue: it takes the task at the head, has
// the file rewritten, reports the outcome as status lines, and takes the next. Told to stop, it
// finishes the task in hand and reports every task still waiting as skipped.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "ProcessFile.h"
#include "StatusSink.h"
#include "TaskQueue.h"
#include "platform/TThread.h"

namespace fendrel {

class TSearchAndReplaceThread : public TThread {
 public:
  TSearchAndReplaceThread();
  // Detaches the receiver, stops the thread and waits for it.
  ~TSearchAndReplaceThread() override;

  // Sets the receiver of status lines (nullptr: processed tasks report nothing); called once,
  // before the thread starts.
  void Attach(TStatusSink* windowHandle) { FWindowHandle.store(windowHandle); }

  TTaskQueue& TaskList() { return FTaskList; }
  // Tasks that ended with a failure code since the thread started.
  int64_t FailedTasks() const { return FFailedTasks.load(); }

 protected:
  void Execute() override;
  void TerminatedSet() override { FTaskList.Wake(); }

 private:
  // One report to the attached receiver, if any.
  void Send(TStatusKind kind, const std::string& text);
  // The reports of one finished task, which then leaves the queue.
  void Report(const TSnRTast& task, const TRewriteOutcome& outcome);
  struct TBatchInHand;
  // The tasks behind those of `committing` (when given), prepared as the next batch; none when
  // the queue is held or a stop was asked.
  std::unique_ptr<TBatchInHand> PrepareBatch(const TBatchInHand* committing);

  TTaskQueue FTaskList;
  std::atomic<TStatusSink*> FWindowHandle{nullptr};
  std::atomic<int64_t> FFailedTasks{0};
};

}  // namespace fendrel

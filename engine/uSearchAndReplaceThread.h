// The one background thread that works off the task queue: it takes the task at the head, has
// the file rewritten, reports the outcome as status lines, and takes the next. Told to stop (the
// user's Stop, or the end of the program), it finishes the tasks in hand and reports every task
// still waiting as skipped; after the user's Stop it goes on with whatever is queued next.
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
  // From any thread: the tasks in hand are finished and reported as usual, every task queued
  // now and still waiting is reported as skipped, and the thread stays for the next run. A
  // search under way for the next batch ends at once.
  void Stop() {
    FStopSearches.store(true);
    FTaskList.StopWaiting();
  }
  // Tasks that ended with a failure code since the thread started.
  int64_t FailedTasks() const { return FFailedTasks.load(); }

 protected:
  void Execute() override;
  void TerminatedSet() override { FTaskList.Wake(); }

 private:
  // One report to the attached receiver, if any: a status text, or a task's typed report.
  void Send(TStatusKind kind, const std::string& text);
  void Tell(const TTaskReport& report);
  // The reports of one finished task, which then leaves the queue.
  void Report(const TSnRTast& task, const TRewriteOutcome& outcome);
  // The reports of a task that is dropped unprocessed, whatever its log mode; it then leaves the
  // queue.
  void DropTask(const TSnRTast& task);
  struct TBatchInHand;
  // The tasks behind those of `committing` (when given), prepared as the next batch; none when
  // the queue is held or a stop was asked, and never a task that a Stop drops.
  std::unique_ptr<TBatchInHand> PrepareBatch(const TBatchInHand* committing);

  TTaskQueue FTaskList;
  // Set by a stop until the tasks it drops are gone; the searches of the worker ask it.
  std::atomic<bool> FStopSearches{false};
  std::atomic<TStatusSink*> FWindowHandle{nullptr};
  std::atomic<int64_t> FFailedTasks{0};
};

}  // namespace fendrel

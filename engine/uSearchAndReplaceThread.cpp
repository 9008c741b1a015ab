#include "uSearchAndReplaceThread.h"

#include <future>
#include <memory>
#include <vector>

#include "ProcessFile.h"
#include "RewriteBatch.h"
#include "StatusLines.h"
#include "regexpr/RegExpr.h"

namespace fendrel {

TSearchAndReplaceThread::TSearchAndReplaceThread() : TThread("snr worker") {
  SetPriorityStepsBelowNormal(1);
}

TSearchAndReplaceThread::~TSearchAndReplaceThread() {
  FWindowHandle.store(nullptr);
  Terminate();
  WaitFor();
}

void TSearchAndReplaceThread::Send(TStatusKind kind, const std::string& text) {
  if (TStatusSink* sink = FWindowHandle.load()) sink->SnRStatus(kind, text);
}

void TSearchAndReplaceThread::Tell(const TTaskReport& report) {
  if (TStatusSink* sink = FWindowHandle.load()) sink->TaskReported(report);
}

void TSearchAndReplaceThread::Report(const TSnRTast& task, const TRewriteOutcome& outcome) {
  if (outcome.Result < 0) ++FFailedTasks;
  ReportTask(
      task, outcome, [this](TStatusKind kind, const std::string& text) { Send(kind, text); },
      [this](const TTaskReport& report) { Tell(report); });
  FTaskList.RemoveHead();
  Send(TStatusKind::stLine, std::string(kUpdateLine));
}

void TSearchAndReplaceThread::DropTask(const TSnRTast& task) {
  ReportSkipped(
      task, [this](TStatusKind kind, const std::string& text) { Send(kind, text); },
      [this](const TTaskReport& report) { Tell(report); });
  FTaskList.RemoveHead();
  Send(TStatusKind::stLine, std::string(kUpdateLine));
}

// One batch of tasks from the head of the queue, and its commit running on its own thread.
struct TSearchAndReplaceThread::TBatchInHand {
  TRewriteBatch Batch;
  std::vector<const TSnRTast*> Tasks;
  std::future<void> Committed;
};

std::unique_ptr<TSearchAndReplaceThread::TBatchInHand> TSearchAndReplaceThread::PrepareBatch(
    const TBatchInHand* committing) {
  auto next = std::make_unique<TBatchInHand>();
  const std::size_t skip = committing != nullptr ? committing->Tasks.size() : 0;
  while (!Terminated() && !next->Batch.Full()) {
    const TSnRTast* task = FTaskList.Behind(skip + next->Tasks.size());
    if (task == nullptr) break;
    // A file of a batch not yet committed waits for that commit: its next task must read what
    // the one before wrote.
    if ((committing != nullptr && committing->Batch.Touches(task->FileName)) ||
        next->Batch.Touches(task->FileName))
      break;
    next->Batch.Add(std::make_unique<TFileRewrite>(*task));
    next->Tasks.push_back(task);
  }
  return next;
}

void TSearchAndReplaceThread::Execute() {
  // The worker sleeps on the queue instead of polling it. It prepares the tasks at the head of
  // the queue as one batch and has it committed on a second thread while it prepares the next
  // batch, so that reading and matching overlap with the disk's work; each batch is reported in
  // queue order once committed. Only the batch being committed is in hand: a stop or quit that
  // comes while the next one is prepared leaves that one's files as they are (its new contents
  // are thrown away) and its tasks are dropped with the rest. The tasks a Stop drops are
  // reported once nothing is in hand, so that every report keeps queue order.
  const TSearchStopScope stopScope([this] { return FStopSearches.load() || Terminated(); });
  std::unique_ptr<TBatchInHand> committing;
  for (;;) {
    if (FTaskList.SkippedHead() == nullptr) FStopSearches.store(false);
    std::unique_ptr<TBatchInHand> next = PrepareBatch(committing.get());
    if (committing) {
      committing->Committed.wait();
      for (std::size_t i = 0; i < committing->Tasks.size(); ++i)
        Report(*committing->Tasks[i], committing->Batch.At(i).Outcome());
      committing.reset();
    }
    if (!next->Tasks.empty() && (Terminated() || FTaskList.SkippedHead() != nullptr)) {
      if (Terminated()) break;
      next = std::make_unique<TBatchInHand>();
    }
    if (next->Tasks.empty()) {
      while (const TSnRTast* task = FTaskList.SkippedHead())
        DropTask(*task);
      if (FTaskList.WaitForHead([this] { return Terminated(); }) == nullptr) break;
      continue;
    }
    TRewriteBatch* batch = &next->Batch;
    next->Committed = std::async(std::launch::async, [batch] { batch->Commit(); });
    committing = std::move(next);
  }

  // The thread ends: every task still waiting is reported as skipped, whatever its log mode.
  while (const TSnRTast* task = FTaskList.Head())
    DropTask(*task);
}

}  // namespace fendrel

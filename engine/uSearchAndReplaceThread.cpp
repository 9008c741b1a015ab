#include "uSearchAndReplaceThread.h"

#include <memory>
#include <vector>

#include "ProcessFile.h"
#include "RewriteBatch.h"
#include "StatusLines.h"

namespace fendrel {

TSearchAndReplaceThread::TSearchAndReplaceThread() : TThread("snr worker") {
  SetPriorityStepsBelowNormal(1);
}

TSearchAndReplaceThread::~TSearchAndReplaceThread() {
  FWindowHandle.store(nullptr);
  Terminate();
  WaitFor();
}

void TSearchAndReplaceThread::Send(const std::string& text) {
  if (TStatusSink* sink = FWindowHandle.load()) sink->SnRStatus(TStatusKind::stLine, text);
}

void TSearchAndReplaceThread::Report(const TSnRTast& task, const TRewriteOutcome& outcome) {
  const int64_t result = outcome.Result;
  TStatusSink* sink = FWindowHandle.load();
  if (sink != nullptr && !outcome.BackupName.empty())
    sink->SnRStatus(TStatusKind::stBackupFile, outcome.BackupName);
  if (result < 0) ++FFailedTasks;
  if (task.LogMode > lmNone && (result != 0 || task.LogMode == lmAllFiles)) {
    // The reason travels with the lines it explains.
    if (sink != nullptr && result < 0 && !outcome.Reason.empty())
      sink->SnRStatus(TStatusKind::stFailureReason, outcome.Reason);
    Send(ShortenText(task.FileName, kStatusTextLimit));
    Send(ResultLine(task, result));
    Send("");
  }
  FTaskList.RemoveHead();
  Send(std::string(kUpdateLine));
}

void TSearchAndReplaceThread::Execute() {
  // The worker sleeps on the queue instead of polling it. It prepares the tasks at the head of
  // the queue as one batch, commits the batch, and reports its tasks in queue order; a stop
  // ends the batch early, and the tasks already prepared count as the ones in hand.
  while (const TSnRTast* head = FTaskList.WaitForHead([this] { return Terminated(); })) {
    TRewriteBatch batch;
    std::vector<const TSnRTast*> tasks;
    for (const TSnRTast* task = head; task != nullptr;
         task = Terminated() ? nullptr : FTaskList.Behind(tasks.size())) {
      if (!batch.Empty() && batch.Touches(task->FileName)) break;
      batch.Add(std::make_unique<TFileRewrite>(*task));
      tasks.push_back(task);
      if (batch.Full()) break;
    }
    batch.Commit();
    for (std::size_t i = 0; i < tasks.size(); ++i)
      Report(*tasks[i], batch.At(i).Outcome());
  }

  // Stop requested: every task still waiting is reported as skipped, whatever its log mode.
  while (const TSnRTast* task = FTaskList.Head()) {
    Send(ShortenText(task->FileName, kStatusTextLimit));
    Send(SkippedLine(*task));
    Send("");
    FTaskList.RemoveHead();
    Send(std::string(kUpdateLine));
  }
}

}  // namespace fendrel

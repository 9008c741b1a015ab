#include "uSearchAndReplaceThread.h"

#include "ProcessFile.h"
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

void TSearchAndReplaceThread::Execute() {
  // The worker sleeps on the queue instead of polling it, and takes the next task as soon as
  // the previous one is reported.
  while (const TSnRTast* task = FTaskList.WaitForHead([this] { return Terminated(); })) {
    int64_t result;
    try {
      result = ProcessFile(*task, FWindowHandle.load());
    } catch (...) {
      result = prCannotMap;
    }
    if (result < 0) ++FFailedTasks;
    if (task->LogMode > lmNone && (result != 0 || task->LogMode == lmAllFiles)) {
      Send(ShortenText(task->FileName, kStatusTextLimit));
      Send(ResultLine(*task, result));
      Send("");
    }
    FTaskList.RemoveHead();
    Send(std::string(kUpdateLine));
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

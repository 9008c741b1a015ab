// A preview of a whole run in the background: the tasks of each file in turn go through
// PreviewFile, and each file's preview is handed to the receiver as soon as it is known. It
// writes nothing, so it may run beside the worker; a cancel ends it after the file in hand.
#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include "PreviewFile.h"
#include "RunBuilder.h"
#include "platform/TThread.h"

namespace fendrel {

// The tasks of a run grouped by file: a file's consecutive tasks (the three passes of a
// multi-line run) together, in queue order.
std::vector<std::vector<const TSnRTast*>> TasksByFile(const TTaskList& tasks);

// Whether `task` would make the changes a preview of `previewed` found: the same file, strings,
// search and folder. The options that change nothing in the file (backups, the log) may differ.
bool SameChanges(const TSnRTast& previewed, const TSnRTast& task);

class TPreviewRun : public TThread {
 public:
  // Called on the preview's thread: the receiver once per file in order, then `finished` once
  // the preview has ended, cancelled (Terminate) or not.
  using TReceiver =
      std::function<void(const std::vector<const TSnRTast*>& tasks, TFilePreview preview)>;
  using TFinished = std::function<void(bool cancelled)>;

  TPreviewRun(TTaskList tasks, THunkOptions options, TReceiver receiver, TFinished finished);
  ~TPreviewRun() override;

 protected:
  void Execute() override;

 private:
  TTaskList FTasks;
  THunkOptions FOptions;
  TReceiver FReceiver;
  TFinished FFinished;
};

}  // namespace fendrel

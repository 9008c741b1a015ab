#include "PreviewRun.h"

#include "regexpr/RegExpr.h"

namespace fendrel {

std::vector<std::vector<const TSnRTast*>> TasksByFile(const TTaskList& tasks) {
  std::vector<std::vector<const TSnRTast*>> files;
  for (const auto& task : tasks) {
    if (files.empty() || files.back().front()->FileName != task->FileName) files.emplace_back();
    files.back().push_back(task.get());
  }
  return files;
}

TPreviewRun::TPreviewRun(TTaskList tasks, THunkOptions options, TReceiver receiver,
                         TFinished finished)
    : TThread("preview"),
      FTasks(std::move(tasks)),
      FOptions(options),
      FReceiver(std::move(receiver)),
      FFinished(std::move(finished)) {
  SetPriorityStepsBelowNormal(1);
}

TPreviewRun::~TPreviewRun() {
  Terminate();
  WaitFor();
}

void TPreviewRun::Execute() {
  // A preview left for another ends its search in hand at once.
  const TSearchStopScope stop([this] { return Terminated(); });
  TLastFolder folder;
  for (const auto& file : TasksByFile(FTasks)) {
    if (Terminated()) break;
    FReceiver(file, PreviewFile(file, FOptions, &folder));
  }
  FFinished(Terminated());
}

}  // namespace fendrel

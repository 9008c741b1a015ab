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

bool SameChanges(const TSnRTast& previewed, const TSnRTast& task) {
  return previewed.FileName == task.FileName && previewed.FromStr == task.FromStr &&
         previewed.FromLen == task.FromLen && previewed.ToStr == task.ToStr &&
         previewed.ToLen == task.ToLen && previewed.SearchMode == task.SearchMode &&
         previewed.HexInput == task.HexInput && previewed.Links.Root == task.Links.Root &&
         previewed.Links.Follow == task.Links.Follow;
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

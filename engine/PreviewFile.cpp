#include "PreviewFile.h"

#include <algorithm>
#include <cstring>

#include "ProcessFile.h"
#include "ReadTaskFile.h"
#include "ReplaceMatches.h"

namespace fendrel {

int64_t TFilePreview::Replacements() const {
  int64_t sum = 0;
  for (const int64_t result : Results)
    sum += std::max<int64_t>(result, 0);
  return sum;
}

bool TFilePreview::Failed() const {
  return std::any_of(Results.begin(), Results.end(), [](int64_t result) { return result < 0; });
}

TFilePreview PreviewFile(const std::vector<const TSnRTast*>& tasks, const THunkOptions& options) {
  TFilePreview preview;
  if (tasks.empty()) return preview;
  const auto fail = [&preview](int64_t result, const std::string& reason) {
    if (!preview.Failed()) preview.Reason = reason;
    preview.Results.push_back(result);
  };
  TReadFile file;
  std::string reason;
  if (const int64_t failed =
          ReadTaskFileAsItIs(tasks.front()->FileName, tasks.front()->Links, file, reason);
      failed != 0) {
    for (std::size_t i = 0; i < tasks.size(); ++i)
      fail(failed, reason);
    return preview;
  }
  const std::string_view original(file.Content.Begin(), file.Content.Size());
  // Each task matches what the one before left: the file itself until a task changes it, then
  // that task's result in memory.
  std::string current;
  bool changed = false;
  TChangeList changes;
  uint64_t notKept = 0;
  // A single task's changes are final: beyond the lines shown, they need only be counted.
  const uint64_t lineLimit = tasks.size() == 1 ? options.MaxLines : 0;
  for (const TSnRTast* task : tasks) {
    const bool last = task == tasks.back();
    const std::string_view content = changed ? std::string_view(current) : original;
    // The last task's result content is needed only for its lines.
    TNullSink counter;
    TChangeSink sink(content.data(), content.data() + content.size(), lineLimit);
    TByteSink& out = options.CountOnly && last ? static_cast<TByteSink&>(counter) : sink;
    std::string why;
    const int64_t result =
        ReplaceMatches(out, content.data(), content.data() + content.size(), *task, why);
    if (file.Content.Damaged()) {
      fail(prMatchFailed, "changed by another program during the run");
      continue;
    }
    if (result < 0) {
      fail(result, why);
      continue;
    }
    preview.Results.push_back(result);
    if (&out == &counter) continue;
    TChangeList made = sink.Finish();
    if (result == 0 || made.empty()) continue;
    if (!changed && last) {
      changes = std::move(made);
      notKept = sink.LinesNotKept();
      break;
    }
    std::string next = ApplyChanges(content, made);
    changes = changed ? ComposeChanges(changes, made, next) : std::move(made);
    current = std::move(next);
    changed = true;
  }
  if (file.Content.Damaged() || options.CountOnly) return preview;
  preview.Binary = std::memchr(original.data(), 0, original.size()) != nullptr;
  preview.Lines = ChangedLines(original, changes, options, notKept);
  return preview;
}

}  // namespace fendrel

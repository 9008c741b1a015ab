#include "RunBuilder.h"

namespace fendrel {

std::vector<std::string> SplitMemoLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, stop - start));
    start = stop + (text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

std::optional<std::string> JoinMemoLines(const std::vector<std::string>& lines,
                                         std::string_view lineBreak) {
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += lineBreak;
    joined += lines[i];
    if (joined.size() > kMaxJoinedLength) return std::nullopt;
  }
  return joined;
}

TTaskList BuildSingleLineTasks(const std::vector<std::string>& files, const char* from,
                               int32_t fromLen, const char* to, int32_t toLen,
                               const TTaskOptions& options) {
  TTaskList tasks;
  tasks.reserve(files.size());
  for (const std::string& file : files) {
    auto task = std::make_unique<TSnRTast>();
    task->Init(file, from, fromLen, options.SearchMode, to, toLen, options.CreateBackup,
               options.LogMode);
    task->Links = options.Links;
    task->HexInput = options.HexInput;
    task->KeepModificationTime = options.KeepModificationTime;
    task->Run = options.Run;
    tasks.push_back(std::move(task));
  }
  return tasks;
}

std::optional<TTaskList> BuildMultiLineTasks(const std::vector<std::string>& files,
                                             const std::vector<std::string>& fromLines,
                                             const std::vector<std::string>& toLines,
                                             const TTaskOptions& options) {
  static constexpr std::string_view kLineBreaks[] = {"\r\n", "\n", "\r"};
  std::optional<std::string> joined[3][2];
  for (int i = 0; i < 3; ++i) {
    joined[i][0] = JoinMemoLines(fromLines, kLineBreaks[i]);
    joined[i][1] = JoinMemoLines(toLines, kLineBreaks[i]);
    if (!joined[i][0] || !joined[i][1]) return std::nullopt;
  }
  TTaskList tasks;
  tasks.reserve(files.size() * 3);
  for (const std::string& file : files) {
    for (auto& [from, to] : joined) {
      auto task = std::make_unique<TSnRTast>();
      task->Init(file, from->data(), static_cast<int32_t>(from->size()), options.SearchMode,
                 to->data(), static_cast<int32_t>(to->size()), options.CreateBackup,
                 options.LogMode);
      task->Links = options.Links;
      task->HexInput = options.HexInput;
      task->KeepModificationTime = options.KeepModificationTime;
      task->Run = options.Run;
      tasks.push_back(std::move(task));
    }
  }
  return tasks;
}

}  // namespace fendrel

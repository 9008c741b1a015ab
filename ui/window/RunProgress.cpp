#include "RunProgress.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/Fd.h"
#include "platform/LongPath.h"

namespace fendrel {
namespace {

uint64_t FileSize(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) return static_cast<uint64_t>(status.st_size);
  if (errno != ENAMETOOLONG) return 0;
  std::string name;
  const TFd folder(OpenParentFolder(path, name));
  if (!folder.Valid() || ::fstatat(folder.Get(), name.c_str(), &status, 0) != 0) return 0;
  return static_cast<uint64_t>(status.st_size);
}

}  // namespace

void TRunProgress::Add(const std::vector<uint64_t>& sizes, double now) {
  if (FRunningBytes.empty()) FStartedAt = now;
  FRunningBytes.reserve(FRunningBytes.size() + sizes.size());
  for (const uint64_t size : sizes)
    FRunningBytes.push_back(TotalBytes() + size);
}

uint64_t TRunProgress::BytesOfFirst(uint64_t tasks) const {
  tasks = std::min<uint64_t>(tasks, FRunningBytes.size());
  return tasks == 0 ? 0 : FRunningBytes[tasks - 1];
}

std::vector<uint64_t> TaskFileSizes(const TTaskList& tasks) {
  std::vector<uint64_t> sizes;
  sizes.reserve(tasks.size());
  // The tasks of a multi-line run come three to a file, one after another.
  const std::string* last = nullptr;
  for (const auto& task : tasks) {
    if (last == nullptr || *last != task->FileName)
      sizes.push_back(FileSize(task->FileName));
    else
      sizes.push_back(sizes.back());
    last = &task->FileName;
  }
  return sizes;
}

}  // namespace fendrel

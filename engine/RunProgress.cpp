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

void TRunProgress::Add(uint64_t tasks, double now) {
  if (FRunningBytes.empty()) FStartedAt = now;
  FRunningBytes.resize(FRunningBytes.size() + tasks, TotalBytes());
}

void TRunProgress::SetSizes(uint64_t run, uint64_t first, const std::vector<uint64_t>& sizes) {
  if (run != FRun || first + sizes.size() > FRunningBytes.size()) return;
  // The running sums from `first` on, those of later runs shifted by these sizes.
  std::vector<uint64_t> own(FRunningBytes.size() - first);
  for (std::size_t i = 0; i < own.size(); ++i)
    own[i] = FRunningBytes[first + i] - BytesOfFirst(first + i);
  for (std::size_t i = 0; i < sizes.size(); ++i)
    own[i] = sizes[i];
  for (std::size_t i = 0; i < own.size(); ++i)
    FRunningBytes[first + i] = BytesOfFirst(first + i) + own[i];
}

uint64_t TRunProgress::BytesOfFirst(uint64_t tasks) const {
  tasks = std::min<uint64_t>(tasks, FRunningBytes.size());
  return tasks == 0 ? 0 : FRunningBytes[tasks - 1];
}

std::vector<uint64_t> TaskFileSizes(const std::vector<std::string>& fileNames) {
  std::vector<uint64_t> sizes;
  sizes.reserve(fileNames.size());
  // The tasks of a multi-line run come three to a file, one after another.
  const std::string* last = nullptr;
  for (const std::string& name : fileNames) {
    sizes.push_back(last != nullptr && *last == name ? sizes.back() : FileSize(name));
    last = &name;
  }
  return sizes;
}

}  // namespace fendrel

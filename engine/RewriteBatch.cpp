#include "RewriteBatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace fendrel {

bool TRewriteBatch::Touches(const std::string& fileName) const {
  struct stat st;
  if (FFiles.empty() || ::stat(fileName.c_str(), &st) != 0) return false;
  return std::find(FFiles.begin(), FFiles.end(), std::pair{st.st_dev, st.st_ino}) != FFiles.end();
}

void TRewriteBatch::Add(std::unique_ptr<TFileRewrite> rewrite) {
  if (const struct stat* file = rewrite->FileRead())
    FFiles.emplace_back(file->st_dev, file->st_ino);
  if (rewrite->Pending()) {
    FBytes += rewrite->NewLength();
    // Where temporary files need names, a run that dies would leave one per waiting file:
    // such folders commit one file at a time.
    if (rewrite->NamedTemporaryFile()) FClosed = true;
  }
  FRewrites.push_back(std::move(rewrite));
}

bool TRewriteBatch::Full() const {
  return FClosed || FRewrites.size() >= kMaxFiles || FBytes >= kMaxBytes;
}

void TRewriteBatch::Commit() noexcept {
  try {
    CommitAll();
  } catch (...) {
    for (auto& rewrite : FRewrites)
      rewrite->Abandon("unexpected error");
  }
}

void TRewriteBatch::CommitAll() {
  // One flush of each file system for the whole batch writes the new contents together, where a
  // flush per file would wait for each file in turn. Where that flush fails, each file is
  // flushed on its own, so that the ones that cannot be written are told apart.
  std::vector<std::pair<dev_t, bool>> devices;  // and whether its flush succeeded
  for (auto& rewrite : FRewrites) {
    if (!rewrite->WaitsForFlush()) continue;
    const dev_t device = rewrite->Device();
    auto known = std::find_if(devices.begin(), devices.end(),
                              [device](const auto& entry) { return entry.first == device; });
    if (known == devices.end()) {
      devices.emplace_back(device, syncfs(rewrite->Folder()) == 0);
      known = devices.end() - 1;
    }
    if (known->second)
      rewrite->ContentFlushed();
    else
      rewrite->FlushContent();
  }
  std::vector<std::pair<dev_t, ino_t>> flushed;
  std::vector<int> folders;
  for (auto& rewrite : FRewrites) {
    if (!rewrite->Pending()) continue;
    rewrite->PutInPlace();
    struct stat folder;
    if (rewrite->Outcome().Result <= 0 || fstat(rewrite->Folder(), &folder) != 0) continue;
    const std::pair key{folder.st_dev, folder.st_ino};
    if (std::find(flushed.begin(), flushed.end(), key) != flushed.end()) continue;
    flushed.push_back(key);
    folders.push_back(rewrite->Folder());
  }
  // The new names are on disk before any task of the batch is reported done.
  for (const int folder : folders)
    (void)fsync(folder);
}

}  // namespace fendrel

#include "RewriteBatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "platform/RewriteHooks.h"

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
  // Each folder once, after all of its renames, and only then is any task of the batch
  // reported done; where the flush fails, so do the tasks of that folder.
  struct TFolder {
    std::pair<dev_t, ino_t> Key;
    int Fd;
    int Error = 0;
  };
  std::vector<TFolder> folders;
  std::vector<std::pair<TFileRewrite*, std::size_t>> put;  // and the index of its folder
  for (auto& rewrite : FRewrites) {
    if (!rewrite->Pending()) continue;
    rewrite->PutInPlace();
    struct stat folder;
    if (rewrite->Outcome().Result <= 0) continue;
    if (fstat(rewrite->Folder(), &folder) != 0) {
      rewrite->FolderNotFlushed(errno);
      continue;
    }
    const std::pair key{folder.st_dev, folder.st_ino};
    auto known = std::find_if(folders.begin(), folders.end(),
                              [&key](const TFolder& entry) { return entry.Key == key; });
    if (known == folders.end()) known = folders.insert(known, {key, rewrite->Folder()});
    put.emplace_back(rewrite.get(), static_cast<std::size_t>(known - folders.begin()));
  }
  for (TFolder& folder : folders)
    folder.Error = FlushFolder(folder.Fd);
  for (auto& [rewrite, folder] : put) {
    if (folders[folder].Error != 0) rewrite->FolderNotFlushed(folders[folder].Error);
  }
}

}  // namespace fendrel

#include "RewriteBatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace fendrel {

bool TRewriteBatch::Touches(const std::string& fileName) const {
  struct stat st;
  if (::stat(fileName.c_str(), &st) != 0) return false;
  return std::any_of(FRewrites.begin(), FRewrites.end(),
                     [&st](const auto& rewrite) { return rewrite->Reads(st); });
}

void TRewriteBatch::Add(std::unique_ptr<TFileRewrite> rewrite) {
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

void TRewriteBatch::Commit() {
  // The first flush writes the batch's waiting data together; the ones after it find their
  // data already written.
  for (auto& rewrite : FRewrites)
    rewrite->FlushContent();
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

#include "RewriteBatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/OpenFileLimit.h"
#include "platform/RewriteHooks.h"

namespace fendrel {
namespace {

// Files of a batch that are waited for at the same time.
constexpr std::size_t kAtOnce = 8;

// Calls `step` for each of `count` items, on up to kAtOnce threads at once: each call mostly
// waits for the disk, and waits that overlap let the file system serve them together.
void EachAtOnce(std::size_t count, const std::function<void(std::size_t)>& step) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> thrown{false};  // on a helper thread, where nothing would catch it
  const auto some = [&] {
    try {
      for (std::size_t i; (i = next++) < count;)
        step(i);
    } catch (...) {
      thrown = true;
    }
  };
  std::vector<std::thread> helpers;
  helpers.reserve(kAtOnce);
  for (std::size_t i = 1; i < std::min(count, kAtOnce); ++i) {
    try {
      helpers.emplace_back(some);
    } catch (const std::system_error&) {
      break;  // no thread to be had: fewer at once
    }
  }
  some();
  for (std::thread& helper : helpers)
    helper.join();
  if (thrown) throw std::runtime_error("a wait for the disk ended unexpectedly");
}

}  // namespace

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

std::size_t TRewriteBatch::MaxFiles() {
  // A waiting file holds up to three descriptors (the file, its new content and its folder), in
  // the batch committed and the one prepared behind it; the rest is left to everything else.
  constexpr uint64_t kPerFile = 2 * 3, kLeft = 256, kLeast = 16, kMost = 2048;
  const uint64_t allowed = OpenFilesAllowed();
  return static_cast<std::size_t>(
      std::clamp(allowed > kLeft ? (allowed - kLeft) / kPerFile : 0, kLeast, kMost));
}

bool TRewriteBatch::Full() const {
  return FClosed || FRewrites.size() >= MaxFiles() || FBytes >= kMaxBytes;
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
  // The batch's own files are flushed, never their whole file system: what other programs
  // have not yet written there is not for a run to wait for. Writing starts for every file
  // before the first wait, and several files are waited for at once, so that the file system
  // can take their flushes of the disk's cache together.
  for (auto& rewrite : FRewrites)
    rewrite->StartFlush();
  std::vector<TFileRewrite*> waiting;
  for (auto& rewrite : FRewrites)
    if (rewrite->WaitsForFlush()) waiting.push_back(rewrite.get());
  EachAtOnce(waiting.size(), [&waiting](std::size_t i) { waiting[i]->FlushContent(); });
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
  EachAtOnce(FRewrites.size(), [this](std::size_t i) { FRewrites[i]->CloseFileRead(); });
}

}  // namespace fendrel

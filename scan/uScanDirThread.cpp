// The background scanner: the shared walk on its own low-priority thread, its hits handed to the
// window thread in batches, and a stop honoured at every directory it is about to enter.
#include "uScanDirThread.h"

#include <algorithm>
#include <functional>

#include "DirWalk.h"

namespace fendrel {
namespace {

struct TAddFailed {};  // ends the walk when the window thread could not store a batch

// Halving every "//" until none is left amounts to keeping one '/' of each run; the root's
// entries ("//name" from the walk) thus read "/name" in the window.
std::string CollapseSlashes(const std::string& found) {
  std::string path;
  path.reserve(found.size());
  for (char c : found) {
    if (c == '/' && !path.empty() && path.back() == '/') continue;
    path.push_back(c);
  }
  return path;
}

}  // namespace

TScanDirThread::TScanDirThread() : TThread("scan") {}

TScanDirThread::~TScanDirThread() {
  WaitFor();
}

void TScanDirThread::Setup(const std::string& path, const std::string& mask, TStrings* target,
                           bool recursive, uint32_t attributes) {
  FPath = path;
  FMask = mask;
  FTarget = target;
  FRecursive = recursive;
  FAttributes = attributes;
  // The window restarts the scan on every keystroke in the path or mask; typing must win.
  SetPriorityStepsBelowNormal(2);
}

void TScanDirThread::RunScan() {
  FFinished.store(false, std::memory_order_release);
  FLastHandOver = std::chrono::steady_clock::now();
  FHandedOver = 0;
  FRecoveries.clear();
  FUnreadable.clear();
  TWalkOptions options = FWalkOptions;
  options.StopRequested = [this] { return Terminated(); };
  options.Recovered = [this](std::vector<TRecovery> recoveries) {
    FRecoveries.insert(FRecoveries.end(), std::make_move_iterator(recoveries.begin()),
                       std::make_move_iterator(recoveries.end()));
  };
  options.Unreadable = [this](const std::string& path, int error) {
    FUnreadable.push_back({CollapseSlashes(path), error});
  };
  try {
    WalkDirectory(
        FPath, FMask, FAttributes, FRecursive,
        [this](const std::string& path) {
          FFoundFiles.push_back(CollapseSlashes(path));
          // A batch may hold half as many hits as were handed over before it: the window lays
          // its list out anew after each hand-over, so a fixed size would cost it a number of
          // layouts that grows with the list, each as long as the list.
          if (FFoundFiles.size() >= std::max(FBatchFiles, FHandedOver / 2) ||
              std::chrono::steady_clock::now() - FLastHandOver >= FBatchInterval)
            HandOver();
        },
        options);
    if (!FFoundFiles.empty()) HandOver();
  } catch (...) {
    // A failed scan simply ends: the owner sees a finished scan with what was found so far.
  }
  FFinished.store(true, std::memory_order_release);
}

void TScanDirThread::HandOver() {
  const std::function<void()> addFoundFiles = [this] { AddFoundFiles(); };
  FHandedOver += FFoundFiles.size();
  Synchronize(addFoundFiles);
  FFoundFiles.clear();
  FLastHandOver = std::chrono::steady_clock::now();
  if (FAddFailed) throw TAddFailed{};
}

void TScanDirThread::AddFoundFiles() {
  // Runs inside the window thread's dispatcher, which must never see an exception; a batch that
  // cannot be stored ends the scan instead.
  try {
    if (FTarget != nullptr) FTarget->AddBatch(std::move(FFoundFiles));
  } catch (...) {
    FAddFailed = true;
  }
}

}  // namespace fendrel

// The background scanner: the shared walk on its own low-priority thread, each hit handed to the
// window thread one at a time, and a stop honoured at every directory it is about to enter.
#include "uScanDirThread.h"

#include <functional>

#include "DirWalk.h"

namespace fendrel {
namespace {

struct TAddFailed {};  // ends the walk when the window thread could not store a hit

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
  try {
    const std::function<void()> addFoundFile = [this] { AddFoundFile(); };
    WalkDirectory(
        FPath, FMask, FAttributes, FRecursive,
        [this, &addFoundFile](const std::string& path) {
          FFoundFile = path;
          Synchronize(addFoundFile);
          if (FAddFailed) throw TAddFailed{};
        },
        [this] { return Terminated(); });
  } catch (...) {
    // A failed scan simply ends: the owner sees a finished scan with what was found so far.
  }
  FFinished.store(true, std::memory_order_release);
}

void TScanDirThread::AddFoundFile() {
  // Runs inside the window thread's dispatcher, which must never see an exception; a hit that
  // cannot be stored ends the scan instead.
  try {
    std::string path;
    path.reserve(FFoundFile.size());
    // Halving every "//" until none is left amounts to keeping one '/' of each run; the root's
    // entries ("//name" from the walk) thus read "/name" in the window.
    for (char c : FFoundFile) {
      if (c == '/' && !path.empty() && path.back() == '/') continue;
      path.push_back(c);
    }
    if (FTarget != nullptr) FTarget->Add(path);
  } catch (...) {
    FAddFailed = true;
  }
}

}  // namespace fendrel

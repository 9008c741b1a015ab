// The background file search of the file list: walks a directory like TDirStringList and hands
// its hits to the window thread in batches, which appends them to the window's list in the
// order they were found. A batch goes when it holds 4,096 hits (or half as many as were handed
// over before it, when that is more) or 50 ms after the one before, whichever comes first, so
// the walk never waits for the window per file and the window takes even millions of files in
// a few dozen hand-overs.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "DirWalk.h"
#include "MailTools.h"
#include "platform/InPlaceRecovery.h"
#include "platform/TThread.h"

namespace fendrel {

class TScanDirThread : public TThread {
 public:
  TScanDirThread();
  // Waits for the walk to end; a scanner never started runs no walk.
  ~TScanDirThread() override;

  // Stores the search and lowers the thread's priority two steps; called before Start.
  void Setup(const std::string& path, const std::string& mask, TStrings* target, bool recursive,
             uint32_t attributes);

  // What the walk leaves out and whether it follows links (set before Start); the walk's
  // defaults until then. The stop, the recovery report and the unreadable folders are the
  // scanner's own: whatever `options` hold there is not used.
  void SetWalkOptions(TWalkOptions options) { FWalkOptions = std::move(options); }

  // How many hits at most, and how long at most, a batch collects (for tests; set before Start).
  void SetBatchLimits(std::size_t files, std::chrono::milliseconds interval) {
    FBatchFiles = files;
    FBatchInterval = interval;
  }

  // False while the walk runs, true once it is over (also after a failure or a stop). The owner
  // marks its idle, never-started scanner finished itself.
  bool Finished() const { return FFinished.load(std::memory_order_acquire); }
  // What the walk found of interrupted rewrites in place and did about them (see
  // InPlaceRecovery.h), in the order found; read once Finished().
  const std::vector<TRecovery>& Recoveries() const { return FRecoveries; }
  // The folders the walk could not read, in the order met, paths as the hits' are; read once
  // Finished().
  const std::vector<TUnreadableFolder>& Unreadable() const { return FUnreadable; }
  void MarkFinished() { FFinished.store(true, std::memory_order_release); }

 protected:
  void Execute() override { RunScan(); }

 private:
  void RunScan();
  // Window thread: appends the batch to FTarget.
  void AddFoundFiles();
  // Scan thread: hands the batch over and waits until the window thread has taken it.
  void HandOver();

  std::string FPath;
  std::string FMask;
  uint32_t FAttributes = 0;
  bool FRecursive = false;
  TWalkOptions FWalkOptions;
  TStrings* FTarget = nullptr;  // the owner's list; outlives the thread
  std::size_t FBatchFiles = 4096;
  std::chrono::milliseconds FBatchInterval{50};
  std::chrono::steady_clock::time_point FLastHandOver;
  std::size_t FHandedOver = 0;  // hits handed over so far
  // Written by the scan thread, taken during AddFoundFiles.
  std::vector<std::string> FFoundFiles;
  bool FAddFailed = false;  // written during AddFoundFiles, read by the scan thread after it
  std::vector<TRecovery> FRecoveries;          // written by the scan thread before FFinished
  std::vector<TUnreadableFolder> FUnreadable;  // written by the scan thread before FFinished
  std::atomic<bool> FFinished{false};
};

}  // namespace fendrel

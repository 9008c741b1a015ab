// The background file search of the file list: walks a directory like TDirStringList and hands
// every hit, one at a time, to the window thread, which appends it to the window's list.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "MailTools.h"
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

  // False while the walk runs, true once it is over (also after a failure or a stop). The owner
  // marks its idle, never-started scanner finished itself.
  bool Finished() const { return FFinished.load(std::memory_order_acquire); }
  void MarkFinished() { FFinished.store(true, std::memory_order_release); }

 protected:
  void Execute() override { RunScan(); }

 private:
  void RunScan();
  // Window thread: collapses doubled '/' in FFoundFile and appends it to FTarget.
  void AddFoundFile();

  std::string FPath;
  std::string FMask;
  uint32_t FAttributes = 0;
  bool FRecursive = false;
  TStrings* FTarget = nullptr;  // the owner's list; outlives the thread
  std::string FFoundFile;       // written by the scan thread, read during AddFoundFile
  bool FAddFailed = false;      // written during AddFoundFile, read by the scan thread after it
  std::atomic<bool> FFinished{false};
};

}  // namespace fendrel

#include "TaskQueue.h"

namespace fendrel {

void TTaskQueue::Append(std::unique_ptr<TSnRTast> task) {
  std::lock_guard lock(FLock);
  FTasks.push_back(std::move(task));
  FWork.notify_all();
}

void TTaskQueue::AppendBatch(std::vector<std::unique_ptr<TSnRTast>> tasks) {
  std::lock_guard lock(FLock);
  for (auto& task : tasks)
    FTasks.push_back(std::move(task));
  FWork.notify_all();
}

std::size_t TTaskQueue::Count() const {
  std::lock_guard lock(FLock);
  return FTasks.size();
}

void TTaskQueue::Hold() {
  std::lock_guard lock(FLock);
  ++FHolds;
}

void TTaskQueue::Release() {
  std::lock_guard lock(FLock);
  if (FHolds > 0) --FHolds;
  FWork.notify_all();
}

void TTaskQueue::StopWaiting() {
  std::lock_guard lock(FLock);
  FSkipBefore = FRemoved + FTasks.size();
  FWork.notify_all();
}

const TSnRTast* TTaskQueue::WaitForHead(const std::function<bool()>& stopRequested) {
  std::unique_lock lock(FLock);
  // Tasks to be skipped are reported even while the queue is held, as at quit.
  FWork.wait(lock, [&] {
    return stopRequested() || (!FTasks.empty() && (FHolds == 0 || ToBeSkipped(0)));
  });
  if (stopRequested()) return nullptr;
  return FTasks.front().get();
}

const TSnRTast* TTaskQueue::Head() const {
  std::lock_guard lock(FLock);
  return FTasks.empty() ? nullptr : FTasks.front().get();
}

const TSnRTast* TTaskQueue::SkippedHead() const {
  std::lock_guard lock(FLock);
  return !FTasks.empty() && ToBeSkipped(0) ? FTasks.front().get() : nullptr;
}

const TSnRTast* TTaskQueue::Behind(std::size_t index) const {
  std::lock_guard lock(FLock);
  if (FHolds > 0 || index >= FTasks.size() || ToBeSkipped(index)) return nullptr;
  return FTasks[index].get();
}

void TTaskQueue::RemoveHead() {
  std::unique_ptr<TSnRTast> head;
  {
    std::lock_guard lock(FLock);
    if (FTasks.empty()) return;
    head = std::move(FTasks.front());
    FTasks.pop_front();
    ++FRemoved;
    // Only an empty queue is news to the waiting owner; waking it per task costs a thread
    // switch per file.
    if (FTasks.empty()) FDrained.notify_all();
  }
  // `head` is destroyed here, outside the lock.
}

void TTaskQueue::Wake() {
  std::lock_guard lock(FLock);
  FWork.notify_all();
}

bool TTaskQueue::WaitUntilEmpty(std::chrono::milliseconds timeout) {
  std::unique_lock lock(FLock);
  return FDrained.wait_for(lock, timeout, [this] { return FTasks.empty(); });
}

}  // namespace fendrel

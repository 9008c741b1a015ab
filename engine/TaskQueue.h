// The worker's task queue: appended to at the tail by the window thread, worked off at the head
// by the worker. One lock guards every access and is never held while a file is processed or a
// status line travels.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "SnRTast.h"

namespace fendrel {

class TTaskQueue {
 public:
  void Append(std::unique_ptr<TSnRTast> task);
  // Appends a batch so that a worker which is not held sees it all at once.
  void AppendBatch(std::vector<std::unique_ptr<TSnRTast>> tasks);
  std::size_t Count() const;

  // While held (holds nest), the worker takes no further task once it has finished the one it
  // may be processing.
  void Hold();
  void Release();

  // Every task queued now is to be skipped, except those the worker has already taken; tasks
  // queued afterwards are not affected.
  void StopWaiting();

  // Worker: waits until a task may be taken (queue not empty and not held) or the head is to be
  // skipped, and returns the head, which stays queued until RemoveHead; returns nullptr as soon
  // as `stopRequested`.
  const TSnRTast* WaitForHead(const std::function<bool()>& stopRequested);
  // The head regardless of holds (the worker reporting skipped tasks), or nullptr.
  const TSnRTast* Head() const;
  // The head when it is to be skipped (queued before the last StopWaiting), regardless of holds;
  // otherwise nullptr.
  const TSnRTast* SkippedHead() const;
  // Worker: the task `index` places behind the head, which the worker may take into its batch
  // while it holds the head; nullptr when there is none, the queue is held or the task is to be
  // skipped.
  const TSnRTast* Behind(std::size_t index) const;
  // Removes and destroys the head.
  void RemoveHead();
  // Wakes a waiting worker so it can look at its stop flag.
  void Wake();

  // Waits until the queue is empty or `timeout` has passed; true when empty.
  bool WaitUntilEmpty(std::chrono::milliseconds timeout);

 private:
  mutable std::mutex FLock;
  std::condition_variable FWork;     // a task may be taken, or a stop is asked; guarded by FLock
  std::condition_variable FDrained;  // the queue became empty; guarded by FLock
  // Whether the task `index` places behind the head was queued before the last stop.
  bool ToBeSkipped(std::size_t index) const { return FRemoved + index < FSkipBefore; }

  std::deque<std::unique_ptr<TSnRTast>> FTasks;  // guarded by FLock
  int FHolds = 0;                                // guarded by FLock
  // Tasks count from 0 in the order they were queued: the head is task FRemoved, and every task
  // numbered below FSkipBefore is to be skipped.
  uint64_t FRemoved = 0;     // guarded by FLock
  uint64_t FSkipBefore = 0;  // guarded by FLock
};

}  // namespace fendrel

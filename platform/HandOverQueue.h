// The queue behind every window thread: other threads post a hand-over and wait until the window
// thread has run it; the window thread runs what is waiting whenever it serves the queue.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace fendrel {

class THandOverQueue {
 public:
  // Any thread but the window thread: queues `fn`, calls `wake` (so the window thread looks at
  // the queue), and returns once `fn` has run.
  void PostAndWait(const std::function<void()>& fn, const std::function<void()>& wake = {});
  // Window thread: runs every hand-over that is waiting; returns how many ran.
  int ServePending();
  // Window thread: waits up to `timeout` for a hand-over to arrive (without running it).
  void WaitForPosted(std::chrono::milliseconds timeout);

 private:
  struct TJob {
    const std::function<void()>* Fn;
    bool Done = false;
  };

  std::mutex FLock;
  std::condition_variable FPosted;  // a job arrived; guarded by FLock
  std::condition_variable FRan;     // a job finished; guarded by FLock
  std::deque<TJob*> FJobs;          // guarded by FLock
};

}  // namespace fendrel

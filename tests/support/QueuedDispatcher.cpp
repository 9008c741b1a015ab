#include "QueuedDispatcher.h"

namespace fendrel {

TQueuedDispatcher::TQueuedDispatcher() : FOwner(std::this_thread::get_id()) {}

void TQueuedDispatcher::RunAndWait(const std::function<void()>& fn) {
  if (std::this_thread::get_id() == FOwner) {
    fn();
    return;
  }
  TJob job{&fn};
  std::unique_lock lock(FLock);
  FJobs.push_back(&job);
  FPosted.notify_one();
  FRan.wait(lock, [&job] { return job.Done; });
}

int TQueuedDispatcher::ProcessPending() {
  int ran = 0;
  std::unique_lock lock(FLock);
  while (!FJobs.empty()) {
    TJob* job = FJobs.front();
    FJobs.pop_front();
    lock.unlock();
    (*job->Fn)();
    lock.lock();
    job->Done = true;
    ++ran;
  }
  if (ran > 0) FRan.notify_all();
  return ran;
}

int TQueuedDispatcher::Pump(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(FLock);
    FPosted.wait_for(lock, timeout, [this] { return !FJobs.empty(); });
  }
  return ProcessPending();
}

}  // namespace fendrel

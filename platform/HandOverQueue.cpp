#include "HandOverQueue.h"

namespace fendrel {

void THandOverQueue::PostAndWait(const std::function<void()>& fn,
                                 const std::function<void()>& wake) {
  TJob job{&fn};
  std::unique_lock lock(FLock);
  FJobs.push_back(&job);
  FPosted.notify_one();
  // A window thread already waiting for a hand-over may take the job before the wake-up arrives;
  // the wake-up then finds nothing left to do.
  if (wake) wake();
  FRan.wait(lock, [&job] { return job.Done; });
}

int THandOverQueue::ServePending() {
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

void THandOverQueue::WaitForPosted(std::chrono::milliseconds timeout) {
  std::unique_lock lock(FLock);
  FPosted.wait_for(lock, timeout, [this] { return !FJobs.empty(); });
}

}  // namespace fendrel

#include "QtWindowThreadDispatcher.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace fendrel {

TQtWindowThreadDispatcher::TQtWindowThreadDispatcher(QObject* parent)
    : QObject(parent),
      FPrevious(WindowThreadDispatcher()),
      FWindowThread(std::this_thread::get_id()),
      FWakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      FWakeNotifier(FWakeFd, QSocketNotifier::Read) {
  connect(&FWakeNotifier, &QSocketNotifier::activated, this, &TQtWindowThreadDispatcher::Woken);
  SetWindowThreadDispatcher(this);
}

TQtWindowThreadDispatcher::~TQtWindowThreadDispatcher() {
  if (WindowThreadDispatcher() == this) SetWindowThreadDispatcher(FPrevious);
  FWakeNotifier.setEnabled(false);
  if (FWakeFd >= 0) close(FWakeFd);
}

void TQtWindowThreadDispatcher::Wake() {
  const uint64_t one = 1;
  // A full counter (never reached) or a failed write still leaves a wake-up pending.
  (void)!write(FWakeFd, &one, sizeof one);
}

void TQtWindowThreadDispatcher::Woken() {
  uint64_t count = 0;
  (void)!read(FWakeFd, &count, sizeof count);
  ServePending();
}

void TQtWindowThreadDispatcher::RunAndWait(const std::function<void()>& fn) {
  if (std::this_thread::get_id() == FWindowThread) {
    fn();
    return;
  }
  TJob job{&fn};
  std::unique_lock lock(FLock);
  FJobs.push_back(&job);
  FPosted.notify_one();
  // The event loop serves the job; a window thread already waiting in ServeUntil takes it even
  // sooner, and the wake-up then finds nothing left to do.
  Wake();
  FRan.wait(lock, [&job] { return job.Done; });
}

int TQtWindowThreadDispatcher::ServePending() {
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

void TQtWindowThreadDispatcher::ServeUntil(const std::function<bool()>& done,
                                           std::chrono::milliseconds poll) {
  for (;;) {
    ServePending();
    if (done()) return;
    std::unique_lock lock(FLock);
    FPosted.wait_for(lock, poll, [this] { return !FJobs.empty(); });
  }
}

}  // namespace fendrel

#include "QtWindowThreadDispatcher.h"

#include <QMetaObject>

namespace fendrel {

TQtWindowThreadDispatcher::TQtWindowThreadDispatcher(QObject* parent)
    : QObject(parent),
      FPrevious(WindowThreadDispatcher()),
      FWindowThread(std::this_thread::get_id()) {
  SetWindowThreadDispatcher(this);
}

TQtWindowThreadDispatcher::~TQtWindowThreadDispatcher() {
  if (WindowThreadDispatcher() == this) SetWindowThreadDispatcher(FPrevious);
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
  // sooner, and then this queued call finds nothing left to do.
  QMetaObject::invokeMethod(
      this, [this] { ServePending(); }, Qt::QueuedConnection);
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

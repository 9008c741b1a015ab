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
  // The event loop serves the job; a window thread already waiting in ServeUntil takes it even
  // sooner.
  FQueue.PostAndWait(fn, [this] { Wake(); });
}

int TQtWindowThreadDispatcher::ServePending() {
  return FQueue.ServePending();
}

void TQtWindowThreadDispatcher::ServeUntil(const std::function<bool()>& done,
                                           std::chrono::milliseconds poll) {
  for (;;) {
    ServePending();
    if (done()) return;
    FQueue.WaitForPosted(poll);
  }
}

}  // namespace fendrel

#include "QueuedDispatcher.h"

namespace fendrel {

TQueuedDispatcher::TQueuedDispatcher() : FOwner(std::this_thread::get_id()) {}

void TQueuedDispatcher::RunAndWait(const std::function<void()>& fn) {
  if (std::this_thread::get_id() == FOwner) {
    fn();
    return;
  }
  FQueue.PostAndWait(fn);
}

int TQueuedDispatcher::ProcessPending() {
  return FQueue.ServePending();
}

int TQueuedDispatcher::Pump(std::chrono::milliseconds timeout) {
  FQueue.WaitForPosted(timeout);
  return ProcessPending();
}

}  // namespace fendrel

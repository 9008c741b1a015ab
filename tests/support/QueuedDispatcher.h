// A window thread for tests: the thread that owns the dispatcher serves the hand-overs of other
// threads whenever it calls ProcessPending or Pump, as the desktop program's event loop does.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "platform/HandOverQueue.h"
#include "platform/TThread.h"

namespace fendrel {

class TQueuedDispatcher : public TWindowThreadDispatcher {
 public:
  // The constructing thread becomes the window thread.
  TQueuedDispatcher();

  void RunAndWait(const std::function<void()>& fn) override;

  // Runs every hand-over that is waiting; returns how many ran. Window thread only.
  int ProcessPending();
  // Waits up to `timeout` for a hand-over, then runs what is waiting. Window thread only.
  int Pump(std::chrono::milliseconds timeout);

 private:
  std::thread::id FOwner;
  THandOverQueue FQueue;
};

}  // namespace fendrel

// The desktop program's window thread for TThread::Synchronize: a hand-over from another thread
// is queued, the Qt event loop of the window thread runs it, and the calling thread waits until
// it has run. The other thread only touches the queue under its lock and wakes the event loop
// through an event descriptor, so nothing it allocates crosses into the window thread. The window
// thread can also serve waiting hand-overs itself, without running any other event, while it waits
// for a thread that may be blocked in a hand-over (a scanner being stopped): that wait can neither
// deadlock nor re-enter the window's own handlers.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/HandOverQueue.h"
#include "platform/TThread.h"

namespace fendrel {

class TQtWindowThreadDispatcher : public QObject, public TWindowThreadDispatcher {
  Q_OBJECT

 public:
  // Construct on the window thread (the thread of the QApplication). The object installs itself
  // as the process's dispatcher and, when destroyed, restores the one it replaced; every thread
  // that hands over through it must have ended by then.
  explicit TQtWindowThreadDispatcher(QObject* parent = nullptr);
  ~TQtWindowThreadDispatcher() override;

  void RunAndWait(const std::function<void()>& fn) override;

  // Window thread: runs every hand-over that is waiting; returns how many ran.
  int ServePending();
  // Window thread: serves hand-overs until `done()` holds, checking it at least every `poll`.
  void ServeUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds poll = std::chrono::milliseconds(2));

 private:
  void Wake();
  void Woken();

  TWindowThreadDispatcher* FPrevious;
  std::thread::id FWindowThread;
  int FWakeFd;  // eventfd: counts wake-ups the window thread has not read yet
  QSocketNotifier FWakeNotifier;
  THandOverQueue FQueue;
};

}  // namespace fendrel

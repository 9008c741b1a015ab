// A background thread in the shape the program's workers expect: created suspended, started
// once, asked to stop through a flag that the body polls, and waited for.
//
// `Synchronize` runs a function on the window thread and returns when it has run. The window
// thread is whatever the process installed as its dispatcher (the desktop program's event loop,
// the command line's main loop); without one the function runs on the calling thread, which is
// what single-threaded tests want.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace fendrel {

class TWindowThreadDispatcher {
 public:
  virtual ~TWindowThreadDispatcher() = default;
  // Runs `fn` on the window thread and returns after it has run. Called from the window thread
  // itself it runs `fn` at once.
  virtual void RunAndWait(const std::function<void()>& fn) = 0;
};

// Installs the process's window-thread dispatcher; nullptr restores direct calls.
void SetWindowThreadDispatcher(TWindowThreadDispatcher* dispatcher);
TWindowThreadDispatcher* WindowThreadDispatcher();

class TThread {
 public:
  explicit TThread(std::string name);
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  // A derived class must call WaitFor() in its own destructor, so that the body never runs on
  // a half-destroyed object; this one only joins as a last resort.
  virtual ~TThread();

  // Starts the body; a second call does nothing.
  void Start();
  // Asks the body to stop; the body decides when it has stopped.
  void Terminate();
  bool Terminated() const { return FTerminated.load(std::memory_order_acquire); }
  // Waits until the body has returned; returns at once for a thread never started.
  void WaitFor();
  bool Started() const { return FThread.joinable(); }
  // True once the body has returned (always false for a thread never started).
  bool Ended() const { return FEnded.load(std::memory_order_acquire); }

  // Scheduling steps below normal (1 for the worker, 2 for the scanner), applied to the running
  // thread when it starts; failure to lower the priority is ignored.
  void SetPriorityStepsBelowNormal(int steps) { FNiceSteps = steps; }

 protected:
  virtual void Execute() = 0;
  // Called by Terminate() after the flag is set, on the caller's thread, so a body that sleeps on
  // a condition can be woken.
  virtual void TerminatedSet() {}
  void Synchronize(const std::function<void()>& fn);

 private:
  void Run();

  std::string FName;
  int FNiceSteps = 0;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FEnded{false};
  std::thread FThread;
};

}  // namespace fendrel

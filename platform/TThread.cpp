#include "TThread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fendrel {
namespace {

std::atomic<TWindowThreadDispatcher*> gDispatcher{nullptr};

// One nice step stands for one priority step of the original platform's scale; 5 keeps the
// difference noticeable without starving the thread.
constexpr int kNicePerStep = 5;

}  // namespace

void SetWindowThreadDispatcher(TWindowThreadDispatcher* dispatcher) {
  gDispatcher.store(dispatcher, std::memory_order_release);
}

TWindowThreadDispatcher* WindowThreadDispatcher() {
  return gDispatcher.load(std::memory_order_acquire);
}

TThread::TThread(std::string name) : FName(std::move(name)) {}

TThread::~TThread() {
  WaitFor();
}

void TThread::Start() {
  if (FThread.joinable() || FEnded.load()) return;
  FThread = std::thread(&TThread::Run, this);
}

void TThread::Terminate() {
  FTerminated.store(true, std::memory_order_release);
  TerminatedSet();
}

void TThread::WaitFor() {
  if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
}

void TThread::Synchronize(const std::function<void()>& fn) {
  if (TWindowThreadDispatcher* dispatcher = WindowThreadDispatcher())
    dispatcher->RunAndWait(fn);
  else
    fn();
}

void TThread::Run() {
  pthread_setname_np(pthread_self(), FName.substr(0, 15).c_str());
  if (FNiceSteps > 0) {
    // On Linux the nice value of PRIO_PROCESS with a thread id applies to that thread alone.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    const int current = getpriority(PRIO_PROCESS, tid);
    (void)setpriority(PRIO_PROCESS, tid, current + FNiceSteps * kNicePerStep);
  }
  Execute();
  FEnded.store(true, std::memory_order_release);
}

}  // namespace fendrel

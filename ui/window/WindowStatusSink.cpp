#include "WindowStatusSink.h"

#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "SnRForm.h"

namespace fendrel {
namespace {

// The worker waits on this until the window has handled its report. A standard condition
// (rather than a blocking queued call) makes the hand-over visible to the thread checker too.
struct THandOver {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;  // guarded by Lock
};

}  // namespace

TWindowStatusSink::TWindowStatusSink(TSnRForm* form) : FForm(form) {}

void TWindowStatusSink::SnRStatus(TStatusKind kind, const std::string& text) {
  if (QThread::currentThread() == FForm->thread()) {
    FForm->WMSnRStatus(kind, text);
    return;
  }
  auto handOver = std::make_shared<THandOver>();
  // Signals when the queued call is gone, handled or dropped unhandled, so the worker can
  // never wait for a call that no event loop will run.
  std::shared_ptr<void> finished(nullptr, [handOver](void*) {
    const std::lock_guard<std::mutex> lock(handOver->Lock);
    handOver->Finished = true;
    handOver->Done.notify_all();
  });
  TSnRForm* form = FForm;
  QMetaObject::invokeMethod(
      form, [form, kind, text, finished] { form->WMSnRStatus(kind, text); }, Qt::QueuedConnection);
  finished.reset();
  std::unique_lock<std::mutex> lock(handOver->Lock);
  handOver->Done.wait(lock, [&] { return handOver->Finished; });
}

}  // namespace fendrel

#include "WindowStatusSink.h"

#include <QThread>

#include "SnRForm.h"

namespace fendrel {

TWindowStatusSink::TWindowStatusSink(TSnRForm* form) : FForm(form) {}

void TWindowStatusSink::SnRStatus(TStatusKind kind, const std::string& text) {
  if (QThread::currentThread() == FForm->thread()) {
    Deliver();  // whatever came before goes first
    FForm->WMSnRStatus(kind, text);
    return;
  }
  bool ask = false;
  {
    const std::lock_guard<std::mutex> lock(FLock);
    FQueued.emplace_back(kind, text);
    ask = !FDeliveryAsked;
    FDeliveryAsked = true;
  }
  // One wake-up for everything queued until the window thread gets to it; the form is the
  // call's context, so a call still queued when the form goes is dropped with it.
  if (ask)
    QMetaObject::invokeMethod(
        FForm, [this] { Deliver(); }, Qt::QueuedConnection);
}

void TWindowStatusSink::Deliver() {
  std::vector<std::pair<TStatusKind, std::string>> reports;
  {
    const std::lock_guard<std::mutex> lock(FLock);
    reports.swap(FQueued);
    FDeliveryAsked = false;
  }
  for (const auto& [kind, text] : reports)
    FForm->WMSnRStatus(kind, text);
}

}  // namespace fendrel

#include "WindowStatusSink.h"

#include <QThread>

#include "SnRForm.h"

namespace fendrel {

TWindowStatusSink::TWindowStatusSink(TSnRForm* form) : FForm(form) {}

void TWindowStatusSink::SnRStatus(TStatusKind kind, const std::string& text) {
  if (QThread::currentThread() == FForm->thread()) {
    FForm->WMSnRStatus(kind, text);
    return;
  }
  // A blocking queued call is served by any event loop of the window thread, nested ones
  // (a modal question, the drain at closing) included.
  QMetaObject::invokeMethod(
      FForm, [this, kind, &text] { FForm->WMSnRStatus(kind, text); }, Qt::BlockingQueuedConnection);
}

}  // namespace fendrel

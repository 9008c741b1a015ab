#include "WindowStatusSink.h"

#include <QThread>

#include "SnRForm.h"

namespace fendrel {

TWindowStatusSink::TWindowStatusSink(TSnRForm* form) : FForm(form) {}

void TWindowStatusSink::SnRStatus(TStatusKind kind, const std::string& text) {
  Queue(TLine{kind, text});
}

void TWindowStatusSink::TaskReported(const TTaskReport& report) {
  Queue(TTaskDone{report.Run, std::string(report.Path), std::string(report.Backup), report.Result,
                  report.Skipped});
}

void TWindowStatusSink::Queue(TQueued report) {
  if (QThread::currentThread() == FForm->thread()) {
    Deliver();  // whatever came before goes first
    Hand(report);
    return;
  }
  bool ask = false;
  {
    const std::lock_guard<std::mutex> lock(FLock);
    FQueued.push_back(std::move(report));
    ask = !FDeliveryAsked;
    FDeliveryAsked = true;
  }
  // One wake-up for everything queued until the window thread gets to it; the form is the
  // call's context, so a call still queued when the form goes is dropped with it.
  if (ask)
    QMetaObject::invokeMethod(
        FForm, [this] { Deliver(); }, Qt::QueuedConnection);
}

void TWindowStatusSink::Hand(const TQueued& report) {
  if (const auto* line = std::get_if<TLine>(&report))
    FForm->WMSnRStatus(line->Kind, line->Text);
  else if (const auto* done = std::get_if<TTaskDone>(&report))
    FForm->TaskDone(done->Run, done->File, done->Backup, done->Result, done->Skipped);
}

void TWindowStatusSink::Deliver() {
  std::vector<TQueued> reports;
  {
    const std::lock_guard<std::mutex> lock(FLock);
    reports.swap(FQueued);
    FDeliveryAsked = false;
  }
  for (const TQueued& report : reports)
    Hand(report);
}

}  // namespace fendrel

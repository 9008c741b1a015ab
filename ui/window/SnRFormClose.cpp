// The close request: with tasks still queued the user is asked first; every request, allowed or
// refused, writes the backup registry, the result log, the histories and the settings.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QThread>

#include "SnRForm.h"
#include "WindowStatusSink.h"
#include "ui/editors/UiText.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/ResultListBox.h"

namespace fendrel {

bool TSnRForm::FormCloseQuery() {
  TTaskQueue& queue = FWorker->TaskList();
  queue.Hold();
  ClearScreenOverlay();

  bool canClose = true;
  bool held = true;
  if (queue.Count() > 0) {
    const QString question = UiText(TTextId::QuitWithTasksQueued, CurrentLanguage());
    const TQuitAnswer answer = FQuitQuestion ? FQuitQuestion(question) : TQuitAnswer::Cancel;
    queue.Release();
    held = false;
    if (answer == TQuitAnswer::Yes) {
      // The worker reports every task still waiting as skipped; its reports need this thread.
      FWorker->Terminate();
      while (queue.Count() > 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
      }
    } else {
      canClose = false;
      UpdateWorkflowState();
    }
  }

  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Reports still on their way belong in the lists before they are written.
  if (FStatusSink) FStatusSink->Deliver();
  // Each file is written even when one before it could not be; a list that could not be
  // written keeps the window open, so that it is not lost with the window.
  const bool backupsSaved = FBackupFilePage->Save(GetDataDirectory());
  const bool resultsSaved = FResultListBox->Model().Save(GetDataDirectory());
  SaveHistories();
  SaveSettings();
  if (!backupsSaved || !resultsSaved) {
    if (FNotice) {
      const QString file = !backupsSaved ? "backup.dat" : "result.log";
      FNotice(UiText(TTextId::DataFileNotWritten, CurrentLanguage(), {file}));
    }
    if (canClose && held) queue.Release();
    canClose = false;
  }
  // Closing with an empty queue leaves the worker held: it takes no task while the program ends.
  return canClose;
}

void TSnRForm::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery())
    event->accept();
  else
    event->ignore();
}

}  // namespace fendrel

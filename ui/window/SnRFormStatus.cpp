// What the worker reports: result lines for the result list, new backup files for the backup
// list, and the title that counts the queued tasks down (with the progress, SnRFormProgress.cpp);
// what the status line says about the place the program runs in; and the interrupted rewrites
// that scans and the start found and finished.
#include <QApplication>
#include <QStatusBar>
#include <future>
#include <iterator>

#include "SnRForm.h"
#include "WindowTitle.h"
#include "ui/editors/UiText.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/RecoveryReport.h"
#include "ui/records/ResultListBox.h"

namespace fendrel {

void TSnRForm::WMSnRStatus(TStatusKind kind, const std::string& text) {
  if (kind == TStatusKind::stBackupFile) {
    FBackupFilePage->Record(text);
    return;
  }
  if (kind == TStatusKind::stFailureReason) {
    FFailureReason = text;
    return;
  }
  if (kind != TStatusKind::stLine) return;
  // The reason belongs to the lines of the task that follows it, up to its empty separator;
  // the status line shows it with the task's file, the first of those lines.
  if (!FFailureReason.empty() && !text.empty() && text.find("-->") == std::string::npos)
    statusBar()->showMessage(QString::fromLocal8Bit((text + ": " + FFailureReason).c_str()));
  // The list follows the window's current log mode and scrolls sideways by itself.
  FResultListBox->Model().AddStatusLine(text, FFailureReason);
  if (text.empty()) FFailureReason.clear();
  const bool drained = FWorker && FWorker->TaskList().Count() == 0;
  if (!drained) {
    FRunInProgress = true;
    // The title and the progress follow the queue at most 20 times a second: setting the title
    // costs the window system a round trip, and a run of 200,000 small files reports far faster
    // than that.
    if (!FTitleTimer.isActive()) FTitleTimer.start();
  } else if (FRunInProgress) {
    // The run is over (the reports of its last tasks may still follow): the title shows it at
    // once, and the window comes back to the front, even from the task bar, once per run.
    FRunInProgress = false;
    FTitleTimer.stop();
    RefreshRunState();
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
  }
}

void TSnRForm::TaskDone(uint64_t run, const std::string& file, const std::string& backup,
                        int64_t result, bool skipped) {
  if (!backup.empty()) FBackupFilePage->RunBackupMade(run, file, backup);
  if (FRunTally.Complete()) return;  // a task queued some other way than by the start button
  FRunTally.Reported(file, result, skipped);
  if (!FRunTally.Complete()) return;
  // The run is over: it is summed up, and its first entry comes to the top of the result page,
  // with the failures' reasons in their tooltips.
  statusBar()->showMessage(FRunTally.Summary(CurrentLanguage()));
  TResultListModel& model = FResultListBox->Model();
  if (FRunTally.FirstRow() < model.rowCount())
    FResultListBox->scrollTo(model.index(FRunTally.FirstRow()), QAbstractItemView::PositionAtTop);
}

void TSnRForm::ShowRecoveries(const std::vector<TRecovery>& recoveries) {
  if (recoveries.empty()) return;
  FResultListBox->Model().AddEntries(RecoveryEntries(recoveries));
  statusBar()->showMessage(RecoverySummary(recoveries, CurrentLanguage()));
}

void TSnRForm::RecoverBackupFolders() {
  std::vector<std::string> folders = FBackupFilePage->Registry().Folders();
  if (folders.empty()) return;
  // A folder on a slow or gone network drive, or one where another copy of the program is in
  // the middle of a rewrite, must not hold up the start.
  FRecovering = std::async(std::launch::async, [this, folders = std::move(folders)] {
    std::vector<TRecovery> found;
    for (const std::string& folder : folders) {
      std::vector<TRecovery> recoveries = RecoverFolder(folder);
      found.insert(found.end(), std::make_move_iterator(recoveries.begin()),
                   std::make_move_iterator(recoveries.end()));
    }
    if (found.empty()) return;
    QMetaObject::invokeMethod(
        this, [this, found = std::move(found)] { ShowRecoveries(found); }, Qt::QueuedConnection);
  });
}

void TSnRForm::TellNoGuidingLines() {
  statusBar()->showMessage(UiText(TTextId::NoGuidingLines, CurrentLanguage()));
}

void TSnRForm::RefreshTitle() {
  const std::size_t queued = FWorker ? FWorker->TaskList().Count() : 0;
  const QString title = QString::fromUtf8(WindowTitle(queued, CurrentLanguage()));
  setWindowTitle(title);
  // The application's own title follows (a display name would be appended to every window's
  // title, so the application name carries it).
  QCoreApplication::setApplicationName(title);
}

}  // namespace fendrel

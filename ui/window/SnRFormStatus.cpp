// What the worker reports: result lines for the result list, new backup files for the backup
// list, and the title that counts the queued tasks down.
#include <QApplication>

#include "SnRForm.h"
#include "WindowTitle.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/ResultListBox.h"

namespace fendrel {

void TSnRForm::WMSnRStatus(TStatusKind kind, const std::string& text) {
  if (kind == TStatusKind::stBackupFile) {
    FBackupFilePage->Record(text);
    return;
  }
  if (kind != TStatusKind::stLine) return;
  // The list follows the window's current log mode and scrolls sideways by itself.
  FResultListBox->Model().AddStatusLine(text);
  RefreshTitle();
  if (FWorker && FWorker->TaskList().Count() == 0) {
    // The run is over: the window comes back to the front, even from the task bar.
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
  }
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

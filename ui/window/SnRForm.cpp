// Construction, creation, showing and activation of the main window, its settings and
// histories, and its companion windows and screen overlay.
#include "SnRForm.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QThread>

#include "HelpPage.h"
#include "InstantHelpForm.h"
#include "WindowPlacement.h"
#include "WindowStatusSink.h"
#include "WindowTitle.h"
#include "container/fileinst.h"
#include "settings/HistoryList.h"
#include "ui/editors/ComboBoxExt.h"
#include "ui/editors/MultiLineEditors.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/FileSelection.h"
#include "ui/overlay/uZQScreenOverlay.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/BannerForm.h"

namespace fendrel {

TSnRForm::TSnRForm(TChoseDirectoryForm* chooser, const TScreenOverlay* overlay)
    : FChooser(chooser), FScreenOverlay(overlay ? overlay : &ScreenOverlay()) {
  setObjectName("SnRForm");
  // The option defaults come first, so that the settings only overwrite what they hold.
  FOptions = TMainOptions{};
  BuildPages();
  BuildMenus();
  BuildProgress();
  for (QWidget* container :
       {FCreateTaskTabSheet, FResultTabSheet, static_cast<QWidget*>(FFileNameGroupBox),
        static_cast<QWidget*>(FStringGroupBox), FSingleLineTabSheet, FMultiLineTabSheet})
    container->installEventFilter(this);
  FQuitQuestion = [this](const QString& text) {
    const auto button = QMessageBox::warning(
        this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return button == QMessageBox::Yes  ? TQuitAnswer::Yes
           : button == QMessageBox::No ? TQuitAnswer::No
                                       : TQuitAnswer::Cancel;
  };
  FNotice = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
  FUrlOpener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  // Looked for beside the executable, never in the current directory, which the directory
  // chooser changes.
  FHelpPageDirectories = HelpPageDirectories(QCoreApplication::applicationDirPath());
  FApplicationActive = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
  FDrawHelpLinesTimer.setInterval(100);
  FDrawHelpLinesTimer.setSingleShot(true);
  connect(&FDrawHelpLinesTimer, &QTimer::timeout, this, [this] { DrawHelpLinesTimerTimer(); });
  FTitleTimer.setInterval(50);
  FTitleTimer.setSingleShot(true);
  connect(&FTitleTimer, &QTimer::timeout, this, [this] { RefreshRunState(); });
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  resize(800, 600);
  FinishConstruction();
  FormCreate();
}

TSnRForm::~TSnRForm() {
  // The help window may outlive this window's own part while Qt deletes the children.
  if (FInstantHelpForm) FInstantHelpForm->ForgetMainForm();
  FDrawHelpLinesTimer.stop();
  SaveSettings();
  // The worker may be blocked in a report to this window: serve reports until it has ended.
  FWorker->Attach(nullptr);
  FWorker->Terminate();
  while (FWorker->Started() && !FWorker->Ended()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    QThread::msleep(1);
  }
  FWorker->WaitFor();
}

void TSnRForm::FormCreate() {
  // Placement is done by FormResize; the window's fonts follow the desktop's, which Qt applies
  // without scaling the placement rules.
  // The carried files first: the overlay library among them is loaded when first used.
  ExtractAppendedFiles();
  ConnectScreenOverlay();
  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this](Qt::ApplicationState) { UpdateWorkflowState(); });

  FillWarrantyMemo(kEnglish);
  ChangeLanguage(CurrentLanguage());

  FPathComboBox->setEditText(QString());
  FMaskComboBox->setEditText(QString());
  FExcludeComboBox->setEditText(QString());
  FMultiLine->Clear();

  LoadHistories();
  FBackupFilePage->Load(GetDataDirectory());
  RecoverBackupFolders();

  // The file selection starts with an idle scanner that counts as finished.
  FWorker = std::make_unique<TSearchAndReplaceThread>();
  FStatusSink = std::make_unique<TWindowStatusSink>(this);
  FWorker->Attach(FStatusSink.get());

  FMainPageControl->setCurrentIndex(0);
  LoadSettings();
  RestoreLastWindow();
  ShowBackupPage(FOptions.FShowBackupFileList);
  FMainPageControl->setCurrentIndex(0);
  RefreshRunState();
  FFileSelection->StartTimer();
  FWorker->SetPriorityStepsBelowNormal(1);
  FWorker->Start();
}

void TSnRForm::FormShow() {
  // Only a window that was never moved before its first showing lacks a place: a remembered one
  // was moved there when the settings were read.
  if (!FShownOnce) FCentreOnScreen = !testAttribute(Qt::WA_Moved);
  FShownOnce = true;
  if (FInstantHelpForm && !FInstantHelpForm->isVisible()) {
    if (FOptions.FShowHelpWindow) FInstantHelpForm->show();
    UpdateWorkflowState();
  }
  PlaceOnScreen();
  if (FBannerForm && !FBannerForm->isVisible()) {
    FBannerForm->show();
    FBannerForm->raise();
  }
  // The window system adds its frames, and may place the windows anew, only once they are
  // shown: place them again then, and once more after it has settled.
  for (const int delay : {300, 1000, 2000})
    QTimer::singleShot(delay, this, [this, delay] {
      PlaceOnScreen();
      // Settled: from now on the window stays where the user puts it.
      if (delay == 2000) FCentreOnScreen = false;
    });
  // Without a window manager nothing hands the keyboard to a new window, and the program would
  // stay inactive (no guiding lines, no typing) until the user clicked into it; with one, this
  // is what it would do anyway.
  activateWindow();
  // The line-break columns are read-only; they show no caret.
  FMultiLine->MemoFromStrLinebreaks()->setCursorWidth(0);
  FMultiLine->MemoToStrLinebreaks()->setCursorWidth(0);
}

void TSnRForm::PlaceOnScreen() {
  const QScreen* screen = this->screen();
  if (screen == nullptr) return;
  const QRect frame = frameGeometry();
  const QSize margins = frame.size() - size();
  const QSize help = FInstantHelpForm && FInstantHelpForm->isVisible()
                         ? FInstantHelpForm->frameGeometry().size()
                         : QSize();
  const QSize banner = FBannerForm ? FBannerForm->frameGeometry().size() : QSize();
  const TWindowPlacement placed =
      PlaceWindows(screen->availableGeometry(), frame, help, banner,
                   QSize(kMinimumWidth, kMinimumHeight) + margins, FCentreOnScreen);
  if (placed.Main.size() != frame.size()) resize(placed.Main.size() - margins);
  if (placed.Main.topLeft() != frame.topLeft()) move(placed.Main.topLeft());
  // The help window docks itself, to the device pixel.
  if (!placed.Help.isEmpty()) FInstantHelpForm->UpdatePositionTimerTimer();
  if (!placed.Banner.isEmpty()) FBannerForm->move(placed.Banner.topLeft());
  // Shown before the main window was mapped, the others may lie below it: one that must cover a
  // part of it (on a small or scaled screen) is brought up, or it could not be seen at all.
  const QRect main = frameGeometry();
  if (FBannerForm && FBannerForm->isVisible() && FBannerForm->frameGeometry().intersects(main))
    FBannerForm->raise();
  if (FInstantHelpForm && FInstantHelpForm->isVisible() &&
      FInstantHelpForm->frameGeometry().intersects(main))
    FInstantHelpForm->raise();
}

void TSnRForm::FormActivate() {
  UpdateWorkflowState();
}

void TSnRForm::WMSysCommand() {
  UpdateWorkflowState();
  ClearScreenOverlay();
  FDrawHelpLinesTimer.start();
}

void TSnRForm::showEvent(QShowEvent* event) {
  TZQSnRMainForm::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TSnRForm::changeEvent(QEvent* event) {
  TZQSnRMainForm::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange)
    WMSysCommand();
  else if (event->type() == QEvent::ActivationChange && isActiveWindow())
    FormActivate();
}

void TSnRForm::ConnectScreenOverlay() {
  // Its notifications reach this window, which leaves them unhandled.
  FScreenOverlay->Clear();
  FScreenOverlay->SetCallBackWindowHandle(reinterpret_cast<std::intptr_t>(this));
}

void TSnRForm::ClearScreenOverlay() {
  FScreenOverlay->Clear();
}

void TSnRForm::ExtractAppendedFiles() {
  // The files the executable carries (the help page, the overlay library) are written next to
  // it at every start, so they always match the program. A file that cannot be written (a
  // folder the user may not write, a library in use) stays as it was: each entry is tried and
  // its failure ignored. The installed copy finds them where they were installed.
  if (IsInstalledProgram(QCoreApplication::applicationDirPath(), FENDREL_INSTALL_BIN_DIR)) return;
  const std::string directory = QCoreApplication::applicationDirPath().toStdString();
  for (std::size_t index = 1; index <= ContainerFileCount(); ++index) {
    try {
      ExtractContainerFile(index, directory, {});
    } catch (...) {
    }
  }
}

void TSnRForm::LoadSettings() {
  LoadMainOptions(GetSettingsFile(), FOptions);
}

void TSnRForm::SaveSettings() {
  SaveMainOptions(GetSettingsFile(), FOptions);
  RememberLastWindow();
  TZQSnRMainForm::SaveSettings();
}

void TSnRForm::LoadHistories() {
  const std::string file = HistoryFileIn(GetDataDirectory());
  FMaskComboBox->LoadHistory(file, kMaskSection);
  FPathComboBox->LoadHistory(file, kPathSection);
  FExcludeComboBox->LoadHistory(file, kExcludeSection);
  FFromStr->LoadHistory(file, kFromStringSection);
  FToStr->LoadHistory(file, kToStringSection);
}

void TSnRForm::SaveHistories() {
  FMaskComboBox->SaveHistory();
  FPathComboBox->SaveHistory();
  FExcludeComboBox->SaveHistory();
  FFromStr->SaveHistory();
  FToStr->SaveHistory();
}

}  // namespace fendrel

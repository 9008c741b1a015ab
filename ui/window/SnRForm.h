// The main window: the owner of everything that runs. It holds the file selection, the string
// editors, the result list and the backup list on three pages, owns the worker thread with its
// task queue, turns the ticked files into tasks, shows what the worker reports, and keeps the
// options, histories and lists across runs.
//
// The class is split by concern: construction and creation (SnRForm.cpp), the pages' widgets
// (SnRFormPages.cpp), placement (SnRFormLayout.cpp), menus (SnRFormMenus.cpp), built-in texts
// (SnRFormLanguage.cpp), the worker's reports (SnRFormStatus.cpp), queueing a run and the
// workflow state (SnRFormRun.cpp), stopping a run and its progress (SnRFormProgress.cpp), the
// guiding lines (SnRFormHelpLines.cpp), the place and file selection kept between starts
// (SnRFormLastWindow.cpp) and the close request (SnRFormClose.cpp).
#pragma once

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "RunTally.h"
#include "WorkflowState.h"
#include "ZQSnRMainForm.h"
#include "engine/RunBuilder.h"
#include "engine/RunProgress.h"
#include "engine/StatusSink.h"
#include "engine/uSearchAndReplaceThread.h"
#include "platform/InPlaceRecovery.h"
#include "settings/MainOptions.h"
#include "ui/files/FileSelectionWidgets.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace fendrel {

class TBackupFileListPage;
class TBannerForm;
class TChoseDirectoryForm;
class TCombiEditCharHexFrame;
class TComboBoxExt;
class TFileSelection;
class TInstantHelpForm;
class TMultiLineEditors;
class TPreviewPage;
class TResultListBox;
class TScreenOverlay;
class TSearchOptionBoxes;
class TSnRAboutForm;
class TWindowStatusSink;

// The component named `path` below `root`: its objectName, or "Parent/Child" for a component
// inside a named one; null when there is none.
QObject* FindComponent(const QObject& root, const QString& path);

// The answers of the question asked when the window is closed with tasks still queued.
enum class TQuitAnswer { Yes, No, Cancel };

class TSnRForm : public TZQSnRMainForm {
  Q_OBJECT

 public:
  // Asks the quit question; the program shows a warning box, a test answers directly.
  using TQuitQuestion = std::function<TQuitAnswer(const QString& text)>;
  // Tells the user why something the user asked for did not happen.
  using TNotice = std::function<void(const QString& text)>;
  // Hands an address to the desktop's opener; false when no browser or opener could be started.
  using TUrlOpener = std::function<bool(const QUrl& url)>;

  // `chooser` is the program's directory chooser; null leaves the browse button without one
  // (a test's window stands alone). `overlay` draws the guiding lines; null is the screen-overlay
  // library the program carries.
  explicit TSnRForm(TChoseDirectoryForm* chooser = nullptr,
                    const TScreenOverlay* overlay = nullptr);
  // Saves the settings, then stops the worker, still serving its last reports.
  ~TSnRForm() override;

  // The windows created after the main window join the language changes and the menus here.
  void SetInstantHelpForm(TInstantHelpForm* help);
  void SetBannerForm(TBannerForm* banner);
  void SetAboutForm(TSnRAboutForm* about);

  void LoadSettings() override;
  void SaveSettings() override;
  void SetCurrentLanguage() override;

  // Re-derives the start button's state and the open steps of the guided workflow, lists them in
  // the instant-help window and arms the guiding lines.
  void UpdateWorkflowState();
  // With "regular expression" ticked, compiles the old string as it stands and shows the
  // compiler's message at its editor (red frame, tooltip) and in the status line.
  void CheckPattern();
  // Shows `message` as the tooltip of `widget`, and gives back its own tooltip once the message
  // is empty.
  static void ShowMessageTip(QWidget* widget, const QString& message);
  // Puts the main window, the docked help window and the banner on the screen's available
  // area (see WindowPlacement.h); a window first shown without a place of its own is centred
  // there with its help window while the window system settles.
  void PlaceOnScreen();
  // The compiler's message for the old string, empty while it compiles or is no pattern.
  const QString& PatternMessage() const { return FPatternMessage; }
  int CountCheckedFiles() const;
  // The open steps' lines in the current language, as the instant-help window lists them.
  QStringList HelpLines() const;
  const TWorkflowState& WorkflowState() const { return FWorkflowState; }

  // The guiding lines, 100 ms after the last change: each of the first two help lines tied to
  // the control it speaks of, in red and in blue.
  void DrawHelpLinesTimerTimer();
  void PointAtControl(const QWidget* control, int lineIndex);
  // The same marks around `area` of `widget`: on another page, the tab of the "create task"
  // page, where the controls of every open step are.
  void PointAtArea(const QWidget& widget, const QRect& area, int lineIndex);
  bool DrawHelpLinesArmed() const { return FDrawHelpLinesTimer.isActive(); }
  // Whether the program is the active application; the guiding lines are drawn only then.
  void SetApplicationActiveTest(std::function<bool()> test) {
    FApplicationActive = std::move(test);
  }

  // The start button: every ticked file becomes one task, or three in multi-line mode.
  void SnRButtonClick();
  // The preview button: the same tasks, previewed in the background on the preview page.
  void PreviewButtonClick();
  // The preview page's start button: the run the page shows, as the start button queues it.
  void PreviewStartClick();
  // The Stop button, Esc and File > Stop: the tasks in hand finish, every other queued task is
  // reported as skipped, and the window stays for the next run.
  void StopButtonClick();
  // One report of the worker, on the window thread.
  void WMSnRStatus(TStatusKind kind, const std::string& text);
  // A task of the run the window marked `run` made `backup` of `file`.
  // A task's outcome: its backup goes to the run's record, and the last task of a run sums the
  // run up in the status line.
  void TaskDone(uint64_t run, const std::string& file, const std::string& backup, int64_t result,
                bool skipped);
  // Interrupted rewrites in place that a scan or the start found and finished: each file in the
  // result list, a count in the status line; nothing for none.
  void ShowRecoveries(const std::vector<TRecovery>& recoveries);
  // The close request: true when the window may close. Every call writes the data files.
  bool FormCloseQuery();
  // Raises a requested outer size to the minimum.
  static void FormCanResize(int& width, int& height);
  void FormResize();
  void RefreshTitle();
  // The title, the Stop controls and the progress in the status line, as the queue stands.
  void RefreshRunState();
  // The clock of the progress's rate, in seconds; a test sets its own.
  void SetProgressClock(std::function<double()> clock) { FProgressClock = std::move(clock); }

  void SetQuitQuestion(TQuitQuestion question) { FQuitQuestion = std::move(question); }
  void SetNotice(TNotice notice) { FNotice = std::move(notice); }
  // Says once, in the status line, that the guiding lines cannot be drawn where the program runs.
  void TellNoGuidingLines();
  // The program hands addresses to the desktop; a test writes them down.
  void SetUrlOpener(TUrlOpener opener) { FUrlOpener = std::move(opener); }
  // Where Help looks for the help page, in order (HelpPage.h); a test gives its own folders.
  void SetHelpPageDirectories(QStringList directories) {
    FHelpPageDirectories = std::move(directories);
  }

  TMainOptions& Options() { return FOptions; }
  TSearchAndReplaceThread& Worker() { return *FWorker; }
  TFileSelection& FileSelection() { return *FFileSelection; }
  const TFileSelectionWidgets& FileWidgets() const { return FFiles; }
  TCombiEditCharHexFrame* CombiEditCharHexFrameFromStr() const { return FFromStr; }
  TCombiEditCharHexFrame* CombiEditCharHexFrameToStr() const { return FToStr; }
  TMultiLineEditors& MultiLine() const { return *FMultiLine; }
  TSearchOptionBoxes& SearchOptions() const { return *FSearchOptions; }
  QTabWidget* MainPageControl() const { return FMainPageControl; }
  QTabWidget* PageControlLineMode() const { return FPageControlLineMode; }
  QPushButton* SnRButton() const { return FSnRButton; }
  QPushButton* PreviewButton() const { return FPreviewButton; }
  TPreviewPage* PreviewPage() const { return FPreviewPage; }
  QPushButton* StopButton() const { return FStopButton; }
  QCheckBox* KeepModificationTimeCheckBox() const { return FKeepModificationTimeCheckBox; }
  QAction* StopAction() const { return FStop1; }
  QProgressBar* ProgressBar() const { return FProgressBar; }
  QLabel* ProgressLabel() const { return FProgressLabel; }
  TResultListBox* ResultListBox() const { return FResultListBox; }
  TBackupFileListPage* BackupFilePage() const { return FBackupFilePage; }

  static constexpr int kMinimumWidth = 677;
  static constexpr int kMinimumHeight = 502;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Construction and creation.
  void FormCreate();
  void FormShow();
  void FormActivate();
  // Minimise, maximise and restore.
  void WMSysCommand();
  void ConnectScreenOverlay();
  void ClearScreenOverlay();
  void ExtractAppendedFiles();
  void LoadHistories();
  void SaveHistories();

  // The pages.
  void BuildPages();
  void BuildCreateTaskPage(QWidget* page);
  void BuildStringGroup();
  void BuildMenus();
  void Options1Click();
  void ClearHistory1Click();
  void SetLogMode(int32_t logMode);
  void ClearLogResults1Click();
  void Backupfiles1Click();
  void HelpWindow1Click();
  void Homepage1Click();
  void Help2Click();
  // Opens `url` through the desktop, or tells the user it could not and where it leads.
  void OpenUrl(const QUrl& url);
  void About1Click();
  void ShowBackupPage(bool show);
  void BuildProgress();
  // Finds the sizes of the files of the tasks from the `first` on in the background.
  void MeasureFiles(uint64_t first, std::vector<std::string> fileNames);
  // Finishes, beside the window, the interrupted rewrites in the folders of the recorded
  // backups, and shows what was done.
  void RecoverBackupFolders();

  // The place and the file selection of the last close, shown again at the start; written with
  // the settings.
  void RestoreLastWindow();
  void RememberLastWindow();

  // Placement.
  void PlaceFileGroup();
  void PlaceStringGroup();

  // The tasks the start button would queue; none when a joined multi-line string is too long.
  std::optional<TTaskList> TasksOfTickedFiles() const;
  // Queues `tasks` (none: a joined multi-line string was too long) and unticks their files.
  void QueueRun(std::optional<TTaskList> tasks);
  void TellStringTooLong();

  void ApplyComponentTexts(int32_t language);
  void FillWarrantyMemo(int32_t language);

  TMainOptions FOptions;
  TChoseDirectoryForm* FChooser;
  TBannerForm* FBannerForm = nullptr;
  TSnRAboutForm* FAboutForm = nullptr;
  std::vector<std::unique_ptr<TLanguageAware>> FCompanionLanguage;

  QTabWidget* FMainPageControl = nullptr;
  QWidget* FCreateTaskTabSheet = nullptr;
  QWidget* FResultTabSheet = nullptr;
  QGroupBox* FFileNameGroupBox = nullptr;
  QGroupBox* FStringGroupBox = nullptr;
  QPlainTextEdit* FWarrantyMemo = nullptr;
  TComboBoxExt* FPathComboBox = nullptr;
  TComboBoxExt* FMaskComboBox = nullptr;
  TComboBoxExt* FExcludeComboBox = nullptr;
  TFileSelectionWidgets FFiles;
  std::unique_ptr<TFileSelection> FFileSelection;
  QTabWidget* FPageControlLineMode = nullptr;
  QWidget* FSingleLineTabSheet = nullptr;
  QWidget* FMultiLineTabSheet = nullptr;
  TCombiEditCharHexFrame* FFromStr = nullptr;
  TCombiEditCharHexFrame* FToStr = nullptr;
  TMultiLineEditors* FMultiLine = nullptr;
  TSearchOptionBoxes* FSearchOptions = nullptr;
  QPushButton* FSnRButton = nullptr;
  QPushButton* FPreviewButton = nullptr;
  TPreviewPage* FPreviewPage = nullptr;
  QPushButton* FStopButton = nullptr;
  // A run option beside the buttons that start a run; kept with the last window.
  QCheckBox* FKeepModificationTimeCheckBox = nullptr;
  QAction* FStop1 = nullptr;
  QLabel* FProgressLabel = nullptr;
  QProgressBar* FProgressBar = nullptr;
  TResultListBox* FResultListBox = nullptr;
  TBackupFileListPage* FBackupFilePage = nullptr;

  QMenu* FOptions1 = nullptr;
  QAction* FCreateBackupFiles1 = nullptr;
  QAction* FLogModeItems[3] = {};
  QAction* FBackupfiles1 = nullptr;
  QAction* FDeutsch1 = nullptr;
  QAction* FEnglish1 = nullptr;
  QAction* FHelpWindow1 = nullptr;

  // Null until the program has created it, and again once it is gone.
  QPointer<TInstantHelpForm> FInstantHelpForm;
  const TScreenOverlay* FScreenOverlay;
  std::function<bool()> FApplicationActive;
  // One shot: each arming draws once, so a burst of changes draws after the last of them.
  QTimer FDrawHelpLinesTimer;
  QTimer FTitleTimer;           // the run state's next refresh while a run reports
  bool FRunInProgress = false;  // tasks were queued and the queue has not yet been seen empty
  TRunProgress FRunProgress;
  TRunTally FRunTally;
  uint64_t FRunMarks = 0;  // the last mark given to a run's tasks
  // The sizes of queued runs' files, being found.
  std::vector<std::future<void>> FMeasuring;
  // The recovery in the backups' folders at the start.
  std::future<void> FRecovering;
  std::function<double()> FProgressClock;
  // Every second while tasks are queued: a large file reports nothing for a long time, and the
  // rate and the time left still move on.
  QTimer FProgressTimer;
  bool FShownOnce = false;  // the window has a place of its own worth keeping
  // Shown first with no place given (no remembered one): centred until the window system has
  // settled.
  bool FCentreOnScreen = false;

  TWorkflowState FWorkflowState;
  TQuitQuestion FQuitQuestion;
  TNotice FNotice;
  TUrlOpener FUrlOpener;
  QStringList FHelpPageDirectories;

  std::unique_ptr<TWindowStatusSink> FStatusSink;
  QString FPatternMessage;
  // Why the task being reported failed, until its lines are in the result list.
  std::string FFailureReason;
  // Declared last: destroyed first, while everything its reports reach still exists.
  std::unique_ptr<TSearchAndReplaceThread> FWorker;
};

}  // namespace fendrel

// The file selection of the main window's first page: every change of path, mask, exclusion,
// recursion or following links restarts the background scan, whose hits fill the check list one by
// one; a 200 ms timer shows progress and completion in the status line; the select-all box and
// clicks on the list manage the ticks that the next run turns into tasks. The window connects
// WorkflowStateChanged to its workflow update, which reads the selection back through
// CountCheckedFiles and ScanFinished.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileSelectionWidgets.h"
#include "platform/InPlaceRecovery.h"
#include "platform/OpenInTree.h"

namespace fendrel {

class TChoseDirectoryForm;
class TFileListTarget;
class TQtWindowThreadDispatcher;
class TScanDirThread;

// The status line for a scan that is running or finished with `count` entries listed; a finished
// one adds how many folders it could not read, when any.
QString FileSearchStatusText(bool finished, int count, int language, std::size_t unreadable = 0);

class TFileSelection : public QObject {
  Q_OBJECT

 public:
  // Takes over the behaviour of `widgets` (created by CreateFileSelectionWidgets or the
  // window's own). `chooser` is the program's directory chooser; null disables the browse
  // button's dialog. The timer stays off until StartTimer, at the end of the window's creation.
  TFileSelection(const TFileSelectionWidgets& widgets, TChoseDirectoryForm* chooser,
                 QObject* parent = nullptr);
  // Stops a running scan and waits for it, still serving its hand-overs.
  ~TFileSelection() override;

  const TFileSelectionWidgets& Widgets() const { return FWidgets; }
  QTimer* CheckFileSearchTimer() { return &FCheckFileSearchTimer; }
  void StartTimer() { FCheckFileSearchTimer.start(); }

  // The one way to start or restart a scan: the old scan is abandoned, the list emptied, and a
  // new scan started unless the path or mask is empty.
  void StartFileSearch();
  void CheckFileSearchTimerTimer();
  void SelectAllNoneCheckBoxClick();
  void FileCheckListBoxClick();
  void FileCheckListBoxDblClick();
  void SelectDirSpeedButtonClick();

  // The current scan is over (true when none runs).
  bool ScanFinished() const;
  int FileCount() const;
  int CountCheckedFiles() const;
  // The ticked entries' paths, exactly as the scan delivered them, in list order.
  std::vector<std::string> CheckedFiles() const;
  // Unticks every entry, last to first, once a run has been queued.
  void UncheckAllFiles();
  // The folder the listed files were found in, in the full form their paths begin with, and
  // whether that scan followed links: a run of those files keeps to the same folder. Taken when
  // the scan started, as the current directory a relative path depends on may change since.
  const TLinkRule& LinkRule() const { return FLinkRule; }

  // The path and mask as typed, as bytes; nullopt when the text has no byte form.
  std::optional<std::string> PathText() const;
  std::optional<std::string> MaskText() const;
  // The exclusion box's text as bytes; nullopt when it has no byte form.
  std::optional<std::string> ExcludeText() const;
  bool PathEmpty() const;
  bool MaskEmpty() const;

  // The captions and the status line in `language` (0 German, 1 English, -1 the language file's
  // texts where it holds them and English elsewhere); the status line changes at the next tick.
  void SetCurrentLanguage(int language);
  int CurrentLanguage() const { return FLanguage; }
  int LastFileCount() const { return FLastFileCount; }

 signals:
  // The selection or the scan state changed: the window re-evaluates its workflow state.
  void WorkflowStateChanged();
  // The chooser is about to open: the window clears the guiding lines on the screen.
  void ChooserOpening();
  // Every timer tick, for what the window refreshes at the same pace (the backup list's delete
  // button).
  void FileSearchTimerTicked();
  // A scan is over and found interrupted rewrites in place in the folders it walked: what it
  // did about them, once per scan, never empty.
  void RecoveriesFound(const std::vector<fendrel::TRecovery>& recoveries);

 private:
  // Asks the current scan to stop and waits for its thread to end, serving its hand-overs.
  void StopScan();
  void SetTicks(Qt::CheckState state);

  TFileSelectionWidgets FWidgets;
  TChoseDirectoryForm* FChooser;
  std::unique_ptr<TQtWindowThreadDispatcher> FOwnDispatcher;  // only when none was installed
  QTimer FCheckFileSearchTimer;
  std::unique_ptr<TFileListTarget> FTarget;  // the current scan's; outlives it
  std::unique_ptr<TScanDirThread> FScanThread;
  // -1 after each new search, so its completion is reported even when it lists as many files
  // as the search before it.
  int FLastFileCount = 0;
  TLinkRule FLinkRule;
  bool FRecoveriesTaken = true;  // the current scan's recoveries were looked at
  // The exclusion box holds what can never match a name: no scan runs, the status says why.
  bool FExcludeRefused = false;
  int FLanguage = 1;
  bool FSettingTicks = false;  // the select-all box is ticking entries
};

}  // namespace fendrel

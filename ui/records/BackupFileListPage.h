// The backup page of the main window: the backup list with its ticks, the three-state
// "select all/none" box and the restore and delete buttons, over a TBackupRegistry that it keeps
// in step; and the runs of the run journal that can still be undone, newest first, with the
// button that undoes the chosen one whole.
// The main window adds it as the page BackupFileTabSheet, shows or hides it (Ctrl+B), feeds it
// the worker's backup reports and loads and saves it at creation and at every close request.
#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "records/BackupRegistry.h"
#include "records/RunJournal.h"

class QCheckBox;
class QComboBox;
class QListView;
class QPushButton;

namespace fendrel {

class TBackupListModel;

class TBackupFileListPage : public QWidget {
  Q_OBJECT

 public:
  explicit TBackupFileListPage(QWidget* parent = nullptr);

  // A stBackupFile report: appended unticked.
  void Record(const std::string& path);
  // Creation: the registry's entries that still exist (see TBackupRegistry::Load), then the
  // backups of the run journal in `dataDirectory` that still exist and are not listed yet (the
  // command line's), and the runs that can be undone. Runs nothing is left of leave the journal.
  bool Load(const std::string& dataDirectory);
  // A run is queued under the window's mark `run`: its backups go to the journal as one run,
  // which begins with the first of them. See TRunRecorder.
  void BeginRun(uint64_t run, std::string folder, std::string text);
  void RunBackupMade(uint64_t run, const std::string& file, const std::string& backup);
  // Every close request. See TBackupRegistry::Save.
  bool Save(const std::string& dataDirectory) const;

  // 0 German, 1 English, -1 the language file's texts where it holds them and English elsewhere
  // (the catalogue's texts); any other value changes nothing.
  void SetCurrentLanguage(int32_t language);

  // The file-search timer's refresh: the buttons are enabled exactly when an entry is ticked.
  // Ticks themselves refresh them at once too, so they never wait for a timer that is off.
  void RefreshDeleteButton();

  // Asked before ticked backups are deleted or restored, with the text to show; true goes on. A
  // message box unless replaced (tests answer themselves).
  using TQuestion = std::function<bool(const QString& text)>;
  void SetQuestion(TQuestion question) { FQuestion = std::move(question); }
  // Told what a restore came to (the main window's status line).
  using TReport = std::function<void(const QString& text)>;
  void SetReport(TReport report) { FReport = std::move(report); }
  // The questions for `count` backups in the catalogue's texts of `language`.
  static QString DeleteQuestionText(std::size_t count, int32_t language);
  static QString RestoreQuestionText(std::size_t count, int32_t language);
  static QString RestoreRunQuestionText(const TRunEntry& run, std::size_t files, int32_t language);
  // The run list's line for `run` with `files` files left to undo.
  static QString RunText(const TRunEntry& run, std::size_t files, int32_t language);

  const TBackupRegistry& Registry() const { return FRegistry; }
  QCheckBox* SelectAllNoneCheckBox() const { return FSelectAllNone; }
  QPushButton* DeleteButton() const { return FDeleteButton; }
  QPushButton* RestoreButton() const { return FRestoreButton; }
  QComboBox* RunComboBox() const { return FRunComboBox; }
  QPushButton* RestoreRunButton() const { return FRestoreRunButton; }
  QListView* ListBox() const { return FListBox; }
  TBackupListModel* Model() const { return FModel; }

 public slots:
  void SelectAllNone2CheckBoxClick(int state);
  void DeleteBackupfilesButtonClick();
  // Puts each ticked backup's content back under the name of the file it was made of, through
  // the same safe rewrite as a run: the content replaced becomes a new backup in the list.
  void RestoreBackupfilesButtonClick();
  // Puts every file of the chosen run back as it was before the run, after asking; the undoing
  // is a run of its own, first in the list.
  void RestoreRunButtonClick();
  // Reads the journal again: the runs that can be undone, newest first.
  void RefreshRuns();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void RebuildList();
  bool Confirmed(const QString& question);
  // Restores each (file, backup) as one restore run below `folder`, lists the new backups and
  // tells what came of it.
  void RestoreAll(const std::vector<TRunBackup>& backups, const std::string& folder,
                  const std::string& text);

  TBackupRegistry FRegistry;
  QCheckBox* FSelectAllNone;
  QPushButton* FDeleteButton;
  QPushButton* FRestoreButton;
  QComboBox* FRunComboBox;
  QPushButton* FRestoreRunButton;
  QListView* FListBox;
  TBackupListModel* FModel;
  TQuestion FQuestion;
  TReport FReport;
  int32_t FLanguage = 1;
  std::unique_ptr<TRunJournal> FJournal;   // from Load on
  std::map<uint64_t, TRunRecorder> FRuns;  // by the window's mark
  std::vector<TRunEntry> FUndoable;        // as the run list shows them
  // A run's backups arrive one by one: the list of runs follows once they pause (restarted by
  // each backup).
  QTimer FRunsRefresh;
};

}  // namespace fendrel

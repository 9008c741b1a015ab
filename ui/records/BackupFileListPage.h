// The backup page of the main window: the backup list with its ticks, the three-state
// "select all/none" box and the restore and delete buttons, over a TBackupRegistry that it keeps
// in step.
// The main window adds it as the page BackupFileTabSheet, shows or hides it (Ctrl+B), feeds it
// the worker's backup reports and loads and saves it at creation and at every close request.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "records/BackupRegistry.h"

class QCheckBox;
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
  // Creation: the registry's entries that still exist. See TBackupRegistry::Load.
  bool Load(const std::string& dataDirectory);
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

  const TBackupRegistry& Registry() const { return FRegistry; }
  QCheckBox* SelectAllNoneCheckBox() const { return FSelectAllNone; }
  QPushButton* DeleteButton() const { return FDeleteButton; }
  QPushButton* RestoreButton() const { return FRestoreButton; }
  QListView* ListBox() const { return FListBox; }
  TBackupListModel* Model() const { return FModel; }

 public slots:
  void SelectAllNone2CheckBoxClick(int state);
  void DeleteBackupfilesButtonClick();
  // Puts each ticked backup's content back under the name of the file it was made of, through
  // the same safe rewrite as a run: the content replaced becomes a new backup in the list.
  void RestoreBackupfilesButtonClick();

 private:
  void RebuildList();
  bool Confirmed(const QString& question);

  TBackupRegistry FRegistry;
  QCheckBox* FSelectAllNone;
  QPushButton* FDeleteButton;
  QPushButton* FRestoreButton;
  QListView* FListBox;
  TBackupListModel* FModel;
  TQuestion FQuestion;
  TReport FReport;
  int32_t FLanguage = 1;
};

}  // namespace fendrel

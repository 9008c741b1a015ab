// The backup page of the main window: the backup list with its ticks, the three-state
// "select all/none" box and the delete button, over a TBackupRegistry that it keeps in step.
// The main window adds it as the page BackupFileTabSheet, shows or hides it (Ctrl+B), feeds it
// the worker's backup reports and loads and saves it at creation and at every close request.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "BackupRegistry.h"

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

  // 0 German; 1 and -1 (language file) English; any other value changes nothing.
  void SetCurrentLanguage(int32_t language);

  // The file-search timer's refresh: enabled exactly when an entry is ticked. Ticks themselves
  // refresh it at once too, so it never waits for a timer that is off.
  void RefreshDeleteButton();

  // Asked before ticked backups are deleted, with the text to show; true deletes. A message box
  // unless replaced (tests answer themselves).
  using TDeleteQuestion = std::function<bool(const QString& text)>;
  void SetDeleteQuestion(TDeleteQuestion question) { FDeleteQuestion = std::move(question); }
  // The question for `count` backups in `language` (0 German, anything else English).
  static QString DeleteQuestionText(std::size_t count, int32_t language);

  const TBackupRegistry& Registry() const { return FRegistry; }
  QCheckBox* SelectAllNoneCheckBox() const { return FSelectAllNone; }
  QPushButton* DeleteButton() const { return FDeleteButton; }
  QListView* ListBox() const { return FListBox; }
  TBackupListModel* Model() const { return FModel; }

 public slots:
  void SelectAllNone2CheckBoxClick(int state);
  void DeleteBackupfilesButtonClick();

 private:
  void RebuildList();

  TBackupRegistry FRegistry;
  QCheckBox* FSelectAllNone;
  QPushButton* FDeleteButton;
  QListView* FListBox;
  TBackupListModel* FModel;
  TDeleteQuestion FDeleteQuestion;
  int32_t FLanguage = 1;
};

}  // namespace fendrel

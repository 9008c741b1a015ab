#include "BackupFileListPage.h"

#include "BackupListModel.h"
#include "engine/RestoreBackup.h"
#include "records/RestoreRun.h"
#include "ui/editors/UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <set>

namespace fendrel {

TBackupFileListPage::TBackupFileListPage(QWidget* parent)
    : QWidget(parent),
      FSelectAllNone(new QCheckBox(this)),
      FDeleteButton(new QPushButton(this)),
      FRestoreButton(new QPushButton(this)),
      FRunComboBox(new QComboBox(this)),
      FRestoreRunButton(new QPushButton(this)),
      FListBox(new QListView(this)),
      FModel(new TBackupListModel(FRegistry, this)) {
  setObjectName("BackupFileTabSheet");
  FSelectAllNone->setObjectName("SelectAllNone2CheckBox");
  FDeleteButton->setObjectName("DeleteBackupfilesButton");
  FRestoreButton->setObjectName("RestoreBackupfilesButton");
  FListBox->setObjectName("BackupFileCheckListBox");
  FRunComboBox->setObjectName("RunComboBox");
  FRestoreRunButton->setObjectName("RestoreRunButton");

  // Mixed first: the first click ticks everything, the next unticks, the next does nothing.
  FSelectAllNone->setTristate(true);
  FSelectAllNone->setCheckState(Qt::PartiallyChecked);
  FDeleteButton->setEnabled(false);
  FRestoreButton->setEnabled(false);
  FRestoreRunButton->setEnabled(false);
  // A run's line is long: the list shows it whole, the box what fits.
  FRunComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  FRunComboBox->setMinimumContentsLength(20);
  FListBox->setModel(FModel);
  FListBox->setUniformItemSizes(true);
  FListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FListBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  FListBox->setSelectionMode(QAbstractItemView::SingleSelection);

  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 1, 0);
  top->addWidget(FSelectAllNone);
  top->addStretch(1);
  top->addWidget(FRestoreButton);
  top->addWidget(FDeleteButton);
  auto* runs = new QHBoxLayout;
  runs->setContentsMargins(0, 0, 1, 0);
  runs->addWidget(FRunComboBox, 1);
  runs->addWidget(FRestoreRunButton);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 2);
  page->setSpacing(5);
  page->addLayout(runs);
  page->addLayout(top);
  page->addWidget(FListBox, 1);

  connect(FSelectAllNone, &QCheckBox::stateChanged, this,
          &TBackupFileListPage::SelectAllNone2CheckBoxClick);
  connect(FDeleteButton, &QPushButton::clicked, this,
          &TBackupFileListPage::DeleteBackupfilesButtonClick);
  connect(FRestoreButton, &QPushButton::clicked, this,
          &TBackupFileListPage::RestoreBackupfilesButtonClick);
  connect(FRestoreRunButton, &QPushButton::clicked, this,
          &TBackupFileListPage::RestoreRunButtonClick);
  connect(FModel, &TBackupListModel::TickChanged, this, &TBackupFileListPage::RefreshDeleteButton);
  FRunsRefresh.setSingleShot(true);
  FRunsRefresh.setInterval(300);
  connect(&FRunsRefresh, &QTimer::timeout, this, &TBackupFileListPage::RefreshRuns);
  SetCurrentLanguage(1);
}

void TBackupFileListPage::Record(const std::string& path) {
  FRegistry.Record(path);
  FModel->Appended();
}

bool TBackupFileListPage::Load(const std::string& dataDirectory) {
  const bool read = FRegistry.Load(dataDirectory);
  FJournal = std::make_unique<TRunJournal>(dataDirectory);
  DropSpentRuns(dataDirectory);
  // Backups the command line made belong in the list too, once each.
  std::set<std::string> listed;
  for (const TBackupEntry& entry : FRegistry.Entries())
    listed.insert(entry.Path);
  for (const TRunEntry& run : ReadRunJournal(dataDirectory))
    for (const TRunBackup& backup : run.Backups)
      if (BackupExists(backup.Backup) && listed.insert(backup.Backup).second)
        FRegistry.Record(backup.Backup);
  RebuildList();
  RefreshRuns();
  return read;
}

void TBackupFileListPage::BeginRun(uint64_t run, std::string folder, std::string text) {
  FRuns.try_emplace(run, FJournal.get(), kRunReplace, std::move(folder), std::move(text));
}

void TBackupFileListPage::RunBackupMade(uint64_t run, const std::string& file,
                                        const std::string& backup) {
  const auto found = FRuns.find(run);
  if (found == FRuns.end()) return;
  TRunRecorder& recorder = found->second;
  const bool recorded = recorder.Error().empty();
  recorder.Backup(file, backup);
  if (recorded && !recorder.Error().empty() && FReport)
    FReport(UiText(TTextId::RunNotRecorded, FLanguage,
                   {QString::fromLocal8Bit(recorder.Error().c_str())}));
  // Reading the journal costs as much as it holds: the list follows once the run pauses, not
  // every few hundred files of a long one.
  if (isVisible()) FRunsRefresh.start();
}

bool TBackupFileListPage::Save(const std::string& dataDirectory) const {
  return FRegistry.Save(dataDirectory);
}

void TBackupFileListPage::SetCurrentLanguage(int32_t language) {
  if (language != 0 && language != 1 && language != -1) return;
  FLanguage = language;
  FSelectAllNone->setText(UiText(TTextId::SelectAllNoneBox, language));
  FDeleteButton->setText(UiText(TTextId::DeleteBackupsButton, language));
  FRestoreButton->setText(UiText(TTextId::RestoreBackupsButton, language));
  FRestoreRunButton->setText(UiText(TTextId::RestoreRunButton, language));
  RefreshRuns();
}

void TBackupFileListPage::RefreshDeleteButton() {
  FDeleteButton->setEnabled(FRegistry.AnyTicked());
  FRestoreButton->setEnabled(FRegistry.AnyTicked());
}

void TBackupFileListPage::SelectAllNone2CheckBoxClick(int state) {
  if (state == Qt::PartiallyChecked) return;
  FRegistry.SetAllTicked(state == Qt::Checked);
  FModel->Reset();
  RefreshDeleteButton();
}

QString TBackupFileListPage::DeleteQuestionText(std::size_t count, int32_t language) {
  return UiText(TTextId::DeleteBackupsQuestion, language, {QString::number(count)});
}

QString TBackupFileListPage::RestoreQuestionText(std::size_t count, int32_t language) {
  return UiText(TTextId::RestoreBackupsQuestion, language, {QString::number(count)});
}

QString TBackupFileListPage::RestoreRunQuestionText(const TRunEntry& run, std::size_t files,
                                                    int32_t language) {
  return UiText(TTextId::RestoreRunQuestion, language,
                {QString::number(files), QString::number(run.Number)});
}

QString TBackupFileListPage::RunText(const TRunEntry& run, std::size_t files, int32_t language) {
  QString what = QString::fromLocal8Bit(run.Text.c_str());
  if (run.Kind == kRunRestore) what = UiText(TTextId::RestoreRunEntry, language, {what});
  return UiText(TTextId::RunListEntry, language,
                {QString::number(run.Number), QString::fromStdString(RunTimeText(run)),
                 QString::number(files), QString::fromLocal8Bit(run.Folder.c_str()), what});
}

bool TBackupFileListPage::Confirmed(const QString& question) {
  return FQuestion ? FQuestion(question)
                   : QMessageBox::question(this, window()->windowTitle(), question,
                                           QMessageBox::Yes | QMessageBox::No,
                                           QMessageBox::No) == QMessageBox::Yes;
}

void TBackupFileListPage::DeleteBackupfilesButtonClick() {
  const std::size_t count = FRegistry.TickedCount();
  // A backup may be the only copy of what a file held before a run: deleting asks first.
  if (count == 0 || !Confirmed(DeleteQuestionText(count, FLanguage))) return;
  FRegistry.DeleteTicked();
  RebuildList();
}

void TBackupFileListPage::RestoreBackupfilesButtonClick() {
  const std::size_t count = FRegistry.TickedCount();
  if (count == 0 || !Confirmed(RestoreQuestionText(count, FLanguage))) return;
  std::vector<TRunBackup> ticked;
  for (const TBackupEntry& entry : FRegistry.Entries())
    if (entry.Ticked) ticked.push_back({BackupOriginal(entry.Path), entry.Path});
  FRegistry.SetAllTicked(false);
  {
    const QSignalBlocker quiet(FSelectAllNone);
    FSelectAllNone->setCheckState(Qt::Unchecked);
  }
  RestoreAll(ticked, {}, std::to_string(count) + " backups");
}

void TBackupFileListPage::RestoreRunButtonClick() {
  const int index = FRunComboBox->currentIndex();
  if (index < 0 || static_cast<std::size_t>(index) >= FUndoable.size()) return;
  const TRunEntry run = FUndoable[static_cast<std::size_t>(index)];
  const std::vector<TRunBackup> files = run.FirstBackups();
  if (!Confirmed(RestoreRunQuestionText(run, files.size(), FLanguage))) return;
  RestoreAll(files, run.Folder, "run " + std::to_string(run.Number));
}

void TBackupFileListPage::RestoreAll(const std::vector<TRunBackup>& backups,
                                     const std::string& folder, const std::string& text) {
  TRestoreRun restore(FJournal.get(), folder, text, false);
  std::size_t restored = 0;
  std::vector<std::string> failures;
  for (const TRunBackup& backup : backups) {
    const TRewriteOutcome outcome = BackupExists(backup.Backup)
                                        ? restore.Restore(backup.File, backup.Backup)
                                        : TRewriteOutcome{-1, "no backup to restore", ""};
    if (outcome.Result < 0) {
      failures.push_back(backup.Backup + ": " + outcome.Reason);
      continue;
    }
    ++restored;
    if (!outcome.BackupName.empty()) FRegistry.Record(outcome.BackupName);
  }
  if (FJournal) FJournal->Flush();
  RebuildList();
  RefreshRuns();
  if (!FReport) return;
  QString report = failures.empty()
                       ? UiText(TTextId::BackupsRestored, FLanguage, {QString::number(restored)})
                       : UiText(TTextId::BackupsPartlyRestored, FLanguage,
                                {QString::number(restored), QString::number(failures.size()),
                                 QString::fromStdString(failures.front())});
  if (!restore.JournalError().empty())
    report += " " + QString::fromLocal8Bit(restore.JournalError().c_str());
  FReport(report);
}

void TBackupFileListPage::RefreshRuns() {
  FRunsRefresh.stop();
  const int current = FRunComboBox->currentIndex();
  const uint64_t chosen = current > 0 ? FUndoable[static_cast<std::size_t>(current)].Number : 0;
  const uint64_t newest = FUndoable.empty() ? 0 : FUndoable.front().Number;
  FUndoable.clear();
  QStringList lines;
  if (FJournal) {
    std::vector<TRunEntry> runs = ReadRunJournal(FJournal->DataDirectory());
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
      std::size_t files = 0;
      for (const TRunBackup& backup : run->FirstBackups())
        files += BackupExists(backup.Backup);
      if (files == 0) continue;
      lines << RunText(*run, files, FLanguage);
      FUndoable.push_back(std::move(*run));
    }
  }
  const QSignalBlocker quiet(FRunComboBox);
  FRunComboBox->clear();
  FRunComboBox->addItems(lines);
  // The newest run is the one to undo, unless another was chosen and no run came since.
  int index = 0;
  for (std::size_t i = 0; i < FUndoable.size(); ++i)
    if (FUndoable[i].Number == chosen && FUndoable.front().Number == newest)
      index = static_cast<int>(i);
  FRunComboBox->setCurrentIndex(FUndoable.empty() ? -1 : index);
  FRestoreRunButton->setEnabled(!FUndoable.empty());
}

void TBackupFileListPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  RefreshRuns();
}

void TBackupFileListPage::RebuildList() {
  FModel->Reset();
  RefreshDeleteButton();
}

}  // namespace fendrel

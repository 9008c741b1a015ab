#include "BackupFileListPage.h"

#include "BackupListModel.h"
#include "engine/RestoreBackup.h"
#include "ui/editors/UiText.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace fendrel {

TBackupFileListPage::TBackupFileListPage(QWidget* parent)
    : QWidget(parent),
      FSelectAllNone(new QCheckBox(this)),
      FDeleteButton(new QPushButton(this)),
      FRestoreButton(new QPushButton(this)),
      FListBox(new QListView(this)),
      FModel(new TBackupListModel(FRegistry, this)) {
  setObjectName("BackupFileTabSheet");
  FSelectAllNone->setObjectName("SelectAllNone2CheckBox");
  FDeleteButton->setObjectName("DeleteBackupfilesButton");
  FRestoreButton->setObjectName("RestoreBackupfilesButton");
  FListBox->setObjectName("BackupFileCheckListBox");

  // Mixed first: the first click ticks everything, the next unticks, the next does nothing.
  FSelectAllNone->setTristate(true);
  FSelectAllNone->setCheckState(Qt::PartiallyChecked);
  FDeleteButton->setEnabled(false);
  FRestoreButton->setEnabled(false);
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
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 2);
  page->setSpacing(5);
  page->addLayout(top);
  page->addWidget(FListBox, 1);

  connect(FSelectAllNone, &QCheckBox::stateChanged, this,
          &TBackupFileListPage::SelectAllNone2CheckBoxClick);
  connect(FDeleteButton, &QPushButton::clicked, this,
          &TBackupFileListPage::DeleteBackupfilesButtonClick);
  connect(FRestoreButton, &QPushButton::clicked, this,
          &TBackupFileListPage::RestoreBackupfilesButtonClick);
  connect(FModel, &TBackupListModel::TickChanged, this, &TBackupFileListPage::RefreshDeleteButton);
  SetCurrentLanguage(1);
}

void TBackupFileListPage::Record(const std::string& path) {
  FRegistry.Record(path);
  FModel->Appended();
}

bool TBackupFileListPage::Load(const std::string& dataDirectory) {
  const bool read = FRegistry.Load(dataDirectory);
  RebuildList();
  return read;
}

bool TBackupFileListPage::Save(const std::string& dataDirectory) const {
  return FRegistry.Save(dataDirectory);
}

void TBackupFileListPage::SetCurrentLanguage(int32_t language) {
  if (language == 0 || language == 1 || language == -1) FLanguage = language;
  if (language != 0 && language != 1 && language != -1) return;
  FSelectAllNone->setText(UiText(TTextId::SelectAllNoneBox, language));
  FDeleteButton->setText(UiText(TTextId::DeleteBackupsButton, language));
  FRestoreButton->setText(UiText(TTextId::RestoreBackupsButton, language));
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
  std::vector<std::string> ticked;
  for (const TBackupEntry& entry : FRegistry.Entries())
    if (entry.Ticked) ticked.push_back(entry.Path);
  std::size_t restored = 0;
  std::vector<std::string> failures;
  for (const std::string& backup : ticked) {
    const TRewriteOutcome outcome = RestoreBackup(backup, BackupOriginal(backup));
    if (outcome.Result < 0) {
      failures.push_back(backup + ": " + outcome.Reason);
      continue;
    }
    ++restored;
    if (!outcome.BackupName.empty()) FRegistry.Record(outcome.BackupName);
  }
  FRegistry.SetAllTicked(false);
  {
    const QSignalBlocker quiet(FSelectAllNone);
    FSelectAllNone->setCheckState(Qt::Unchecked);
  }
  RebuildList();
  if (!FReport) return;
  if (failures.empty()) {
    FReport(UiText(TTextId::BackupsRestored, FLanguage, {QString::number(restored)}));
    return;
  }
  FReport(UiText(TTextId::BackupsPartlyRestored, FLanguage,
                 {QString::number(restored), QString::number(failures.size()),
                  QString::fromStdString(failures.front())}));
}

void TBackupFileListPage::RebuildList() {
  FModel->Reset();
  RefreshDeleteButton();
}

}  // namespace fendrel

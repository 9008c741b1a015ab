#include "BackupFileListPage.h"

#include "BackupListModel.h"

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
      FListBox(new QListView(this)),
      FModel(new TBackupListModel(FRegistry, this)) {
  setObjectName("BackupFileTabSheet");
  FSelectAllNone->setObjectName("SelectAllNone2CheckBox");
  FDeleteButton->setObjectName("DeleteBackupfilesButton");
  FListBox->setObjectName("BackupFileCheckListBox");

  // Mixed first: the first click ticks everything, the next unticks, the next does nothing.
  FSelectAllNone->setTristate(true);
  FSelectAllNone->setCheckState(Qt::PartiallyChecked);
  FDeleteButton->setEnabled(false);
  FListBox->setModel(FModel);
  FListBox->setUniformItemSizes(true);
  FListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FListBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  FListBox->setSelectionMode(QAbstractItemView::SingleSelection);

  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 1, 0);
  top->addWidget(FSelectAllNone);
  top->addStretch(1);
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
  if (language == 0) {
    FSelectAllNone->setText(QString::fromUtf8("alle/keine auswählen"));
    FDeleteButton->setText(QString::fromUtf8("Ausgewählte Backup-Dateien löschen"));
  } else if (language == 1 || language == -1) {
    FSelectAllNone->setText("select all/none");
    FDeleteButton->setText("Delete Selected Backup Files");
  }
}

void TBackupFileListPage::RefreshDeleteButton() {
  FDeleteButton->setEnabled(FRegistry.AnyTicked());
}

void TBackupFileListPage::SelectAllNone2CheckBoxClick(int state) {
  if (state == Qt::PartiallyChecked) return;
  FRegistry.SetAllTicked(state == Qt::Checked);
  FModel->Reset();
  RefreshDeleteButton();
}

QString TBackupFileListPage::DeleteQuestionText(std::size_t count, int32_t language) {
  const QString n = QString::number(count);
  if (language == 0)
    return QString::fromUtf8(
               "%1 Backup-Datei(en) endgültig löschen? Sie sind womöglich die "
               "einzigen Kopien der früheren Inhalte Ihrer Dateien.")
        .arg(n);
  return QString::fromUtf8(
             "Delete %1 backup file(s) for good? They may be the only copies of "
             "the earlier contents of your files.")
      .arg(n);
}

void TBackupFileListPage::DeleteBackupfilesButtonClick() {
  const std::size_t count = FRegistry.TickedCount();
  if (count == 0) return;
  // A backup may be the only copy of what a file held before a run: deleting asks first.
  const QString text = DeleteQuestionText(count, FLanguage);
  const bool confirmed = FDeleteQuestion
                             ? FDeleteQuestion(text)
                             : QMessageBox::question(this, window()->windowTitle(), text,
                                                     QMessageBox::Yes | QMessageBox::No,
                                                     QMessageBox::No) == QMessageBox::Yes;
  if (!confirmed) return;
  FRegistry.DeleteTicked();
  RebuildList();
}

void TBackupFileListPage::RebuildList() {
  FModel->Reset();
  RefreshDeleteButton();
}

}  // namespace fendrel

#include "BackupFileListPage.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace fendrel {
namespace {

// Paths are bytes in the system's code page; the list only shows them, the registry keeps the
// bytes that deleting uses.
QString ShownPath(const std::string& path) {
  return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

}  // namespace

TBackupFileListPage::TBackupFileListPage(QWidget* parent)
    : QWidget(parent),
      FSelectAllNone(new QCheckBox(this)),
      FDeleteButton(new QPushButton(this)),
      FListBox(new QListWidget(this)) {
  setObjectName("BackupFileTabSheet");
  FSelectAllNone->setObjectName("SelectAllNone2CheckBox");
  FDeleteButton->setObjectName("DeleteBackupfilesButton");
  FListBox->setObjectName("BackupFileCheckListBox");

  // Mixed first: the first click ticks everything, the next unticks, the next does nothing.
  FSelectAllNone->setTristate(true);
  FSelectAllNone->setCheckState(Qt::PartiallyChecked);
  FDeleteButton->setEnabled(false);
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
  connect(FListBox, &QListWidget::itemChanged, this,
          &TBackupFileListPage::BackupFileCheckListBoxItemChanged);
  SetCurrentLanguage(1);
}

void TBackupFileListPage::Record(const std::string& path) {
  FRegistry.Record(path);
  AddItem(FRegistry.Entries().back());
  RefreshDeleteButton();
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
  FSyncing = true;
  for (int row = 0; row < FListBox->count(); ++row)
    FListBox->item(row)->setCheckState(state == Qt::Checked ? Qt::Checked : Qt::Unchecked);
  FSyncing = false;
  RefreshDeleteButton();
}

void TBackupFileListPage::DeleteBackupfilesButtonClick() {
  FRegistry.DeleteTicked();
  RebuildList();
}

void TBackupFileListPage::BackupFileCheckListBoxItemChanged(QListWidgetItem* item) {
  if (FSyncing) return;
  FRegistry.SetTicked(static_cast<std::size_t>(FListBox->row(item)),
                      item->checkState() == Qt::Checked);
  RefreshDeleteButton();
}

void TBackupFileListPage::AddItem(const TBackupEntry& entry) {
  FSyncing = true;
  auto* item = new QListWidgetItem(ShownPath(entry.Path));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(entry.Ticked ? Qt::Checked : Qt::Unchecked);
  FListBox->addItem(item);
  FSyncing = false;
}

void TBackupFileListPage::RebuildList() {
  FSyncing = true;
  FListBox->clear();
  FSyncing = false;
  for (const TBackupEntry& entry : FRegistry.Entries())
    AddItem(entry);
  RefreshDeleteButton();
}

}  // namespace fendrel

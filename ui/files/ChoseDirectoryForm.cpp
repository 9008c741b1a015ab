#include "ChoseDirectoryForm.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace fendrel {
namespace {

constexpr int kRootRole = Qt::UserRole;

bool Holds(const QString& root, const QString& directory) {
  if (root == QLatin1String("/")) return directory.startsWith(root);
  return directory == root || directory.startsWith(root + QLatin1Char('/'));
}

}  // namespace

TChoseDirectoryForm::TChoseDirectoryForm(QWidget* parent)
    : QDialog(parent),
      FDirectoryListBox(new QTreeView(this)),
      FModel(new QFileSystemModel(this)),
      FDriveComboBox(new QComboBox(this)),
      FOkButton(new QPushButton(this)),
      FCancelButton(new QPushButton(this)) {
  setObjectName(QStringLiteral("ChoseDirectoryForm"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  FDirectoryListBox->setObjectName(QStringLiteral("DirectoryListBox"));
  FDriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
  FOkButton->setObjectName(QStringLiteral("OkButton"));
  FCancelButton->setObjectName(QStringLiteral("CancelButton"));

  FModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
  FModel->setRootPath(QStringLiteral("/"));
  FDirectoryListBox->setModel(FModel);
  for (int column = 1; column < FModel->columnCount(); ++column)
    FDirectoryListBox->hideColumn(column);
  FDirectoryListBox->setHeaderHidden(true);
  FillDrives();

  FOkButton->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(FOkButton);
  buttons->addWidget(FCancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FDirectoryListBox, 1);
  layout->addWidget(FDriveComboBox);
  layout->addLayout(buttons);
  // A small tool window, as the chooser has always been; the user may make it larger.
  setMinimumSize(231, 236);
  resize(231, 236);

  connect(FOkButton, &QPushButton::clicked, this, &TChoseDirectoryForm::OkButtonClick);
  connect(FCancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(FDirectoryListBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { DirectoryChanged(current); });
  connect(FDriveComboBox, &QComboBox::activated, this, &TChoseDirectoryForm::DriveChanged);

  SetDirectory(QDir::currentPath());
}

QString TChoseDirectoryForm::Execute(const QString& current) {
  setWindowTitle(QStringLiteral("Chose Directory"));
  FOkButton->setText(QStringLiteral("&OK"));
  FCancelButton->setText(QStringLiteral("&Cancel"));
  // Cleared at every opening: a chooser closed by its frame must not hand back the choice of
  // an earlier opening as if it had been confirmed again.
  FResult.clear();
  FillDrives();
  // The path box's folder, not the current directory: that is where the user searches now, and
  // the current directory is only where the program was started or browsing last stopped.
  const bool onCurrent = !current.isEmpty() && QFileInfo(current).isDir();
  SetDirectory(onCurrent ? current : FDirectory);
  exec();
  return FResult;
}

void TChoseDirectoryForm::SetDirectory(const QString& directory) {
  const QString path = QDir(directory).absolutePath();
  const int drive = DriveOf(path);
  if (drive >= 0) {
    const QSignalBlocker blocker(FDriveComboBox);
    FDriveComboBox->setCurrentIndex(drive);
    FDirectoryListBox->setRootIndex(
        FModel->index(FDriveComboBox->itemData(drive, kRootRole).toString()));
  }
  const QModelIndex index = FModel->index(path);
  if (index.isValid()) {
    FDirectoryListBox->setCurrentIndex(index);
    FDirectoryListBox->scrollTo(index);
  }
  DirectoryChanged(index);
}

void TChoseDirectoryForm::OkButtonClick() {
  FResult = FDirectory;
  accept();
}

void TChoseDirectoryForm::DirectoryChanged(const QModelIndex& current) {
  if (!current.isValid()) return;
  FDirectory = FModel->filePath(current);
  QDir::setCurrent(FDirectory);
}

void TChoseDirectoryForm::DriveChanged(int index) {
  SetDirectory(FDriveComboBox->itemData(index, kRootRole).toString());
}

void TChoseDirectoryForm::FillDrives() {
  const QSignalBlocker blocker(FDriveComboBox);
  FDriveComboBox->clear();
  const QString home = QDir::homePath();
  FDriveComboBox->addItem(home, home);
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = volume.rootPath();
    const QString name = volume.displayName();
    FDriveComboBox->addItem(name == root ? root : root + QStringLiteral("  [") + name + ']', root);
  }
}

int TChoseDirectoryForm::DriveOf(const QString& directory) const {
  int best = -1;
  qsizetype bestLength = -1;
  for (int i = 0; i < FDriveComboBox->count(); ++i) {
    const QString root = FDriveComboBox->itemData(i, kRootRole).toString();
    if (Holds(root, directory) && root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  return best;
}

}  // namespace fendrel

// The directory chooser of the browse button: a tree of directories (directories only) above a
// selector of the mounted file systems and the home folder, with "&OK" and "&Cancel". It is
// kept for the program's life and opens on the folder the path box names, or where it was left
// when the box names none; the directory it shows is also the process's current directory,
// against which a relative path typed into the path box resolves.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace fendrel {

class TChoseDirectoryForm : public QDialog {
  Q_OBJECT

 public:
  explicit TChoseDirectoryForm(QWidget* parent = nullptr);

  // Opens modally and returns the chosen directory; empty when the chooser was cancelled or
  // closed any other way (Escape, the window frame), so only "&OK" ever confirms. It opens on
  // `current`, the folder the path box holds (relative to the current directory), with that
  // folder selected, so that "&OK" without a change keeps it; where `current` is empty or no
  // folder, it opens where it was left.
  QString Execute(const QString& current = QString());

  // The directory the tree shows.
  QString Directory() const { return FDirectory; }
  void SetDirectory(const QString& directory);
  // What the last opening chose (empty unless confirmed with "&OK").
  QString Result() const { return FResult; }

  QPushButton* OkButton() const { return FOkButton; }
  QPushButton* CancelButton() const { return FCancelButton; }

 private:
  void OkButtonClick();
  void DirectoryChanged(const QModelIndex& current);
  void DriveChanged(int index);
  void FillDrives();
  // The selector's entry whose root holds `directory` most closely.
  int DriveOf(const QString& directory) const;

  QTreeView* FDirectoryListBox;
  QFileSystemModel* FModel;
  QComboBox* FDriveComboBox;
  QPushButton* FOkButton;
  QPushButton* FCancelButton;
  QString FDirectory;
  QString FResult;
};

}  // namespace fendrel

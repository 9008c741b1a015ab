// A file selection on a shown window of its own, with helpers that type as a user would and
// wait for a scan while the event loop serves its hand-overs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "ui/files/ChoseDirectoryForm.h"
#include "ui/files/FileListEntries.h"
#include "ui/files/FileListModel.h"
#include "ui/files/FileSelection.h"
#include "ui/files/QtWindowThreadDispatcher.h"

namespace fendrel::test {

class FileSelectionTest : public ::testing::Test {
 protected:
  FileSelectionTest()
      : FWidgets(CreateFileSelectionWidgets(&FWindow)),
        FChooser(&FWindow),
        FSelection(FWidgets, &FChooser) {
    auto* column = new QVBoxLayout(&FWindow);
    for (QWidget* w : std::initializer_list<QWidget*>{
             FWidgets.PathComboBox, FWidgets.MaskComboBox, FWidgets.ExcludeComboBox,
             FWidgets.RekursivCheckBox, FWidgets.FollowLinksCheckBox,
             FWidgets.SelectAllNoneCheckBox, FWidgets.FileCheckListBox,
             FWidgets.FileSearchResultLabel})
      column->addWidget(w);
    FWindow.resize(500, 400);
    FWindow.show();
    QObject::connect(&FSelection, &TFileSelection::WorkflowStateChanged,
                     [this] { ++FWorkflowUpdates; });
  }
  // The chooser makes the directory it shows the process's current directory.
  ~FileSelectionTest() override { QDir::setCurrent(FStartDirectory); }

  // Each character is one keystroke, each restarting the scan; `replace` first selects the
  // box's whole text so the first keystroke replaces it.
  static void Type(QComboBox* box, const std::string& text, bool replace = true) {
    if (replace) box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QString::fromStdString(text));
  }
  static void Erase(QComboBox* box) {
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
  }

  // A user's click on the box's indicator (its text may end well before the box does).
  static void Click(QCheckBox* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
  }

  // Serves the hand-overs through the event loop until the scan is over.
  void WaitForScan() {
    QElapsedTimer clock;
    clock.start();
    while (!FSelection.ScanFinished() && clock.elapsed() < 20000)
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_TRUE(FSelection.ScanFinished());
  }

  void Scan(const std::string& path, const std::string& mask = "*.txt") {
    Type(FWidgets.MaskComboBox, mask);
    Type(FWidgets.PathComboBox, path);
    WaitForScan();
  }

  std::vector<std::string> Entries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < FWidgets.FileList->Count(); ++i)
      entries.push_back(FWidgets.FileList->Path(i));
    return entries;
  }

  TFileListModel& List() const { return *FWidgets.FileList; }
  QString Text(int row) const { return List().data(List().index(row)).toString(); }
  // A point on the entry's text, clear of its check indicator.
  QPoint TextPoint(int row) const {
    const QRect rect = FWidgets.FileCheckListBox->visualRect(List().index(row));
    return QPoint(rect.right() - 10, rect.center().y());
  }
  QWidget* ListViewport() const { return FWidgets.FileCheckListBox->viewport(); }

  const QString FStartDirectory = QDir::currentPath();
  QWidget FWindow;
  TFileSelectionWidgets FWidgets;
  TChoseDirectoryForm FChooser;
  TFileSelection FSelection;
  int FWorkflowUpdates = 0;
  TTempDir FDir;
};

}  // namespace fendrel::test

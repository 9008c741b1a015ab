// A whole run as a user makes it: type a path and a mask, wait for the list, tick the file,
// enter the strings, press the start button, wait for the queue to drain, and find the file
// rewritten with its backup recorded.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include "ui/files/FileListModel.h"

#include "WindowTestSupport.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/FileSelection.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/ResultListBox.h"

namespace fendrel::test {
namespace {

using TRunThroughWindow = TWindowTest;

TEST_F(TRunThroughWindow, LiteralReplacementWithBackup) {
  MakeDir(FDir / "work");
  WriteFile(FDir / "work/notes.txt", "colour and colour");
  WriteFile(FDir / "work/other.dat", "colour");
  Form().show();

  const TFileSelectionWidgets& files = Form().FileWidgets();
  QTest::keyClicks(files.PathComboBox->lineEdit(), QString::fromStdString(FDir / "work"));
  QTest::keyClicks(files.MaskComboBox->lineEdit(), "*.txt");
  TFileListModel& list = *files.FileList;
  ASSERT_TRUE(WaitFor([&] { return Form().FileSelection().ScanFinished() && list.Count() == 1; }));
  EXPECT_FALSE(Form().SnRButton()->isEnabled());

  list.SetTicked(0, true);
  QTest::keyClicks(Form().CombiEditCharHexFrameFromStr()->CharComboBox()->lineEdit(), "colour");
  QTest::keyClicks(Form().CombiEditCharHexFrameToStr()->CharComboBox()->lineEdit(), "color");
  ASSERT_TRUE(Form().SnRButton()->isEnabled());
  QTest::mouseClick(Form().SnRButton(), Qt::LeftButton);

  ASSERT_TRUE(WaitFor([&] {
    return Form().Worker().TaskList().Count() == 0 && Form().windowTitle() == "Fendrel 2.0";
  }));
  EXPECT_EQ(ReadFile(FDir / "work/notes.txt"), "color and color");
  EXPECT_EQ(ReadFile(FDir / "work/other.dat"), "colour");
  const std::string backup = FDir / "work/notes.txt.0.snr_bak";
  EXPECT_EQ(ReadFile(backup), "colour and colour");
  const auto& backups = Form().BackupFilePage()->Registry().Entries();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(backups[0].Path, backup);
  const auto& entries = Form().ResultListBox()->Model().Log().Entries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], FDir / "work/notes.txt");
  EXPECT_EQ(entries[1], "colour [636F6C6F7572] --> color [636F6C6F72] :");
  EXPECT_EQ(entries[2], "2 replacements");
  EXPECT_EQ(Form().CountCheckedFiles(), 0);
}

}  // namespace
}  // namespace fendrel::test

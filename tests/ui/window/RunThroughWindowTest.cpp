// A whole run as a user makes it: type a path and a mask, wait for the list, tick the file,
// enter the strings, press the start button, wait for the queue to drain, and find the file
// rewritten with its backup recorded.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include "ui/files/FileListModel.h"

#include "WindowTestSupport.h"
#include "records/RunJournal.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/FileSelection.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/PreviewPage.h"
#include "ui/records/ResultListBox.h"

namespace fendrel::test {
namespace {

using TRunThroughWindow = TWindowTest;

TEST_F(TRunThroughWindow, LiteralReplacementWithBackup) {
  MakeDir(FDir / "work");
  WriteFile(FDir / "work/notes.txt", "colour and colour");
  WriteFile(FDir / "work/other.dat", "colour");
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (FDir / "work/notes.txt").c_str(), old, 0), 0);
  Form().show();
  // The run keeps the file's modification time when the box is ticked.
  Form().KeepModificationTimeCheckBox()->click();

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
  struct stat notes;
  ASSERT_EQ(stat((FDir / "work/notes.txt").c_str(), &notes), 0);
  EXPECT_EQ(notes.st_mtime, 1000000000);
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
  // The run is in the journal, to be undone whole from the backup page or the command line.
  const std::vector<TRunEntry> runs = ReadRunJournal(DataDirectory());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].Folder, FDir / "work");
  EXPECT_EQ(runs[0].Text, "*.txt: colour [636F6C6F7572] --> color [636F6C6F72]");
  ASSERT_EQ(runs[0].Backups.size(), 1u);
  EXPECT_EQ(runs[0].Backups[0].File, FDir / "work/notes.txt");
  EXPECT_EQ(runs[0].Backups[0].Backup, backup);
}

// The preview shows what the start button then does: the same files, the same counts, and
// nothing written before the start; the preview's own start button runs what it shows.
TEST_F(TRunThroughWindow, PreviewCountsEqualTheRun) {
  MakeDir(FDir / "work");
  WriteFile(FDir / "work/a.txt", "one\ntwo one\none");
  WriteFile(FDir / "work/b.txt", "nothing here");
  Form().show();
  const TFileSelectionWidgets& files = Form().FileWidgets();
  QTest::keyClicks(files.PathComboBox->lineEdit(), QString::fromStdString(FDir / "work"));
  QTest::keyClicks(files.MaskComboBox->lineEdit(), "*.txt");
  TFileListModel& list = *files.FileList;
  ASSERT_TRUE(WaitFor([&] { return Form().FileSelection().ScanFinished() && list.Count() == 2; }));
  list.SetTicked(0, true);
  list.SetTicked(1, true);
  QTest::keyClicks(Form().CombiEditCharHexFrameFromStr()->CharComboBox()->lineEdit(), "one");
  QTest::keyClicks(Form().CombiEditCharHexFrameToStr()->CharComboBox()->lineEdit(), "1");
  ASSERT_TRUE(Form().PreviewButton()->isEnabled());
  QTest::mouseClick(Form().PreviewButton(), Qt::LeftButton);

  TPreviewPage& preview = *Form().PreviewPage();
  EXPECT_EQ(Form().MainPageControl()->currentWidget(), &preview);
  ASSERT_TRUE(WaitFor([&] { return !preview.Running(); }));
  EXPECT_EQ(preview.Summary()->text().toStdString(),
            "2 of 2 files searched: 3 replacements in 1 files");
  ASSERT_EQ(preview.Entries().size(), 1u);
  EXPECT_EQ(preview.Entries()[0].Path, FDir / "work/a.txt");
  EXPECT_TRUE(preview.Lines()->toPlainText().contains("+ two ☑1"));
  EXPECT_EQ(ReadFile(FDir / "work/a.txt"), "one\ntwo one\none");
  EXPECT_EQ(ListNames(FDir / "work"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(Form().CountCheckedFiles(), 2) << "a preview leaves the ticks";

  QTest::mouseClick(Form().SnRButton(), Qt::LeftButton);
  const auto& entries = Form().ResultListBox()->Model().Log().Entries();
  ASSERT_TRUE(
      WaitFor([&] { return Form().Worker().TaskList().Count() == 0 && entries.size() >= 6; }));
  const auto a = std::find(entries.begin(), entries.end(), FDir / "work/a.txt");
  ASSERT_LT(a + 2, entries.end());
  EXPECT_EQ(a[2], "3 replacements");
  EXPECT_EQ(ReadFile(FDir / "work/a.txt"), "1\ntwo 1\n1");

  // The preview's own start button runs what the preview shows: a preview of other strings is
  // made again first, and nothing runs until the user has seen it.
  WriteFile(FDir / "work/a.txt", "one\ntwo one\none");
  list.SetTicked(list.Path(0) == FDir / "work/a.txt" ? 0 : 1, true);
  QTest::mouseClick(Form().PreviewButton(), Qt::LeftButton);
  EXPECT_FALSE(preview.StartButton()->isEnabled()) << "not before the preview has ended";
  ASSERT_TRUE(WaitFor([&] { return !preview.Running(); }));
  ASSERT_TRUE(preview.StartButton()->isEnabled());
  QTest::keyClicks(Form().CombiEditCharHexFrameToStr()->CharComboBox()->lineEdit(), "2");
  QTest::mouseClick(preview.StartButton(), Qt::LeftButton);
  EXPECT_EQ(Form().Worker().TaskList().Count(), 0u);
  ASSERT_TRUE(WaitFor([&] { return !preview.Running(); }));
  EXPECT_EQ(ReadFile(FDir / "work/a.txt"), "one\ntwo one\none");
  EXPECT_TRUE(preview.Lines()->toPlainText().contains("+ two ☑12"));
  EXPECT_TRUE(preview.Summary()->text().startsWith("Made again"))
      << preview.Summary()->text().toStdString();
  // A click on a change's tick leaves it out: the page counts without it, and the run makes and
  // counts only the changes left ticked.
  emit preview.Lines()->anchorClicked(QUrl("change:1"));
  EXPECT_TRUE(preview.Lines()->toPlainText().contains(QChar(0x2610)));
  EXPECT_TRUE(preview.Summary()->text().contains(": 2 replacements"))
      << preview.Summary()->text().toStdString();
  EXPECT_TRUE(preview.FileList()->item(0)->text().startsWith("     2  "));
  const std::size_t before = entries.size();
  QTest::mouseClick(preview.StartButton(), Qt::LeftButton);
  ASSERT_TRUE(WaitFor(
      [&] { return Form().Worker().TaskList().Count() == 0 && entries.size() >= before + 3; }));
  EXPECT_EQ(ReadFile(FDir / "work/a.txt"), "12\ntwo one\n12");
  EXPECT_EQ(entries[before + 2], "2 replacements");
  EXPECT_EQ(Form().CountCheckedFiles(), 0);
  EXPECT_FALSE(preview.StartButton()->isEnabled()) << "a preview's run starts once";
}

// A listed symbolic link is refused unless the link box was ticked for the scan that listed it,
// and the run keeps to the folder of that scan, which is fixed when the scan
// starts: the current directory a relative path depends on may change before the run.
TEST_F(TRunThroughWindow, ListedLinksAreFollowedOnlyWhenTickedAndOnlyInsideTheFolder) {
  struct TCase {
    bool Follow;
    const char* Target;  // where work/link.txt points
    const char* Reason;  // of the failed task; null when the file behind the link is rewritten
  };
  const TCase cases[] = {
      {false, "data/real.txt", "is a symbolic link"},
      {true, "data/real.txt", nullptr},
  };
  const QString startDirectory = QDir::currentPath();
  Form().show();
  const TFileSelectionWidgets& files = Form().FileWidgets();
  TResultListModel& results = Form().ResultListBox()->Model();
  int index = 0;
  for (const TCase& c : cases) {
    const std::string folder = FDir / ("case" + std::to_string(index++));
    MakeDir(folder);
    MakeDir(folder + "/work");
    MakeDir(folder + "/work/data");
    WriteFile(folder + "/work/data/real.txt", "colour");
    ASSERT_EQ(::symlink(c.Target, (folder + "/work/link.txt").c_str()), 0);
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(folder)));
    const std::string root = QDir::currentPath().toStdString() + "/work";

    files.FollowLinksCheckBox->setChecked(c.Follow);
    files.PathComboBox->setEditText("work");
    files.MaskComboBox->setEditText("link.txt");
    Form().FileSelection().StartFileSearch();
    TFileListModel& list = *files.FileList;
    ASSERT_TRUE(WaitFor([&] { return Form().FileSelection().ScanFinished() && list.Count() == 1; }))
        << c.Target;
    QDir::setCurrent(QDir::rootPath());
    list.SetTicked(0, true);
    Form().CombiEditCharHexFrameFromStr()->SetBytes("colour");
    Form().CombiEditCharHexFrameToStr()->SetBytes("color");
    results.Clear();
    TTaskQueue& queue = Form().Worker().TaskList();
    queue.Hold();
    Form().SnRButtonClick();
    ASSERT_NE(queue.Head(), nullptr);
    EXPECT_EQ(queue.Head()->Links.Root, root) << c.Target;
    EXPECT_EQ(queue.Head()->Links.Follow, c.Follow) << c.Target;
    queue.Release();
    ASSERT_TRUE(WaitFor([&] {
      return queue.Count() == 0 && Form().windowTitle() == "Fendrel 2.0" && results.rowCount() >= 3;
    }));

    struct stat link;
    ASSERT_EQ(::lstat((folder + "/work/link.txt").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode)) << c.Target;
    EXPECT_EQ(ReadFile(folder + "/work/data/real.txt"), c.Reason ? "colour" : "color") << c.Target;
    const QString tooltip = results.data(results.index(0), Qt::ToolTipRole).toString();
    EXPECT_EQ(results.data(results.index(2)).toString(), c.Reason ? "FAILED" : "1 replacements")
        << c.Target;
    if (c.Reason)
      EXPECT_TRUE(tooltip.contains(c.Reason)) << tooltip.toStdString();
    else
      EXPECT_TRUE(tooltip.isEmpty()) << tooltip.toStdString();
  }
  QDir::setCurrent(startDirectory);
}

}  // namespace
}  // namespace fendrel::test

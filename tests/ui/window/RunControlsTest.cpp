// Stopping a run from the window, and its progress in the status line task by task.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <algorithm>

#include "WindowTestSupport.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/FileListModel.h"
#include "ui/records/ResultListBox.h"

namespace fendrel::test {
namespace {

using TRunControls = TWindowTest;

// Esc drops the queued tasks with their reports and leaves the window open; the next run is
// processed as usual. Each run ends with its summary in the status line, whatever stood there
// before, and its first entry current in the result list.
TEST_F(TRunControls, EscStopsTheRunAndTheNextRunGoesOn) {
  const std::vector<std::string> files{FDir / "1", FDir / "2"};
  for (const std::string& file : files)
    WriteFile(file, "a");
  ListFiles(files);
  Form().CombiEditCharHexFrameFromStr()->SetBytes("a");
  Form().CombiEditCharHexFrameToStr()->SetBytes("b");
  Form().show();
  Form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
  auto stopEnabled = [&] {
    EXPECT_EQ(Form().StopButton()->isEnabled(), Form().StopAction()->isEnabled());
    return Form().StopButton()->isEnabled();
  };
  EXPECT_FALSE(stopEnabled());

  TickAll();
  Form().statusBar()->showMessage("5 file(s) restored.");
  Form().Worker().TaskList().Hold();  // nothing is taken before the stop
  Form().SnRButtonClick();
  EXPECT_EQ(Form().statusBar()->currentMessage(), "");
  EXPECT_TRUE(stopEnabled());
  QTest::keyClick(&Form(), Qt::Key_Escape);
  TResultListBox* results = Form().ResultListBox();
  const auto& entries = results->Model().Log().Entries();
  ASSERT_TRUE(WaitFor([&] { return std::count(entries.begin(), entries.end(), "SKIPPED") == 2; }));
  Form().Worker().TaskList().Release();
  EXPECT_FALSE(stopEnabled());
  EXPECT_TRUE(Form().isVisible());
  EXPECT_EQ(ReadFile(files[0]) + ReadFile(files[1]), "aa");
  ASSERT_TRUE(WaitFor([&] { return !Form().statusBar()->currentMessage().isEmpty(); }));
  EXPECT_EQ(Form().statusBar()->currentMessage(),
            "Run finished: 2 files, 0 replacements, 0 failed, 2 skipped");

  // A file gone since it was listed fails; the next run's entries begin below the last run's and
  // many more, and come to the top of the page.
  results->Model().AddEntries(std::vector<std::string>(300, "earlier"));
  const int firstRow = results->Model().rowCount();
  Form().FileWidgets().FileList->Clear();
  ListFiles({files[0], files[1], FDir / "gone"});
  TickAll();
  Form().SnRButtonClick();
  ASSERT_TRUE(WaitFor([&] { return Form().windowTitle() == "Fendrel 2.0"; }));
  EXPECT_EQ(ReadFile(files[0]) + ReadFile(files[1]), "bb");
  ASSERT_TRUE(WaitFor([&] { return Form().statusBar()->currentMessage().startsWith("Run"); }));
  EXPECT_EQ(Form().statusBar()->currentMessage(),
            "Run finished: 3 files, 2 replacements, 1 failed");
  const QRect first = results->visualRect(results->Model().index(firstRow));
  EXPECT_TRUE(results->viewport()->rect().contains(first.topLeft())) << first.y();
  EXPECT_GT(results->verticalScrollBar()->value(), 0);
}

// Tasks done of those queued and bytes done of their files' sizes, the rate so far and the time
// left, after each task; a run queued meanwhile adds to the totals.
TEST_F(TRunControls, ProgressAfterEachTask) {
  const std::string one = FDir / "one", two = FDir / "two", three = FDir / "three";
  WriteFile(one, std::string(1'000'000, 'x'));
  WriteFile(two, std::string(2'000'000, 'x'));
  WriteFile(three, std::string(3'000'000, 'x'));
  double now = 100;
  Form().SetProgressClock([&now] { return now; });
  Form().CombiEditCharHexFrameFromStr()->SetBytes("a");
  TTaskQueue& queue = Form().Worker().TaskList();
  queue.Hold();  // the test finishes the tasks itself, one at a time
  auto queueRun = [&](const std::vector<std::string>& files) {
    FForm->FileWidgets().FileList->Clear();
    ListFiles(files);
    TickAll();
    Form().SnRButtonClick();
  };
  auto finishTask = [&](double at) {
    now = at;
    queue.RemoveHead();
    Form().WMSnRStatus(TStatusKind::stLine, "UPDATE");
  };
  QLabel* label = Form().ProgressLabel();
  auto shows = [&](const QString& text, int steps) {
    WaitFor([&] { return label->text() == text; }, std::chrono::seconds(2));
    EXPECT_EQ(label->text().toStdString(), text.toStdString());
    EXPECT_TRUE(label->isVisibleTo(&Form())) << text.toStdString();
    EXPECT_EQ(Form().ProgressBar()->value(), steps) << text.toStdString();
  };

  EXPECT_FALSE(label->isVisibleTo(&Form()));
  queueRun({one, two, three});
  shows("0 of 3 tasks, 0.0 of 6.0 MB", 0);
  finishTask(102);
  shows("1 of 3 tasks, 1.0 of 6.0 MB, 0.5 MB/s, 0:10 left", 166);
  queueRun({one});
  shows("1 of 4 tasks, 1.0 of 7.0 MB, 0.5 MB/s, 0:12 left", 142);
  finishTask(106);
  shows("2 of 4 tasks, 3.0 of 7.0 MB, 0.5 MB/s, 0:08 left", 428);
  TZQSnRMainForm::ChangeLanguage(kGerman);
  shows("2 von 4 Aufgaben, 3,0 von 7,0 MB, 0,5 MB/s, noch 0:08", 428);
  finishTask(112);
  finishTask(114);
  EXPECT_FALSE(label->isVisibleTo(&Form()) || Form().ProgressBar()->isVisibleTo(&Form()));
  queue.Release();
}

}  // namespace
}  // namespace fendrel::test

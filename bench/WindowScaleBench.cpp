// fendrel-window-scale-bench N [DIR]: the main window on Qt's offscreen platform with N listed
// files: N paths that do not exist (every task then fails at once), or, with DIR, the files the
// window's own scan lists in DIR and below (mask '*'). Prints how long listing took, how long
// ticking them all takes, how long queueing a run of N tasks takes, how long the run takes, the
// longest the window's event loop was kept from a 10 ms timer while listing and while the run
// reported, how long scrolling the result list to its end and switching pages take, and the
// program's peak memory.
#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "settings/Locations.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/FileListModel.h"
#include "ui/files/FileSelection.h"
#include "ui/files/QtWindowThreadDispatcher.h"
#include "ui/records/ResultListBox.h"
#include "ui/window/SnRForm.h"

namespace {

double Ms(const QElapsedTimer& clock) {
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// How late a 10 ms timer fires while the window works: the worst delay seen.
class TLatency {
 public:
  TLatency() {
    FTimer.setInterval(10);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      FWorst = std::max(FWorst, Ms(FSince) - 10);
      FSince.restart();
    });
    FSince.start();
    FTimer.start();
  }
  double Worst() const { return FWorst; }

 private:
  QTimer FTimer;
  QElapsedTimer FSince;
  double FWorst = 0;
};

void Settle() {
  QApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc >= 2 ? std::atoi(argv[1]) : 0;
  if (count <= 0 || argc > 3) {
    std::fputs("usage: fendrel-window-scale-bench N [DIR]\n", stderr);
    return 2;
  }
  // A settings folder of its own, removed by the caller's scratch folder.
  char home[] = "/tmp/fendrel-scale-XXXXXX";
  if (mkdtemp(home) == nullptr) return 1;
  setenv("HOME", home, 1);
  setenv("XDG_CONFIG_HOME", home, 1);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  fendrel::TQtWindowThreadDispatcher dispatcher;
  fendrel::TZQSnRMainForm::InitLanguageUnit(fendrel::ProgramLocations());
  fendrel::TSnRForm form(nullptr);
  form.SetQuitQuestion([](const QString&) { return fendrel::TQuitAnswer::Yes; });
  form.show();
  Settle();

  QElapsedTimer clock;
  if (argc == 3) {
    const fendrel::TFileSelectionWidgets& files = form.FileWidgets();
    files.RekursivCheckBox->setChecked(true);
    files.MaskComboBox->setEditText("*");
    files.PathComboBox->setEditText(QString::fromLocal8Bit(argv[2]));
    TLatency latency;
    clock.start();
    form.FileSelection().StartFileSearch();
    while (!form.FileSelection().ScanFinished() || form.FileSelection().FileCount() < count)
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("list %d files: %.0f ms, event loop late by at most %.1f ms\n",
                form.FileSelection().FileCount(), Ms(clock), latency.Worst());
  } else {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
      paths.push_back("/nonexistent/fendrel-scale/f" + std::to_string(i) + ".txt");
    form.FileWidgets().FileList->Append(std::move(paths));
  }
  Settle();

  clock.restart();
  form.FileWidgets().SelectAllNoneCheckBox->click();  // mixed -> all ticked
  Settle();
  std::printf("tick all: %.1f ms (%d ticked)\n", Ms(clock), form.CountCheckedFiles());

  form.CombiEditCharHexFrameFromStr()->SetBytes("a");
  form.CombiEditCharHexFrameToStr()->SetBytes("b");
  clock.restart();
  form.SnRButtonClick();
  std::printf("queue %d tasks: %.1f ms\n", count, Ms(clock));

  auto latency = std::make_unique<TLatency>();
  clock.restart();
  fendrel::TResultListModel& results = form.ResultListBox()->Model();
  while (form.Worker().TaskList().Count() > 0 || results.rowCount() < 4 * count)
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  std::printf("run of %d tasks: %.0f ms, %d result entries, event loop late by at most %.1f ms\n",
              count, Ms(clock), results.rowCount(), latency->Worst());
  latency.reset();

  form.MainPageControl()->setCurrentIndex(1);
  Settle();
  clock.restart();
  form.ResultListBox()->scrollToBottom();
  Settle();
  std::printf("scroll to the end: %.1f ms\n", Ms(clock));
  clock.restart();
  form.MainPageControl()->setCurrentIndex(0);
  Settle();
  form.MainPageControl()->setCurrentIndex(1);
  Settle();
  std::printf("switch pages and back: %.1f ms\n", Ms(clock));

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak memory %ld MiB\n", usage.ru_maxrss / 1024);
  return 0;
}

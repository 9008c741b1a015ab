// fendrel-window-scale-bench N: the main window on Qt's offscreen platform with N listed files.
// Prints how long ticking them all takes, how long queueing a run of N tasks takes, how long the
// run takes (the files do not exist, so every task fails at once and reports its entries) and
// the longest the window's event loop was kept from a 10 ms timer meanwhile, how long scrolling
// the result list to its end and switching pages take, and the program's peak memory.
#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/Locations.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/FileListModel.h"
#include "ui/files/QtWindowThreadDispatcher.h"
#include "ui/records/ResultListBox.h"
#include "ui/window/SnRForm.h"

namespace {

double Ms(const QElapsedTimer& clock) {
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void Settle() {
  QApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc == 2 ? std::atoi(argv[1]) : 0;
  if (count <= 0) {
    std::fputs("usage: fendrel-window-scale-bench N\n", stderr);
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

  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    paths.push_back("/nonexistent/fendrel-scale/f" + std::to_string(i) + ".txt");
  form.FileWidgets().FileList->Append(std::move(paths));
  Settle();

  QElapsedTimer clock;
  clock.start();
  form.FileWidgets().SelectAllNoneCheckBox->click();  // mixed -> all ticked
  Settle();
  std::printf("tick all: %.1f ms (%d ticked)\n", Ms(clock), form.CountCheckedFiles());

  form.CombiEditCharHexFrameFromStr()->SetBytes("a");
  form.CombiEditCharHexFrameToStr()->SetBytes("b");
  clock.restart();
  form.SnRButtonClick();
  std::printf("queue %d tasks: %.1f ms\n", count, Ms(clock));

  // The event loop's latency: how late a 10 ms timer fires while the run reports.
  double worst = 0;
  QElapsedTimer tick;
  tick.start();
  QTimer latency;
  latency.setInterval(10);
  QObject::connect(&latency, &QTimer::timeout, [&] {
    worst = std::max(worst, Ms(tick) - 10);
    tick.restart();
  });
  latency.start();
  clock.restart();
  fendrel::TResultListModel& results = form.ResultListBox()->Model();
  while (form.Worker().TaskList().Count() > 0 || results.rowCount() < 4 * count)
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  latency.stop();
  std::printf("run of %d tasks: %.0f ms, %d result entries, event loop late by at most %.1f ms\n",
              count, Ms(clock), results.rowCount(), worst);

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

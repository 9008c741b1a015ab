// fendrel-file-list-bench DIR MASK: the file selection of the desktop program, on Qt's offscreen
// platform, listing DIR (recursively) for MASK. Prints the time from the scan's start until the
// status line says the search is complete with every file listed, the number of files, and the
// peak memory of the whole program.
#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <cstdio>

#include "ui/files/FileSelection.h"
#include "ui/files/FileSelectionWidgets.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: fendrel-file-list-bench DIR MASK\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QWidget window;
  const fendrel::TFileSelectionWidgets widgets = fendrel::CreateFileSelectionWidgets(&window);
  fendrel::TFileSelection selection(widgets, nullptr);
  widgets.FileCheckListBox->setGeometry(0, 0, 700, 300);
  window.resize(800, 400);
  window.show();
  widgets.RekursivCheckBox->setChecked(true);
  widgets.MaskComboBox->setEditText(QString::fromLocal8Bit(argv[2]));
  widgets.PathComboBox->setEditText(QString::fromLocal8Bit(argv[1]));

  QElapsedTimer clock;
  clock.start();
  selection.StartTimer();
  selection.StartFileSearch();
  // Done when the status line, refreshed by the selection's own timer, reports completion.
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (widgets.FileSearchResultLabel->text().startsWith("Search complete")) app.quit();
  });
  poll.start();
  app.exec();
  const qint64 elapsed = clock.elapsed();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%lld ms, %d files, peak %ld MiB\n", static_cast<long long>(elapsed),
              selection.FileCount(), usage.ru_maxrss / 1024);
  return 0;
}

// Stopping a run and following it: the Stop button and File > Stop (Esc) are enabled while tasks
// are queued, and the status line shows the tasks and bytes done of everything queued since the
// queue was last empty, with the rate and the time left, hidden while nothing is queued.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <chrono>

#include "SnRForm.h"
#include "engine/ProgressText.h"

namespace fendrel {
namespace {

// The bar's steps: a thousand, so that a large run still moves it visibly.
constexpr int kProgressSteps = 1000;

}  // namespace

void TSnRForm::BuildProgress() {
  FProgressClock = [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  FProgressLabel = new QLabel(this);
  FProgressLabel->setObjectName("ProgressLabel");
  FProgressBar = new QProgressBar(this);
  FProgressBar->setObjectName("ProgressBar");
  FProgressBar->setRange(0, kProgressSteps);
  FProgressBar->setTextVisible(false);
  FProgressBar->setMaximumWidth(160);
  // The status line is there from the start, so that the pages keep their height when the first
  // message or run shows in it. Permanent widgets stay at the right, beside the messages about
  // patterns and failures.
  statusBar()->addPermanentWidget(FProgressLabel);
  statusBar()->addPermanentWidget(FProgressBar);
  FProgressLabel->hide();
  FProgressBar->hide();
  FProgressTimer.setInterval(1000);
  connect(&FProgressTimer, &QTimer::timeout, this, [this] { RefreshRunState(); });
}

void TSnRForm::MeasureFiles(uint64_t first, std::vector<std::string> fileNames) {
  // Examining 200,000 files takes half a second, and far longer on a network drive: the sizes
  // are found beside the window and join the progress when they are known.
  std::erase_if(FMeasuring, [](const std::future<void>& job) {
    return job.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  FMeasuring.push_back(std::async(
      std::launch::async, [this, run = FRunProgress.Run(), first, names = std::move(fileNames)] {
        QMetaObject::invokeMethod(
            this,
            [this, run, first, sizes = TaskFileSizes(names)] {
              FRunProgress.SetSizes(run, first, sizes);
              RefreshRunState();
            },
            Qt::QueuedConnection);
      }));
}

void TSnRForm::StopButtonClick() {
  FWorker->Stop();
}

void TSnRForm::RefreshRunState() {
  RefreshTitle();
  const std::size_t queued = FWorker ? FWorker->TaskList().Count() : 0;
  FStopButton->setEnabled(queued > 0);
  FStop1->setEnabled(queued > 0);
  const uint64_t tasksTotal = FRunProgress.TaskCount();
  if (queued == 0 || tasksTotal == 0) {
    FRunProgress.Clear();
    FProgressTimer.stop();
    FProgressLabel->hide();
    FProgressBar->hide();
    return;
  }
  if (!FProgressTimer.isActive()) FProgressTimer.start();
  // The queue knows sooner than the reports still on their way how many tasks are done.
  const uint64_t tasksDone = tasksTotal - std::min<uint64_t>(queued, tasksTotal);
  const uint64_t bytesTotal = FRunProgress.TotalBytes();
  const uint64_t bytesDone = FRunProgress.BytesOfFirst(tasksDone);
  const double seconds = FProgressClock() - FRunProgress.StartedAt();
  FProgressLabel->setText(QString::fromUtf8(
      ProgressText(tasksDone, tasksTotal, bytesDone, bytesTotal, seconds, CurrentLanguage())));
  const double share = bytesTotal > 0 ? static_cast<double>(bytesDone) / bytesTotal
                                      : static_cast<double>(tasksDone) / tasksTotal;
  // A file that grew since it was queued may carry the bytes past the total.
  FProgressBar->setValue(std::min(static_cast<int>(share * kProgressSteps), kProgressSteps));
  FProgressLabel->show();
  FProgressBar->show();
}

}  // namespace fendrel

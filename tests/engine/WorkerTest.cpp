// The worker thread: what it reports for each task, in which order, and how it stops.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>

#include "engine/RewriteBatch.h"
#include "engine/RunBuilder.h"
#include "engine/uSearchAndReplaceThread.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::TTempDir;
using test::WriteFile;

// Records every status text; "UPDATE" is recorded with the queue count seen at that moment.
class TRecordingSink : public TStatusSink {
 public:
  explicit TRecordingSink(TSearchAndReplaceThread& worker) : FWorker(worker) {}

  void SnRStatus(TStatusKind kind, const std::string& text) override {
    std::lock_guard lock(FLock);
    if (kind == TStatusKind::stBackupFile) {
      FLines.push_back("backup " + text);
    } else if (kind == TStatusKind::stFailureReason) {
      FLines.push_back("reason " + text);
    } else if (text == "UPDATE") {
      FLines.push_back("UPDATE " + std::to_string(FWorker.TaskList().Count()));
    } else {
      FLines.push_back(text);
    }
    if (OnLine) OnLine(text);
  }

  std::vector<std::string> Lines() {
    std::lock_guard lock(FLock);
    return FLines;
  }

  // Until `count` texts have arrived, so that a task queued next sees every report before it;
  // false when they have not within ten seconds.
  bool WaitForLines(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Lines().size() < count) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  // The first text received quits the worker (`quit`) or stops its run.
  void StopWithFirstLine(bool quit) {
    OnLine = [this, quit, stopped = false](const std::string&) mutable {
      if (std::exchange(stopped, true)) return;
      if (quit)
        FWorker.Terminate();
      else
        FWorker.Stop();
    };
  }

  std::function<void(const std::string&)> OnLine;

 private:
  TSearchAndReplaceThread& FWorker;
  std::mutex FLock;
  std::vector<std::string> FLines;
};

class WorkerTest : public ::testing::Test {
 protected:
  std::unique_ptr<TSnRTast> Task(const std::string& file, TLogMode logMode, bool backup = false) {
    auto task = std::make_unique<TSnRTast>();
    task->Init(file, "a", 1, smCaseSensitive, "b", 1, backup, logMode);
    return task;
  }

  void RunToEnd(TSearchAndReplaceThread& worker) {
    worker.Start();
    while (!worker.TaskList().WaitUntilEmpty(std::chrono::milliseconds(10))) {
    }
    worker.Terminate();
    worker.WaitFor();
  }

  TTempDir Dir;
};

TEST_F(WorkerTest, ReportsByLogMode) {
  const std::string hit = Dir / "hit.txt", miss = Dir / "miss.txt", gone = Dir / "gone.txt";
  struct TCase {
    TLogMode Mode;
    std::vector<std::string> Lines;
  };
  const std::string result = "a [61] --> b [62] : ";
  const std::string reason = "reason the file no longer exists";
  const TCase cases[] = {
      {lmNone, {"UPDATE 2", "UPDATE 1", "UPDATE 0"}},
      {lmReplacedOnly,
       {hit, result + "1 replacements", "", "UPDATE 2", "UPDATE 1", reason, gone, result + "FAILED",
        "", "UPDATE 0"}},
      {lmAllFiles,
       {hit, result + "1 replacements", "", "UPDATE 2", miss, result + "0 replacements", "",
        "UPDATE 1", reason, gone, result + "FAILED", "", "UPDATE 0"}},
  };
  for (const TCase& c : cases) {
    WriteFile(hit, "a");
    WriteFile(miss, "x");
    TSearchAndReplaceThread worker;
    TRecordingSink sink(worker);
    worker.Attach(&sink);
    TTaskList tasks;
    for (const std::string& file : {hit, miss, gone})
      tasks.push_back(Task(file, c.Mode));
    worker.TaskList().AppendBatch(std::move(tasks));
    RunToEnd(worker);
    EXPECT_EQ(sink.Lines(), c.Lines) << "log mode " << c.Mode;
    EXPECT_EQ(worker.FailedTasks(), 1);
  }
}

TEST_F(WorkerTest, BackupNameComesBeforeTheTaskLines) {
  const std::string file = Dir / "f.txt";
  WriteFile(file, "a");
  TSearchAndReplaceThread worker;
  TRecordingSink sink(worker);
  worker.Attach(&sink);
  worker.TaskList().Append(Task(file, lmAllFiles, true));
  RunToEnd(worker);
  EXPECT_EQ(sink.Lines(),
            (std::vector<std::string>{"backup " + file + ".0.snr_bak", file,
                                      "a [61] --> b [62] : 1 replacements", "", "UPDATE 0"}));
}

// The program's end and the user's Stop report the same lines; after a Stop the thread stays and
// works off the next run.
TEST_F(WorkerTest, StopFinishesTheTaskInHandAndSkipsTheRestInOrder) {
  for (const bool quit : {true, false}) {
    TSearchAndReplaceThread worker;
    TRecordingSink sink(worker);
    // The stop arrives while the first task is being reported. The second task is on the same
    // file, so it waits for the first one's commit and three tasks still wait. (A second link
    // keeps the file's identity through the commit, so the wait never ends early.)
    sink.StopWithFirstLine(quit);
    worker.Attach(&sink);
    TTempDir dir;
    WriteFile(dir / "1", "a");
    ASSERT_EQ(link((dir / "1").c_str(), (dir / "1-link").c_str()), 0);
    TTaskList tasks;
    for (const char* name : {"1", "1", "3", "4"})
      tasks.push_back(Task(dir / name, lmNone));
    worker.TaskList().AppendBatch(std::move(tasks));
    worker.Start();
    if (!quit) {
      ASSERT_TRUE(sink.WaitForLines(13));
      worker.TaskList().Append(Task(dir / "1", lmAllFiles));
      RunToEnd(worker);
    }
    worker.WaitFor();
    const std::string skipped = "a [61] --> b [62] : SKIPPED";
    std::vector<std::string> expected{"UPDATE 3", dir / "1", skipped,   "",         "UPDATE 2",
                                      dir / "3",  skipped,   "",        "UPDATE 1", dir / "4",
                                      skipped,    "",        "UPDATE 0"};
    // The first task wrote "b": the run after the stop finds nothing to replace.
    if (!quit)
      expected.insert(expected.end(),
                      {dir / "1", "a [61] --> b [62] : 0 replacements", "", "UPDATE 0"});
    EXPECT_EQ(sink.Lines(), expected) << (quit ? "quit" : "stop");
  }
}

// The worker prepares the next batch while one is committed; a stop or quit that comes meanwhile
// leaves the prepared batch's files untouched: only the batch being committed was in hand. The
// first batch holds the most files a batch may, so the next one is prepared before the first
// is reported, and the stop comes with the first report.
TEST_F(WorkerTest, AStopLeavesTheBatchPreparedMeanwhileUntouched) {
  for (const bool quit : {true, false}) {
    TSearchAndReplaceThread worker;
    TRecordingSink sink(worker);
    sink.StopWithFirstLine(quit);
    worker.Attach(&sink);
    TTempDir dir;
    const std::size_t count = TRewriteBatch::MaxFiles() + 3;
    TTaskList tasks;
    for (std::size_t i = 0; i < count; ++i) {
      WriteFile(dir / std::to_string(i), "a");
      tasks.push_back(Task(dir / std::to_string(i), lmAllFiles));
    }
    worker.TaskList().AppendBatch(std::move(tasks));
    worker.Start();
    if (!quit) {
      ASSERT_TRUE(sink.WaitForLines(count * 4));
      worker.Terminate();
    }
    worker.WaitFor();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < count; ++i)
      changed += test::ReadFile(dir / std::to_string(i)) == "b";
    EXPECT_EQ(changed, TRewriteBatch::MaxFiles()) << (quit ? "quit" : "stop");
    const std::vector<std::string> lines = sink.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "a [61] --> b [62] : SKIPPED"), 3);
  }
}

// Tasks waiting in a held queue are dropped at once, as at quit; a later task is processed.
TEST_F(WorkerTest, StopDropsTheTasksOfAHeldQueue) {
  const std::string file = Dir / "f.txt";
  WriteFile(file, "a");
  TSearchAndReplaceThread worker;
  TRecordingSink sink(worker);
  worker.Attach(&sink);
  worker.Start();
  worker.TaskList().Hold();
  worker.TaskList().Append(Task(file, lmNone));
  worker.Stop();
  ASSERT_TRUE(sink.WaitForLines(4));
  worker.TaskList().Release();
  worker.TaskList().Append(Task(file, lmNone));
  RunToEnd(worker);
  EXPECT_EQ(sink.Lines(), (std::vector<std::string>{file, "a [61] --> b [62] : SKIPPED", "",
                                                    "UPDATE 0", "UPDATE 0"}));
  EXPECT_EQ(test::ReadFile(file), "b");
}

TEST_F(WorkerTest, StopWhileIdleSendsNothing) {
  TSearchAndReplaceThread worker;
  TRecordingSink sink(worker);
  worker.Attach(&sink);
  worker.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  worker.Terminate();
  worker.WaitFor();
  EXPECT_TRUE(sink.Lines().empty());
  EXPECT_TRUE(worker.Ended());
}

TEST_F(WorkerTest, HeldWorkerTakesNoTaskUntilReleased) {
  const std::string file = Dir / "f.txt";
  WriteFile(file, "a");
  TSearchAndReplaceThread worker;
  TRecordingSink sink(worker);
  worker.Attach(&sink);
  worker.Start();
  worker.TaskList().Hold();
  worker.TaskList().Append(Task(file, lmAllFiles));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(sink.Lines().empty());
  EXPECT_EQ(worker.TaskList().Count(), 1u);
  worker.TaskList().Release();
  EXPECT_TRUE(worker.TaskList().WaitUntilEmpty(std::chrono::seconds(10)));
  worker.Terminate();
  worker.WaitFor();
  EXPECT_EQ(sink.Lines().back(), "UPDATE 0");
}

TEST_F(WorkerTest, WithoutReceiverTasksAreStillProcessed) {
  const std::string file = Dir / "f.txt";
  WriteFile(file, "a");
  TSearchAndReplaceThread worker;
  worker.TaskList().Append(Task(file, lmAllFiles));
  RunToEnd(worker);
  EXPECT_EQ(test::ReadFile(file), "b");
}

}  // namespace
}  // namespace fendrel

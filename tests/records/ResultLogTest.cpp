// The result log: which status lines become entries under each log mode, how a result line is
// divided, "result.log" in CR LF lines, and the whole road from the worker's reports to both
// files.
#include <gtest/gtest.h>

#include <mutex>

#include "engine/RunBuilder.h"
#include "engine/uSearchAndReplaceThread.h"
#include "records/BackupRegistry.h"
#include "records/ResultLog.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

using TLines = std::vector<std::string>;

// How a line divides is the engine's; here: which lines the window shows at all.
TEST(ResultLogTest, EntriesOfOneStatusLineByMode) {
  const std::string fileLine = "/d/x:y.txt", resultLine = "C:x [433A78] --> y [79] : FAILED";
  for (const int32_t mode : {1, 2, 7}) {
    EXPECT_EQ(TResultLog::EntriesToShow(fileLine, mode), TLines{fileLine});
    EXPECT_EQ(TResultLog::EntriesToShow("", mode), TLines{""});
    EXPECT_EQ(TResultLog::EntriesToShow(resultLine, mode),
              (TLines{"C:", "x [433A78] --> y [79] : FAILED"}));
    EXPECT_EQ(TResultLog::EntriesToShow("UPDATE", mode), TLines{});
  }
  for (const int32_t mode : {0, -1})
    for (const std::string& line : {fileLine, std::string(), resultLine})
      EXPECT_EQ(TResultLog::EntriesToShow(line, mode), TLines{}) << mode;
}

TEST(ResultLogTest, ModeAppliesAtOnceAndClearKeepsTheFileUntilTheNextSave) {
  TTempDir dir;
  TResultLog log;
  EXPECT_EQ(log.LogMode(), 2);
  const TLines task = {"/d/a.txt", "a [61] --> b [62] : 2 replacements", "", "UPDATE"};
  auto add = [&] {
    std::size_t added = 0;
    for (const std::string& line : task)
      added += log.AddStatusLine(line);
    return added;
  };
  EXPECT_EQ(add(), 4u);
  log.SetLogMode(0);
  EXPECT_EQ(add(), 0u);
  log.SetLogMode(1);
  EXPECT_EQ(add(), 4u);

  ASSERT_TRUE(log.Save(dir.Path()));
  const std::string group = "/d/a.txt\r\na [61] --> b [62] :\r\n2 replacements\r\n\r\n";
  EXPECT_EQ(ReadFile(dir / "result.log"), group + group);

  log.Clear();
  EXPECT_TRUE(log.Entries().empty());
  EXPECT_EQ(ReadFile(dir / "result.log"), group + group);
  ASSERT_TRUE(log.Save(dir.Path() + "/"));
  EXPECT_TRUE(Exists(dir / "result.log"));
  EXPECT_EQ(ReadFile(dir / "result.log"), "");

  EXPECT_FALSE(log.Save(dir / "no-such-dir"));
}

// The window's side of the worker, reduced to the two records: backups into the registry,
// status lines into the log.
class TRecordsSink : public TStatusSink {
 public:
  void SnRStatus(TStatusKind kind, const std::string& text) override {
    std::lock_guard lock(FLock);
    if (kind == TStatusKind::stBackupFile)
      Registry.Record(text);
    else if (kind == TStatusKind::stLine)
      Log.AddStatusLine(text);
  }
  std::mutex FLock;
  TBackupRegistry Registry;  // guarded by FLock while the worker runs
  TResultLog Log;            // guarded by FLock while the worker runs
};

TEST(ResultLogTest, WorkerReportsBecomeRegistryAndLog) {
  TTempDir dir;
  const std::string file = dir / "a.txt", gone = dir / "gone.txt", data = dir / "data";
  test::MakeDir(data);
  WriteFile(file, "aXa");

  TRecordsSink sink;
  TSearchAndReplaceThread worker;
  worker.Attach(&sink);
  // The same file changed twice with backups, a missing file, a file without matches, and one
  // more without matches that only "all files" would report.
  const TTaskOptions options{smCaseSensitive, true, lmAllFiles, {}};
  worker.TaskList().AppendBatch(BuildSingleLineTasks({file}, "a", 1, "b", 1, options));
  worker.TaskList().AppendBatch(BuildSingleLineTasks({file}, "b", 1, "c", 1, options));
  worker.TaskList().AppendBatch(BuildSingleLineTasks({gone, file}, "a", 1, "b", 1, options));
  worker.TaskList().AppendBatch(
      BuildSingleLineTasks({file}, "a", 1, "b", 1, {smCaseSensitive, true, lmReplacedOnly, {}}));
  worker.Start();
  while (!worker.TaskList().WaitUntilEmpty(std::chrono::milliseconds(10))) {
  }
  worker.Terminate();
  worker.WaitFor();

  ASSERT_TRUE(sink.Registry.Save(data));
  ASSERT_TRUE(sink.Log.Save(data));
  EXPECT_EQ(ReadFile(dir / "data/backup.dat"), file + ".0.snr_bak\r\n" + file + ".1.snr_bak\r\n");
  EXPECT_EQ(ReadFile(dir / "data/result.log"),
            file + "\r\na [61] --> b [62] :\r\n2 replacements\r\n\r\n" +      //
                file + "\r\nb [62] --> c [63] :\r\n2 replacements\r\n\r\n" +  //
                gone + "\r\na [61] --> b [62] :\r\nFAILED\r\n\r\n" +          //
                file + "\r\na [61] --> b [62] :\r\n0 replacements\r\n\r\n");

  TBackupRegistry reloaded;
  ASSERT_TRUE(reloaded.Load(data));
  EXPECT_EQ(reloaded.Count(), 2u);
}

}  // namespace
}  // namespace fendrel

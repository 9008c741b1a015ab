#include "scan/uScanDirThread.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileAttributes.h"
#include "support/QueuedDispatcher.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

// The window's list: only ever changed on the window thread; may stop the scan at its first hit.
class TWindowList : public TExtStringList {
 public:
  TScanDirThread* StopAtFirst = nullptr;
  const std::thread::id WindowThread = std::this_thread::get_id();

  void Add(const std::string& entry) override {
    EXPECT_EQ(std::this_thread::get_id(), WindowThread);
    TExtStringList::Add(entry);
    if (StopAtFirst != nullptr) StopAtFirst->Terminate();
  }
};

// The test's main thread serves the hand-overs, as the window's event loop would.
class ScanDirThread : public ::testing::Test {
 protected:
  void SetUp() override { SetWindowThreadDispatcher(&FDispatcher); }
  void TearDown() override { SetWindowThreadDispatcher(nullptr); }
  void Scan(TScanDirThread& scanner) {
    scanner.Start();
    while (!scanner.Finished())
      FDispatcher.Pump(std::chrono::milliseconds(10));
    scanner.WaitFor();
  }

  TQueuedDispatcher FDispatcher;
  TWindowList FList;
};

TEST_F(ScanDirThread, StopEntersNoFurtherDirectory) {
  // R holds r.txt and S; S holds s.txt and the leaves T and U, in an order the system decides.
  test::TTempDir r;
  test::MakeDir(r / "S/T");
  test::MakeDir(r / "S/U");
  for (const char* file : {"S/T/t.txt", "S/U/u.txt", "S/s.txt", "r.txt"})
    test::WriteFile(r / file, "x");
  TScanDirThread scanner;
  FList.StopAtFirst = &scanner;
  scanner.Setup(r.Path(), "*.txt", &FList, true, kFileScanFilter);
  // One hit per hand-over, so that the stop comes with the first hit.
  scanner.SetBatchLimits(1, std::chrono::milliseconds(0));
  Scan(scanner);
  // The first leaf's file, never the second leaf's, then S's and R's on the way back.
  ASSERT_EQ(FList.Count(), 3u);
  EXPECT_TRUE(FList[0] == r / "S/T/t.txt" || FList[0] == r / "S/U/u.txt") << FList[0];
  EXPECT_EQ(FList[1], r / "S/s.txt");
  EXPECT_EQ(FList[2], r / "r.txt");
}

TEST_F(ScanDirThread, MissingStartFinishesEmpty) {
  test::TTempDir r;
  TScanDirThread scanner;
  scanner.Setup(r / "missing", "*", &FList, true, kFileScanFilter);
  EXPECT_FALSE(scanner.Finished());
  Scan(scanner);  // returns only once Finished() turns true
  EXPECT_EQ(FList.Count(), 0u);

  // An idle scanner that is never started walks nothing, not even when destroyed.
  test::WriteFile(r / "a.txt", "x");
  { TScanDirThread().Setup(r.Path(), "*", &FList, true, kFileScanFilter); }
  EXPECT_EQ(FList.Count(), 0u);
}

// The list keeps the walk's "//name" for the root's entries; the scanner collapses it.
// A large folder reaches the window in a few hand-overs, every hit in the order it was found.
TEST_F(ScanDirThread, HitsArriveInBatchesInTheirOrder) {
  class TCountingList : public TExtStringList {
   public:
    void AddBatch(std::vector<std::string> entries) override {
      ++Batches;
      TExtStringList::AddBatch(std::move(entries));
    }
    int Batches = 0;
  } list;
  test::TTempDir r;
  for (int i = 0; i < 10000; ++i)
    test::WriteFile(r / ("f" + std::to_string(i) + ".txt"), "");
  TDirStringList expected;
  expected.ReadDirectory(r.Path(), "*.txt", kFileScanFilter, false, false);
  TScanDirThread scanner;
  scanner.Setup(r.Path(), "*.txt", &list, false, kFileScanFilter);
  // Batches by count alone, whatever the machine's speed: 4,096, 4,096 and the rest.
  scanner.SetBatchLimits(4096, std::chrono::hours(1));
  Scan(scanner);
  EXPECT_EQ(list.Items(), expected.Items());
  EXPECT_EQ(list.Batches, 3);
}

TEST_F(ScanDirThread, RootEntries) {
  struct stat st;
  if (lstat("/tmp", &st) != 0 || !S_ISDIR(st.st_mode)) GTEST_SKIP() << "no /tmp directory";
  TDirStringList list;
  list.ReadDirectory("/", "TMP", 0x3F, false, false);
  EXPECT_EQ(list.Items(), std::vector<std::string>{"//tmp"});
  TScanDirThread scanner;
  scanner.Setup("/", "tmp", &FList, false, 0x3F);
  Scan(scanner);
  EXPECT_EQ(FList.Items(), std::vector<std::string>{"/tmp"});
}

}  // namespace
}  // namespace fendrel

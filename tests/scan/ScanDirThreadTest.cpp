#include "scan/uScanDirThread.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileAttributes.h"
#include "platform/QueuedDispatcher.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::MakeDir;
using test::TTempDir;
using test::WriteFile;

// The window's list: it must only ever be changed on the window thread, and may ask the scanner
// to stop once it has `stopAfter` entries.
class TWindowList : public TExtStringList {
 public:
  TScanDirThread* StopScanner = nullptr;
  std::size_t StopAfter = 0;
  std::thread::id WindowThread = std::this_thread::get_id();

  void Add(const std::string& entry) override {
    EXPECT_EQ(std::this_thread::get_id(), WindowThread);
    TExtStringList::Add(entry);
    if (StopScanner != nullptr && Count() == StopAfter) StopScanner->Terminate();
  }
};

// Every test runs the hand-overs on its own main thread, as the window's event loop would.
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
};

TEST_F(ScanDirThread, DeliversPostOrderOnTheWindowThread) {
  TTempDir r;
  MakeDir(r / "S/T");
  WriteFile(r / "S/T/c.txt", "x");
  WriteFile(r / "S/b.txt", "x");
  WriteFile(r / "a.txt", "x");
  TWindowList list;
  TScanDirThread scanner;
  scanner.Setup(r.Path(), "*.txt", &list, true, kFileScanFilter);
  Scan(scanner);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{r / "S/T/c.txt", r / "S/b.txt", r / "a.txt"}));
}

TEST_F(ScanDirThread, StopEntersNoFurtherDirectory) {
  // R holds r.txt and S; S holds s.txt and the leaves T and U, whose order the system decides.
  TTempDir r;
  MakeDir(r / "S/T");
  MakeDir(r / "S/U");
  WriteFile(r / "S/T/t.txt", "x");
  WriteFile(r / "S/U/u.txt", "x");
  WriteFile(r / "S/s.txt", "x");
  WriteFile(r / "r.txt", "x");
  TWindowList list;
  TScanDirThread scanner;
  list.StopScanner = &scanner;
  list.StopAfter = 1;
  scanner.Setup(r.Path(), "*.txt", &list, true, kFileScanFilter);
  Scan(scanner);

  // The first leaf's file, then never the second leaf, but S and R on the way back.
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_TRUE(list[0] == r / "S/T/t.txt" || list[0] == r / "S/U/u.txt") << list[0];
  EXPECT_EQ(list[1], r / "S/s.txt");
  EXPECT_EQ(list[2], r / "r.txt");
}

TEST_F(ScanDirThread, MissingStartFinishesEmpty) {
  TTempDir r;
  TWindowList list;
  TScanDirThread scanner;
  EXPECT_FALSE(scanner.Finished());
  scanner.Setup(r / "missing", "*", &list, true, kFileScanFilter);
  Scan(scanner);
  EXPECT_TRUE(scanner.Finished());
  EXPECT_EQ(list.Count(), 0u);
}

TEST_F(ScanDirThread, RootEntriesHaveOneSlash) {
  struct stat st;
  if (lstat("/tmp", &st) != 0 || !S_ISDIR(st.st_mode)) GTEST_SKIP() << "no /tmp directory";
  TWindowList list;
  TScanDirThread scanner;
  scanner.Setup("/", "tmp", &list, false, 0x3F);
  Scan(scanner);
  EXPECT_EQ(list.Items(), std::vector<std::string>{"/tmp"});
}

TEST_F(ScanDirThread, NeverStartedScannerRunsNoWalk) {
  TTempDir r;
  WriteFile(r / "a.txt", "x");
  TWindowList list;
  {
    TScanDirThread scanner;
    scanner.Setup(r.Path(), "*", &list, true, kFileScanFilter);
    scanner.MarkFinished();
  }
  FDispatcher.ProcessPending();
  EXPECT_EQ(list.Count(), 0u);
}

}  // namespace
}  // namespace fendrel

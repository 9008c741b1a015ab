// Threads and the window-thread dispatcher; the case tables.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/CodePage.h"
#include "support/QueuedDispatcher.h"

namespace fendrel {
namespace {

class TCountingThread : public TThread {
 public:
  TCountingThread() : TThread("test") {}
  ~TCountingThread() override { WaitFor(); }
  std::atomic<int> Synchronized{0};
  std::thread::id RanOn;

 protected:
  void Execute() override {
    for (int i = 0; i < 100 && !Terminated(); ++i)
      Synchronize([this] {
        RanOn = std::this_thread::get_id();
        ++Synchronized;
      });
  }
};

TEST(TThread, SynchronizeRunsOnTheWindowThreadAndWaits) {
  TQueuedDispatcher dispatcher;
  SetWindowThreadDispatcher(&dispatcher);
  TCountingThread thread;
  thread.Start();
  while (!thread.Ended())
    dispatcher.Pump(std::chrono::milliseconds(10));
  thread.WaitFor();
  SetWindowThreadDispatcher(nullptr);
  EXPECT_EQ(thread.Synchronized, 100);
  EXPECT_EQ(thread.RanOn, std::this_thread::get_id());
}

TEST(TThread, NeverStartedThreadRunsNothingAndWaitsForNothing) {
  TCountingThread thread;
  thread.WaitFor();
  EXPECT_FALSE(thread.Started());
  EXPECT_EQ(thread.Synchronized, 0);
}

TEST(CodePage, TablesFoldTheirOwnLettersOnly) {
  struct TCase {
    TCaseTable Table;
    unsigned char Lower, Upper;
    bool Folds;
  };
  const TCase cases[] = {
      {TCaseTable::Ascii, 'a', 'A', true},          {TCaseTable::Ascii, 0xE4, 0xC4, false},
      {TCaseTable::Windows1252, 'z', 'Z', true},    {TCaseTable::Windows1252, 0xE4, 0xC4, true},
      {TCaseTable::Windows1252, 0xFF, 0x9F, true},  {TCaseTable::Windows1252, 0x9A, 0x8A, true},
      {TCaseTable::Windows1252, 0xF7, 0xD7, false}, {TCaseTable::Windows1252, 0xDF, 0xDF, true},
      {TCaseTable::Ascii, '[', '{', false},
  };
  for (const TCase& c : cases) {
    const TCaseMap& map = CaseMapOf(c.Table);
    EXPECT_EQ(map.Upper[c.Lower] == c.Upper, c.Folds) << int(c.Lower);
    if (c.Folds) {
      EXPECT_EQ(map.Lower[c.Upper], c.Lower) << int(c.Upper);
    }
  }
}

}  // namespace
}  // namespace fendrel

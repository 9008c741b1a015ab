// The progress text of the status line: units by the total, the rate so far, and the time left
// by bytes, or by tasks when the files hold none.
#include "engine/ProgressText.h"

#include <gtest/gtest.h>

#include "i18n/LanguageTable.h"

namespace fendrel {
namespace {

TEST(ProgressText, CountsRateAndTimeLeft) {
  struct TCase {
    uint64_t TasksDone, TasksTotal, BytesDone, BytesTotal;
    double Seconds;
    int32_t Language;
    const char* Text;
  };
  const TCase cases[] = {
      {0, 3, 0, 900, 1.5, kEnglish, "0 of 3 tasks, 0 of 900 B, 0.0 MB/s"},
      {1, 3, 1'000'000, 6'000'000, 2, kEnglish, "1 of 3 tasks, 1.0 of 6.0 MB, 0.5 MB/s, 0:10 left"},
      {1, 3, 1'000'000, 6'000'000, 2, kGerman,
       "1 von 3 Aufgaben, 1,0 von 6,0 MB, 0,5 MB/s, noch 0:10"},
      {1, 3, 1'000'000, 6'000'000, 2, kLanguageFromFile,
       "1 of 3 tasks, 1.0 of 6.0 MB, 0.5 MB/s, 0:10 left"},
      {5, 9, 2'500, 12'000, 0.5, kEnglish, "5 of 9 tasks, 2.5 of 12.0 kB, 0.0 MB/s, 0:02 left"},
      {1, 2, 1'000'000'000, 2'000'000'000, 5000, kEnglish,
       "1 of 2 tasks, 1.0 of 2.0 GB, 0.2 MB/s, 1:23:20 left"},
      // Empty files: the tasks tell the time left.
      {1, 4, 0, 0, 3, kEnglish, "1 of 4 tasks, 0 of 0 B, 0.0 MB/s, 0:09 left"},
      {4, 4, 999, 999, 3, kEnglish, "4 of 4 tasks, 999 of 999 B, 0.0 MB/s, 0:00 left"},
      // A file grown since it was queued: never a negative time.
      {2, 3, 1'200, 1'000, 1, kEnglish, "2 of 3 tasks, 1.2 of 1.0 kB, 0.0 MB/s, 0:00 left"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(
        ProgressText(c.TasksDone, c.TasksTotal, c.BytesDone, c.BytesTotal, c.Seconds, c.Language),
        c.Text);
}

}  // namespace
}  // namespace fendrel

// What a run started in the window did, told in the status line once its last task has
// reported: the files it took, the replacements made, the files that failed and those a stop
// left as they were. Tasks queued while a run goes on join it.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fendrel {

class TRunTally {
 public:
  // A run begins on an empty queue; `firstRow` is the result list's row its entries begin at.
  void Begin(int firstRow);
  void Queued(std::size_t tasks) { FExpected += tasks; }
  // A task's report. The passes of a file report one after another and count as one file.
  void Reported(std::string_view path, int64_t result, bool skipped);
  // Every task queued has reported.
  bool Complete() const { return FExpected > 0 && FReported >= FExpected; }
  int FirstRow() const { return FFirstRow; }
  // The status line's words for the run.
  QString Summary(int32_t language) const;

 private:
  std::size_t FExpected = 0;
  std::size_t FReported = 0;
  int FFirstRow = 0;
  int64_t FFiles = 0;
  int64_t FReplacements = 0;
  int64_t FFailed = 0;
  int64_t FSkipped = 0;
  std::string FLastPath;
  bool FLastFailed = false;
  bool FLastSkipped = false;
};

}  // namespace fendrel

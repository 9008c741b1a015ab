// What a front end has queued since the worker was last seen idle: the number of tasks, each
// task's file size as it stood when the task was queued, and when the first of them was queued.
// The tasks leave the queue in the order they joined it, so the first N tasks are the ones done
// once N have left, and their bytes are a running sum away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fendrel {

class TRunProgress {
 public:
  // `tasks` tasks of a run joined the queue; the first run after Clear starts the clock at `now`
  // (seconds on any steady clock). Their files' sizes count as 0 until SetSizes gives them.
  void Add(uint64_t tasks, double now);
  // The sizes of the files of the tasks from the `first` on, in queue order, unless the progress
  // was cleared since `run` was Run().
  void SetSizes(uint64_t run, uint64_t first, const std::vector<uint64_t>& sizes);
  void Clear() {
    const uint64_t next = FRun + 1;
    *this = TRunProgress();
    FRun = next;
  }
  uint64_t Run() const { return FRun; }

  uint64_t TaskCount() const { return FRunningBytes.size(); }
  uint64_t TotalBytes() const { return BytesOfFirst(TaskCount()); }
  // The bytes of the first `tasks` tasks queued.
  uint64_t BytesOfFirst(uint64_t tasks) const;
  double StartedAt() const { return FStartedAt; }

 private:
  // FRunningBytes[i]: the bytes of tasks 0 to i.
  std::vector<uint64_t> FRunningBytes;
  double FStartedAt = 0;
  uint64_t FRun = 0;
};

// The size of each task's file now, in task order; 0 for a file that cannot be examined (its
// task will tell why). Paths longer than the system's limit are examined too.
std::vector<uint64_t> TaskFileSizes(const std::vector<std::string>& fileNames);

}  // namespace fendrel

// The thread matcher: runs a compiled program over the subject in one pass, keeping every way the
// backtracker could still be going as a thread (RegExprThreads.h) with its groups. A search takes
// time linear in the subject and memory that does not grow with it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "RegExprThreads.h"

namespace fendrel {

class TThreadMatcher {
 public:
  // `program` must be accepted by ThreadsCanRun and outlive the matcher.
  TThreadMatcher(std::string_view program, const TThreadSettings& settings);

  // Searches `subject` (no NUL inside; its end reads as NUL) for the first match starting at or
  // after the 0-based `start`, trying only `start` itself when `anchored`. On success `starts`
  // and `ends` hold every group, -1 for those left unset. Where the match is known to end at
  // `knownEnd` (found by the automaton), the search stops there.
  bool Search(std::string_view subject, int64_t start, bool anchored,
              int64_t (&starts)[kREGroupCount], int64_t (&ends)[kREGroupCount],
              int64_t knownEnd = -1);

  // The most thread states met at one cursor: bounded by the program, whatever the subject.
  std::size_t StatesKnown() const { return FMachine.StatesKnown(); }

 private:
  using TThread = TThreadMachine::TThread;
  TThreadMachine FMachine;
  std::vector<TThread> FCurrent, FNext;
};

}  // namespace fendrel

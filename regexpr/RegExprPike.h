// The linear matcher: runs a compiled program over the subject in one pass, keeping every way
// the backtracker could still be going as a thread, in the order the backtracker would try them.
//
// Each thread is a place in the program, the loop state the rest of the match depends on, and
// its groups. Two threads in the same place with the same loop state at the same cursor have
// the same future, so only the one the backtracker would try first is kept: the threads at one
// cursor are bounded by the program, not by the subject, and a search takes time linear in the
// subject and memory that does not grow with it. It answers exactly what the backtracker
// answers (leftmost start, then the first way in the backtracker's order) for the programs
// PikeCanRun accepts; back-references, whose future depends on the text a group took, are not
// among them.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "RegExpr.h"
#include "RegExprOpcodes.h"

namespace fendrel {

// Whether the linear matcher runs `program` (p-code as TRegExpr::Program() gives it) exactly as
// the backtracker does: no back-references, loop counts small enough to keep in a thread.
bool PikeCanRun(std::string_view program);

// What the matcher needs of the engine's settings, as the backtracker sees them.
struct TPikeSettings {
  TCharSet LineBreaks;
  TCharSet WordLetters;
  unsigned char PairHead = 0, PairTail = 0;
  TCaseFlipTable CaseFlip{};
};

class TPikeMatcher {
 public:
  // `program` must be accepted by PikeCanRun and outlive the matcher.
  TPikeMatcher(std::string_view program, const TPikeSettings& settings);

  // Searches `subject` (no NUL inside; its end reads as NUL) for the first match starting at or
  // after the 0-based `start`, trying only `start` itself when `anchored`. On success `starts`
  // and `ends` hold every group, -1 for those left unset.
  bool Search(std::string_view subject, int64_t start, bool anchored,
              int64_t (&starts)[kREGroupCount], int64_t (&ends)[kREGroupCount]);

  // Different thread states met so far: bounded by the program, whatever the subject.
  std::size_t StatesKnown() const { return FSeen.size(); }

 private:
  // Everything the rest of a match depends on besides the cursor. Bits "here" mean: set at the
  // current cursor, so they clear whenever a character is consumed.
  struct TState {
    uint32_t Node = 0;           // program offset
    uint32_t Count = 0;          // repetition: repetitions so far; text: characters matched
    uint32_t TargetsHere = 0;    // loop targets reached at the current cursor, by target index
    uint16_t IterationHere = 0;  // complex loops (by depth) whose iteration began here
    uint8_t Waiting = 0;         // 1: the thread consumes at Node next; 0: it arrives there
    uint8_t Depth = 0;           // complex loops entered
    uint16_t Counters[kRELoopMaxSlots] = {};  // iterations of each complex loop, clamped
    uint16_t Spare = 0;
    bool operator==(const TState&) const = default;
  };
  struct TStateHash {
    std::size_t operator()(const TState& state) const;
  };
  struct TThread {
    TState State;
    int64_t Groups[2 * kREGroupCount];  // starts, then ends
  };

  unsigned char At(int64_t at) const {
    return at < static_cast<int64_t>(FSubject.size()) ? static_cast<unsigned char>(FSubject[at])
                                                      : 0;
  }
  // Whether the simple node matches the character at `at` (a text: its character `index`).
  bool Takes(const uint8_t* node, uint32_t index, int64_t at) const;
  bool AssertionHolds(TREOp op, int64_t at) const;
  // Follows `thread` through every node that consumes nothing at cursor `at`, in the
  // backtracker's order, appending the threads that wait to consume to FNext. True when a
  // thread reaches the end: the match is taken and no lower thread may run on.
  bool Follow(const TThread& thread, int64_t at);
  // Whether the state is new at the current cursor (and marks it met).
  bool FirstAtCursor(const TState& state);

  const uint8_t* FProgram;
  TPikeSettings S;
  std::vector<uint32_t> FTargetIndex;  // by program offset: index of a loop target, or none
  std::string_view FSubject;
  std::unordered_map<TState, int64_t, TStateHash> FSeen;  // state -> stamp it was last met at
  int64_t FStamp = 0;
  std::vector<TThread> FCurrent, FNext, FStack;
  bool FMatched = false;
  int64_t FMatch[2 * kREGroupCount];
};

// The settings of `regExpr` for the linear matcher, after the program check a search makes
// (compiling the pattern when needed); false when there is no program.
bool PikeSettingsOf(TRegExpr& regExpr, TPikeSettings& settings);

}  // namespace fendrel

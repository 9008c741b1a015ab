// The threads: a compiled program run as a set of threads, each a place in the program with the
// loop state the rest of its match depends on, kept in the order in which the backtracker would
// try the same ways. The thread matcher and the automaton are both made of them.
//
// Two threads in the same place with the same loop state at the same cursor have the same
// future, so only the one the backtracker would try first is kept: the threads at one cursor are
// bounded by the program, not by the subject. The thread matcher (RegExprThreadMatcher.h) runs
// them over the subject with their groups; the automaton (RegExprAutomaton.h) caches what whole
// sets of them do with a character. Both answer exactly what the backtracker answers (leftmost
// start, then the first way in the backtracker's order) for the programs ThreadsCanRun accepts;
// back-references, whose future depends on the text a group took, are not among them.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "RegExpr.h"
#include "RegExprOpcodes.h"

namespace fendrel {

// Whether the threads run `program` (p-code as TRegExpr::Program() gives it) exactly as the
// backtracker does: no back-references, loop counts small enough to keep in a thread.
bool ThreadsCanRun(std::string_view program);

// What the threads need of the engine's settings, as the backtracker sees them.
struct TThreadSettings {
  TCharSet LineBreaks;
  TCharSet WordLetters;
  unsigned char PairHead = 0, PairTail = 0;
  TCaseFlipTable CaseFlip{};
  bool Utf8 = false;  // no match begins at a continuation byte
  // The program has \b or \B, which look at whole characters by Unicode's word class.
  bool UnicodeWords = false;
};

// The settings of `regExpr` for the threads, after the program check a search makes (compiling
// the pattern when needed); false when there is no program.
bool ThreadSettingsOf(TRegExpr& regExpr, TThreadSettings& settings);

// What the nodes ask of the subject around a cursor: the character at it and those before it.
struct TCursor {
  unsigned char C = 0;        // the character at the cursor; 0 at the subject's end
  bool PairAhead = false;     // C and the character behind it are the paired separator
  bool Start = false;         // the subject's start
  bool Word = false;          // C is (or begins) a word letter
  bool PrevWord = false;      // the character before is a word letter
  bool PrevBreak = false;     // ... a line-break character
  bool PrevPairHead = false;  // ... the first of the paired separator
  bool AfterPair = false;     // the two characters before are the paired separator
};

// The cursor at `at` of `subject` (no NUL inside; its end reads as NUL).
TCursor CursorAt(std::string_view subject, int64_t at, const TThreadSettings& settings);

// Whether a match may begin at the cursor: in UTF-8 text, not inside a character.
inline bool StartAllowed(const TCursor& cursor, const TThreadSettings& settings) {
  return !settings.Utf8 || (cursor.C & 0xC0) != 0x80;
}

class TThreadMachine {
 public:
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
    uint16_t SetState = 0;  // repetition of a character set: the state inside the character
    bool operator==(const TState&) const = default;
  };
  struct TThread {
    TState State;
    int64_t Groups[2 * kREGroupCount];  // starts, then ends
  };

  // `program` must be accepted by ThreadsCanRun and outlive the machine.
  TThreadMachine(std::string_view program, const TThreadSettings& settings);

  const TThreadSettings& Settings() const { return S; }
  // A thread about to run the program from its first node, group 0 starting at `at`.
  static TThread Fresh(int64_t at);

  // A new cursor: the states met at the one before no longer count.
  void NewCursor() {
    FHere.clear();
    FHereSet.clear();
  }
  // Follows `thread` through every node that consumes nothing at the cursor `at`, in the
  // backtracker's order, appending the threads that wait to consume to `waiting`. True when a
  // thread reaches the end: the match is taken (MatchGroups) and no lower thread may run on.
  bool Follow(const TThread& thread, const TCursor& cursor, int64_t at,
              std::vector<TThread>& waiting);
  // Moves a waiting thread over the character at the cursor; false when it does not take it.
  bool Advance(TThread& thread, const TCursor& cursor) const;
  // The groups of the last thread that reached the end: starts, then ends.
  const int64_t* MatchGroups() const { return FMatch; }

  // The most thread states met at one cursor: bounded by the program, whatever the subject.
  std::size_t StatesKnown() const { return FMostHere; }

 private:
  struct TStateHash {
    std::size_t operator()(const TState& state) const;
  };

  // Whether the simple node takes the cursor's character (a text: its character `index`).
  bool Takes(const uint8_t* node, uint32_t index, const TCursor& cursor) const;
  // A character set's next state over the cursor's byte (see CharSetStep), the break rule
  // applied.
  int32_t SetStep(const uint8_t* node, uint32_t state, const TCursor& cursor) const;
  bool AssertionHolds(TREOp op, const TCursor& cursor) const;
  // Whether the state is new at the current cursor (and marks it met).
  bool FirstAtCursor(const TState& state);

  const uint8_t* FProgram;
  TThreadSettings S;
  std::vector<uint32_t> FTargetIndex;  // by program offset: index of a loop target, or none
  // The states met at the current cursor: a list while they are few, a set beyond.
  std::vector<TState> FHere;
  std::unordered_set<TState, TStateHash> FHereSet;
  std::size_t FMostHere = 0;
  std::vector<TThread> FStack;
  int64_t FMatch[2 * kREGroupCount];
};

}  // namespace fendrel

// The backtracker: runs a compiled program over the subject from one start position.
//
// Matching is leftmost-first backtracking, but it never recurses: every choice still open and
// every change of the match state is recorded on an explicit stack on the heap, and a failure
// pops that stack, undoing changes until it reaches an open choice. So no subject is too long
// for the machine's stack, and a budget of backtracking steps, linear in the subject's length,
// stops a pattern that would otherwise backtrack for ever.
#pragma once

#include <cstdint>
#include <vector>

#include "RegExpr.h"
#include "RegExprOpcodes.h"

namespace fendrel {

// Thrown by the backtracker when a search runs out of backtracking steps or memory; the search
// driver hands the search over to the automaton or the thread matcher when they can run the
// program, and raises error 1016 otherwise.
struct TBacktrackingSpent {};

class TBacktracker {
 public:
  static constexpr std::size_t kMaxUndoRecords = 4u << 20;
  // Where another matcher can take over, the backtracker hands a search over much sooner.
  static constexpr std::size_t kHandOverRecords = 64u << 10;

  // One backtracker serves every search of its TRegExpr, so its stack is allocated once.
  explicit TBacktracker(TRegExpr& regExpr);

  // Takes the current program and subject, with the line breaks, word letters and case flip of
  // the last program check; `budget` backtracking steps are shared by every attempt of the
  // search, which may keep at most `records` records.
  void StartSearch(int64_t budget, std::size_t records = kMaxUndoRecords);

  // Tries to match the program at subject offset `start`; on success the match ends at
  // MatchEnd() and the groups hold the match.
  bool Attempt(int64_t start);
  int64_t MatchEnd() const { return FCursor; }
  // After a failed attempt: where the run of characters taken by the repetition every match
  // begins with ended, when no start before it can succeed either; otherwise -1.
  int64_t LeadRunEnd() const { return FBackRefTried ? -1 : FLeadRunEnd; }
  // Whether an attempt at `start`, a later start within the run an earlier attempt's lead
  // repetition took, fails at the first back-reference, which that attempt reached with no
  // choice open: compared, not tried.
  bool KnownToFail(int64_t start);
  // The first start from `start` on that is not KnownToFail.
  int64_t FirstUnknownStart(int64_t start);
  // Gives back the memory of the choices a search that ran out of steps left behind.
  void ReleaseChoices() { std::vector<TUndo>().swap(FStack); }
  // Backtracking steps the current (or last) search has taken.
  int64_t StepsSpent() const { return FBudgetGiven - FBudget; }

 private:
  // One record of the backtracking stack: an open choice, or a change to undo on the way back.
  struct TUndo {
    enum TKind : uint8_t {
      kAlternative,     // resume at Node with the cursor at Cursor
      kGroupStart,      // put MatchStarts[Index] back to Value
      kGroupEnd,        // put MatchEnds[Index] back to Value
      kCounter,         // put LoopCounters[Index] back to Value
      kIterationStart,  // put the iteration start of loop Index back to Value
      kDepth,           // put LoopDepth back to Index
      kTargetEntry,     // put loop target Index's entry back to Value
      kRepeatGreedy,    // compact repetition: try one repetition fewer
      kRepeatLazy,      // compact repetition: try one repetition more
      kLoopExit,        // greedy complex loop: leave the loop instead of iterating
      kLoopMore,        // non-greedy complex loop: iterate instead of leaving
    };
    TKind Kind;
    bool Chars = false;  // repetitions of a character set: counts are bytes, whole characters
    int32_t Index = 0;
    const uint8_t* Node = nullptr;  // where to resume (repetitions: the node after them)
    int64_t Cursor = 0;             // cursor to resume with (repetitions: where they began)
    int64_t Value = 0;              // value to put back (repetitions: count tried)
    int64_t Limit = 0;              // repetitions: the other end of the counts to try
    int64_t Step = 1;               // repetitions: width of one repetition
    int32_t LookAhead = -1;         // repetitions: the character that must follow, or -1
  };

  // Number of consecutive matches of the simple node at the cursor, at most `maximum`; moves
  // the cursor behind them and gives the width of one repetition in `step`.
  int64_t RegRepeat(const uint8_t* node, int64_t maximum, int64_t& step);
  bool MatchOne(const uint8_t* node, unsigned char c) const;
  // The length of the character of set `node` at `at`, 0 when there is none.
  int SetCharAt(const uint8_t* node, int64_t at) const;
  // Repeat for a character set, whose characters differ in length.
  bool RepeatChars(const uint8_t* repeated, int64_t minimum, int64_t maximum, bool greedy,
                   uint8_t flags, const uint8_t* next);
  // Whether `at`, behind `from` in a run of whole characters, lies inside one of them.
  bool InsideCharacter(int64_t from, int64_t at) const;
  bool BackRefMatches(int group, bool ignoreCase, int64_t at, int64_t& length);
  // Whether the text from `start` to `end` is at `at` (as BackRefMatches), the characters
  // compared spent as steps.
  bool TextMatches(int64_t start, int64_t end, bool ignoreCase, int64_t at, int64_t& length);
  bool CompareText(int64_t start, int64_t end, bool ignoreCase, int64_t at, int64_t& length,
                   int64_t& compared) const;
  void Spend(int64_t steps = 1);
  void DropAllChoices();
  // Whether the cursor lies inside the known run of the lead repetition (`flags`' node).
  bool InKnownRun(uint8_t flags) const;
  // After the lead repetition took the characters from `start` to the cursor.
  void NoteLeadRun(int64_t start, bool cutShort, int64_t minimum);
  // Starts a compact repetition at the cursor; false when the match fails here or goes on
  // from the record it pushed.
  bool Repeat(const uint8_t* repeated, int64_t minimum, int64_t maximum, bool greedy, uint8_t flags,
              const uint8_t* next);
  void PushUndo(const TUndo& undo) {
    // The records grow with the subject for patterns such as (a|b)*$; a search that would need
    // more memory than a quarter gigabyte ends like one that backtracks too long.
    if (FStack.size() >= FMaxRecords) [[unlikely]]
      throw TBacktrackingSpent{};
    FStack.push_back(undo);
  }
  // An attempt goes forward through the program until a node fails, then backward through its
  // records to the latest open choice, and forward again from there. The pieces below run once
  // per node or record, so they are inline (defined in RegExprBacktracker.cpp, used only there):
  // called, they cost the backtracker's searches a tenth to a quarter more instructions.
  //
  // Forward: follows the program from `node` until the match is complete (true) or a node fails.
  inline bool Forward(const uint8_t*& node);
  // Backward: undoes changes until an open choice sets `node` and the cursor to a way forward
  // (true), or no choice is left (false).
  inline bool Backward(const uint8_t*& node);
  inline void Push(TUndo::TKind kind, int32_t index, int64_t value);

  // The nodes of Forward, by family. Those that consume nothing tell whether they hold at the
  // cursor; those that consume text move the cursor over what they take; the choices record
  // the ways they did not take. Every change a failure must undo is recorded.
  inline bool BreakAt(int64_t at) const;  // a line ends at `at`: a line break or the pair
  inline bool AtLineStart() const;
  inline bool AtLineEnd() const;
  inline bool AtWordBoundary() const;
  inline bool TakeText(const uint8_t* text, bool ignoreCase);
  inline bool TakeSetChar(const uint8_t* node);
  inline bool TakeBackRef(int group, bool ignoreCase);
  // A branch: the alternative to follow, those behind it left open as a choice; nullptr when
  // none of them can match at the cursor.
  inline const uint8_t* Branch(const uint8_t* node, uint8_t flags, std::size_t offset);
  // The jump back of a loop: to its target, or to its exit after an iteration that consumed
  // nothing.
  inline const uint8_t* JumpBack(const uint8_t* node);
  // A compact repetition (* + {n,m}, greedy or lazy); as Repeat.
  inline bool StartRepetition(const uint8_t* node, uint8_t flags);
  // A complex loop: its entry, and its loop node, which gives the body for one more iteration
  // (the other way left open as a choice where both are possible) or the node behind the loop.
  inline void EnterLoop();
  inline const uint8_t* Loop(const uint8_t* node, uint8_t flags);
  inline void BeginIteration(int32_t depth, int32_t count);
  inline void SetGroupBound(TREOp op);  // a group's opening or closing node

  // The records of Backward.
  inline void Restore(const TUndo& undo);  // a change: puts the value back
  // A compact repetition's choice: moves the cursor to the next count to try; false when none
  // is left.
  inline bool RetryRepetition(TUndo& undo);
  // A complex loop's choice, the last record: a greedy loop's failed iteration leaves the loop,
  // a lazy loop whose continuation failed iterates once more; each gives the node to go on with.
  inline const uint8_t* LeaveFailedIteration();
  inline const uint8_t* IterateOnceMore();

  // The subject's character at `at`; the end of the subject reads as NUL.
  unsigned char At(int64_t at) const { return at < FLength ? FSubject[at] : 0; }

  TRegExpr& R;
  int64_t FBudget = 0;
  int64_t FBudgetGiven = 0;
  // Steps until the thread's stop is asked again: a few microseconds of searching.
  static constexpr int64_t kStepsBetweenStopChecks = 1 << 14;
  int64_t FUntilStopCheck = kStepsBetweenStopChecks;
  std::size_t FMaxRecords = kMaxUndoRecords;
  const uint8_t* FProgram = nullptr;
  const uint8_t* FFlags = nullptr;          // the program's node flags, by offset
  const unsigned char* FSubject = nullptr;  // FLength bytes, none of them NUL
  int64_t FLength = 0;
  int64_t FCursor = 0;
  int64_t FLeadRunEnd = -1;
  // The last run the lead repetition took in this search, cut short by a character it cannot
  // take: from a later start within it, the repetition ends where it did (see nfLeadRun).
  int64_t FKnownRunStart = -1, FKnownRunEnd = -1, FKnownRunMinimum = 0;
  // The first back-reference an attempt from within the known run came to with no choice open:
  // where, and the bounds of its group then.
  struct TKnownBackRef {
    int64_t Cursor = 0, Start = -1, End = -1;
    int64_t Attempt = -1;  // where that attempt began; -1: none known
    bool IgnoreCase = false;
  } FKnownBackRef;
  int64_t FAttemptStart = 0;
  bool FBackRefTried = false;  // the attempt compared a back-reference
  // Bit g: the attempt set a bound of group g where no record could have undone it.
  uint32_t FUnrecordedGroups = 0;
  bool FUtf8 = false;          // the program reads the subject as UTF-8 text
  bool FUnicodeWords = false;  // \b by whole characters and Unicode's word class
  // Each loop sets its slot on entry, before reading it: set once here, not for every search.
  int32_t FLoopCounters[kRELoopMaxSlots] = {};
  int64_t FLoopIterationStarts[kRELoopMaxSlots] = {};
  int32_t FLoopDepth = 0;
  std::vector<int64_t> FLoopTargetEntries;  // by program offset: where the iteration began
  std::vector<TUndo> FStack;
};

}  // namespace fendrel

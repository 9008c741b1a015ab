// The automaton: the threads (RegExprThreads.h) taken a whole set at a time. A set of threads at
// a cursor, with what the cursor's context means to them, is one state; what the state does with
// a character is worked out the first time it meets it and then looked up, so a search costs a
// table look-up per character once the states it needs are known.
//
// States are made while searching and kept within a memory bound: when it is reached they are
// all forgotten and made again as needed; a program that would need new states nearly all the
// time is given up (TOutcome::GaveUp) for the backtracker and the thread matcher. It finds where
// the first match ends, and where it starts, exactly as the backtracker would; the groups inside
// the match are found afterwards, over the match alone (TRegExpr::FindGroups).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "RegExprThreads.h"

namespace fendrel {

class TAutomaton {
 public:
  // Where a match can begin at or after a position (at most the subject's length), or -1 when
  // nowhere: lets a search skip what cannot start a match while no thread is alive. Worth it
  // only where it skips much faster than the automaton moves (a literal, a rare character).
  using TNextStart = std::function<int64_t(int64_t)>;

  // `program` must be accepted by ThreadsCanRun and outlive the automaton; `nextStart` may be
  // empty.
  TAutomaton(std::string_view program, const TThreadSettings& settings, TNextStart nextStart = {},
             std::size_t memoryBound = 8u << 20);

  enum class TOutcome { Found, None, GaveUp };
  // Searches `subject` (no NUL inside; its end reads as NUL) for the first match starting at or
  // after the 0-based `start`, trying only `start` itself when `anchored`; on Found, `matchStart`
  // and `matchEnd` are the match's bounds.
  TOutcome Search(std::string_view subject, int64_t start, bool anchored, int64_t& matchStart,
                  int64_t& matchEnd);

  // States made so far, and how often the memory bound made them all be forgotten.
  std::size_t StatesMade() const { return FStatesMade; }
  int Resets() const { return FResets; }

 private:
  using TState = TThreadMachine::TState;
  struct TInfo {
    uint16_t Flags = 0;
    uint32_t WaysBegin = 0, WaysCount = 0;
  };
  // Where a thread of a move comes from: a thread of the state moved from, by index, or kHere:
  // a start at the cursor.
  static constexpr int32_t kHere = -1;
  static constexpr int32_t kNoMatch = -2;
  struct TMove {
    int32_t Next = -1;         // the state moved to; -1 not yet known
    int32_t Match = kNoMatch;  // the thread that reached the end at the cursor, if one did
    uint32_t From = 0;         // FFrom[From + i]: where thread i of Next comes from
    uint32_t Ways = 0;         // threads of Next
    uint8_t Kind = 0;          // of Next
    bool Same = false;         // each thread comes from the one at its place: starts unchanged
  };

  // What a search does on entering a state, beyond moving on.
  enum : uint8_t { kNoThreads = 1, kOnlyStarts = 2 };

  void MakeClasses(std::string_view program);
  // The state of `ways` with `flags`, made when new; -1 when the memory bound was reached and
  // the search must give up.
  int32_t Intern(uint16_t flags, const std::vector<TState>& ways);
  // The move of `state` on `symbol`, made when new; nullptr when given up.
  const TMove* Move(int32_t state, int symbol);
  int32_t Initial(std::string_view subject, int64_t at, bool anchored);
  const TMove* Step(int32_t state, const unsigned char* bytes, int64_t length, int64_t at);
  TOutcome MatchEnd(const TMove* move, const unsigned char* bytes, int64_t length, int64_t& at,
                    int64_t& matchEnd);
  void Forget();
  // The symbol of the character at `at` (below the subject's length).
  int SymbolAt(const unsigned char* bytes, int64_t length, int64_t at) const {
    const int symbol = FClass[bytes[at]];
    if (symbol == FHeadClass && at + 1 < length && bytes[at + 1] == S.PairTail) return FPairSymbol;
    if (S.UnicodeWords && bytes[at] >= 0xC0) return LeadSymbol(bytes, length, at, symbol);
    return symbol;
  }
  // Calls `scan` with the symbol reader the settings allow: where no pair and no word boundary
  // by Unicode's classes need more, the class of the byte alone.
  // Each reader holds what it needs in its own copies, so that a scan keeps them in registers.
  template <typename Scan>
  void WithSymbols(const unsigned char* bytes, int64_t length, const Scan& scan) const {
    const uint8_t* classOf = FClass;
    if (S.UnicodeWords) {
      scan([this, bytes, length](int64_t at) { return SymbolAt(bytes, length, at); });
    } else if (FHeadClass >= 0) {
      scan([classOf, bytes, length, head = FHeadClass, tail = S.PairTail,
            pair = FPairSymbol](int64_t at) {
        const int symbol = classOf[bytes[at]];
        return symbol == head && at + 1 < length && bytes[at + 1] == tail ? pair : symbol;
      });
    } else {
      scan([classOf, bytes](int64_t at) { return int{classOf[bytes[at]]}; });
    }
  }
  // For word boundaries by Unicode's classes, the first byte of a character tells whether the
  // character is a word letter, and a byte that begins no valid character tells that too: each
  // has a symbol of its own (kinds of symbols, each FBase wide).
  enum : int { kPlainSymbol = 0, kWordLead = 1, kBrokenLead = 2 };
  int LeadSymbol(const unsigned char* bytes, int64_t length, int64_t at, int symbol) const;

  TThreadSettings S;
  TThreadMachine FMachine;
  TNextStart FNextStart;
  std::size_t FMemoryBound;
  uint8_t FClass[256] = {};
  std::vector<unsigned char> FRepresentative;  // a character of each class
  int FHeadClass = -1;                         // the class of the pair's head, or -1
  int FPairSymbol = -1;                        // the head followed by the tail
  int FEndSymbol = 0;                          // the class of NUL: the subject's end
  int FBase = 0;                               // symbols of one kind: classes and the pair
  int FStride = 0;                             // symbols per state

  std::unordered_map<std::string, int32_t> FIndex;  // key -> state
  std::vector<int32_t> FInitial;                    // flags -> state where a search begins
  std::vector<TInfo> FInfo;
  std::vector<uint8_t> FKind;
  std::vector<TState> FWays;
  std::vector<TMove> FMoves;    // state * FStride + symbol
  std::vector<int32_t> FPlain;  // the same: Next of a move with nothing to note, else -1
  // The same once a match's start is settled: Next times 2, plus 1 where a thread reached the
  // end; -1 where no thread is left or the move is not known yet.
  std::vector<int32_t> FTail;
  std::vector<int32_t> FFrom;
  TMove FLastMove;           // a move made just after a reset, kept for its one use
  std::size_t FMaxWays = 0;  // threads of the largest state
  std::size_t FMemory = 0;
  std::size_t FStatesMade = 0;
  int FResets = 0;
  // Characters moved over since the last reset: FScanned before the stretch a search is moving
  // over now, which began at FStretch and has come to FNow where a state is made.
  int64_t FScanned = 0, FStretch = 0, FNow = 0;
  // Scratch of Move and Search.
  std::vector<TThreadMachine::TThread> FWaiting;
  std::vector<int32_t> FWaitingFrom, FMoveFrom;
  std::vector<TState> FNextWays;
  std::vector<int64_t> FStarts, FNextStarts;
  std::vector<int32_t> FHistory;  // the states of the latest cursors, by cursor modulo its size
  std::string FKey;
};

}  // namespace fendrel

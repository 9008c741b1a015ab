// The automaton (see RegExprAutomaton.h).
//
// A state holds the threads that arrived at a cursor, not yet followed: what the nodes that
// consume nothing do there depends on the character at the cursor, which the state learns only
// with the symbol it moves on. So a move follows the threads at the cursor with its character,
// notes whether one reached the end (the match then ends at that cursor), and advances the
// waiting threads over the character. The threads keep the backtracker's order, and a thread
// that reaches the end cuts off every thread behind it, with the starts further on: the last
// match end seen before no thread is left is where the backtracker's match ends.
//
// The start of that match is the first start from which any match begins: no earlier start has
// one, or the match would start there. Starts are tried one after another with the automaton
// anchored; two tries in the same state at the same cursor share their future, so a try that
// meets the state a failed one had at its cursor fails too, and the tries together cost about
// as much as the search.
#include "RegExprAutomaton.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace fendrel {
namespace {

// Bits of a state's flags: the cursor's context, then what the search has seen.
enum : uint16_t {
  kStart = 1,         // the cursor is the subject's start
  kPrevWord = 2,      // the character before it is a word letter
  kPrevBreak = 4,     // ... a line-break character
  kPrevPairHead = 8,  // ... the first of the paired separator
  kAfterPair = 16,    // the two characters before it are the paired separator
  kMatched = 32,      // a match has ended at an earlier cursor
  kMatchedHere = 64,  // ... at the cursor before the character just moved over
  kUnanchored = 128,  // starts further on are tried too
  kAddFresh = 256,    // a start is tried at this cursor
};

// A state makes room for this many bytes beyond its key and ways: its moves, its info.
constexpr std::size_t kStateOverhead = 64;
// Moves over characters per state made, below which the automaton is not worth its states.
constexpr int64_t kMovesPerState = 50;
// The longest stretch over which the tries of starts remember their states (4 bytes a cursor).
constexpr std::size_t kMaxTrail = std::size_t{16} << 20;

}  // namespace

TAutomaton::TAutomaton(std::string_view program, const TPikeSettings& settings,
                       std::size_t memoryBound)
    : S(settings), FMachine(program, settings), FMemoryBound(memoryBound) {
  MakeClasses(program);
}

// Characters that every node treats alike share a class: the automaton moves on classes.
void TAutomaton::MakeClasses(std::string_view text) {
  const auto* program = reinterpret_cast<const uint8_t*>(text.data());
  TCharSet single;  // characters compared one by one
  std::set<std::string> sets;
  auto addSet = [&sets](const TCharSet& set) { sets.insert(set.to_string()); };
  addSet(S.LineBreaks);
  addSet(S.WordLetters);
  single.set(0);
  if (S.PairHead != 0) {
    single.set(S.PairHead);
    single.set(S.PairTail);
  }
  TCharSet digits;
  for (int c = '0'; c <= '9'; ++c)
    digits.set(static_cast<std::size_t>(c));
  addSet(digits);
  auto addNode = [&](const uint8_t* node) {
    const uint8_t* operand = NodeOperand(node);
    switch (NodeOp(node)) {
      case opLiteral:
      case opLiteralCI:
        for (const uint8_t* c = operand; *c != 0; ++c) {
          single.set(*c);
          single.set(S.CaseFlip[*c]);
        }
        break;
      case opTinySet:
      case opTinyNotSet:
        for (int i = 0; i < kRETinySetBytes; ++i)
          single.set(operand[i]);
        break;
      case opFullSet: {
        TCharSet set;
        for (int c = 0; c < 256; ++c)
          if ((operand[c / 8] >> (c % 8)) & 1) set.set(static_cast<std::size_t>(c));
        addSet(set);
        break;
      }
      default:
        break;
    }
  };
  for (std::size_t at = 1; at + kREHeaderSize <= text.size();) {
    const uint8_t* node = program + at;
    std::size_t size = NodeSize(node);
    addNode(node);
    if (IsRepetition(NodeOp(node))) {
      const uint8_t* repeated = NodeOperand(node);
      if (NodeOp(node) == opRepeat || NodeOp(node) == opRepeatLazy) repeated += 2 * kRENumberSize;
      addNode(repeated);
      size += NodeSize(repeated);
    }
    at += size;
  }
  for (int c = 0; c < 256; ++c)
    if (single[static_cast<std::size_t>(c)]) {
      TCharSet one;
      one.set(static_cast<std::size_t>(c));
      addSet(one);
    }
  // Each set splits every class into its members and the rest.
  int classes = 1;
  for (const std::string& bits : sets) {
    const TCharSet set(bits);
    int split[256][2];
    for (auto& s : split)
      s[0] = s[1] = -1;
    int made = 0;
    for (int c = 0; c < 256; ++c) {
      int& to = split[FClass[c]][set[static_cast<std::size_t>(c)] ? 1 : 0];
      if (to < 0) to = made++;
      FClass[c] = static_cast<uint8_t>(to);
    }
    classes = made;
  }
  FRepresentative.assign(static_cast<std::size_t>(classes), 0);
  for (int c = 255; c >= 0; --c)
    FRepresentative[FClass[c]] = static_cast<unsigned char>(c);
  FEndSymbol = FClass[0];
  FStride = classes;
  if (S.PairHead != 0) {
    FHeadClass = FClass[S.PairHead];
    FPairSymbol = FStride++;
  }
}

void TAutomaton::Forget() {
  FIndex.clear();
  FInfo.clear();
  FKind.clear();
  FWays.clear();
  FMoves.clear();
  FMemory = 0;
  FScanned = 0;
  ++FResets;
}

int32_t TAutomaton::Intern(uint16_t flags, const std::vector<TState>& ways) {
  FKey.assign(reinterpret_cast<const char*>(&flags), sizeof flags);
  std::size_t kept = 0;
  FNextWays.clear();
  for (const TState& way : ways) {
    // A later thread in the same state as an earlier one would be dropped when followed.
    if (std::find(FNextWays.begin(), FNextWays.end(), way) != FNextWays.end()) continue;
    FNextWays.push_back(way);
    FKey.append(reinterpret_cast<const char*>(&way), sizeof way);
    ++kept;
  }
  if (auto found = FIndex.find(FKey); found != FIndex.end()) return found->second;
  const std::size_t cost = 2 * FKey.size() + FStride * sizeof(int32_t) + kStateOverhead;
  if (FMemory + cost > FMemoryBound) {
    if (FScanned < kMovesPerState * static_cast<int64_t>(FInfo.size())) return -1;
    Forget();
  }
  FMemory += cost;
  ++FStatesMade;
  const auto state = static_cast<int32_t>(FInfo.size());
  TInfo info;
  info.Flags = flags;
  info.WaysBegin = static_cast<uint32_t>(FWays.size());
  info.WaysCount = static_cast<uint32_t>(kept);
  FWays.insert(FWays.end(), FNextWays.begin(), FNextWays.end());
  FInfo.push_back(info);
  uint8_t kind = 0;
  if (flags & kMatchedHere) kind |= kReachedEnd;
  if (kept == 0 && !(flags & kAddFresh)) kind |= kNoThreads;
  if (kept == 0 && (flags & kAddFresh) && (flags & kUnanchored)) kind |= kOnlyStarts;
  FKind.push_back(kind);
  FMoves.resize(FMoves.size() + static_cast<std::size_t>(FStride), -1);
  FIndex.emplace(FKey, state);
  return state;
}

int32_t TAutomaton::Initial(std::string_view subject, int64_t at, bool anchored) {
  const TCursor cursor = CursorAt(subject, at, S);
  uint16_t flags = kAddFresh;
  if (!anchored) flags |= kUnanchored;
  if (cursor.Start) flags |= kStart;
  if (cursor.PrevWord) flags |= kPrevWord;
  if (cursor.PrevBreak) flags |= kPrevBreak;
  if (cursor.PrevPairHead) flags |= kPrevPairHead;
  if (cursor.AfterPair) flags |= kAfterPair;
  return Intern(flags, {});
}

int32_t TAutomaton::Move(int32_t state, int symbol) {
  const TInfo info = FInfo[static_cast<std::size_t>(state)];
  TCursor cursor;
  cursor.PairAhead = symbol == FPairSymbol;
  cursor.C = cursor.PairAhead ? S.PairHead : FRepresentative[static_cast<std::size_t>(symbol)];
  cursor.Start = (info.Flags & kStart) != 0;
  cursor.PrevWord = (info.Flags & kPrevWord) != 0;
  cursor.PrevBreak = (info.Flags & kPrevBreak) != 0;
  cursor.PrevPairHead = (info.Flags & kPrevPairHead) != 0;
  cursor.AfterPair = (info.Flags & kAfterPair) != 0;

  FMachine.NewCursor();
  FWaiting.clear();
  bool matched = false;
  TThreadMachine::TThread thread = TThreadMachine::Fresh(0);
  for (uint32_t i = 0; i < info.WaysCount && !matched; ++i) {
    thread.State = FWays[info.WaysBegin + i];
    matched = FMachine.Follow(thread, cursor, 0, FWaiting);
  }
  if (!matched && (info.Flags & kAddFresh))
    matched = FMachine.Follow(TThreadMachine::Fresh(0), cursor, 0, FWaiting);

  std::vector<TState> ways;
  if (cursor.C != 0)
    for (TThreadMachine::TThread& way : FWaiting)
      if (FMachine.Advance(way, cursor)) ways.push_back(way.State);
  const unsigned char c = cursor.C;
  uint16_t flags = info.Flags & kUnanchored;
  if (matched) flags |= kMatchedHere;
  if (matched || (info.Flags & kMatched))
    flags |= kMatched;
  else if (flags & kUnanchored)
    flags |= kAddFresh;
  if (S.WordLetters[c]) flags |= kPrevWord;
  if (S.LineBreaks[c]) flags |= kPrevBreak;
  if (S.PairHead != 0 && c == S.PairHead) flags |= kPrevPairHead;
  if (S.PairHead != 0 && c == S.PairTail && (info.Flags & kPrevPairHead)) flags |= kAfterPair;
  const std::size_t resets = static_cast<std::size_t>(FResets);
  const int32_t next = Intern(flags, ways);
  // A reset forgets the state moved from, and its moves with it.
  if (next >= 0 && resets == static_cast<std::size_t>(FResets))
    FMoves[static_cast<std::size_t>(state) * static_cast<std::size_t>(FStride) +
           static_cast<std::size_t>(symbol)] = next;
  return next;
}

bool TAutomaton::Run(std::string_view subject, int64_t at, int32_t state,
                     const TNextStart& nextStart, int64_t& matchEnd, int64_t& startFrom) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  const auto length = static_cast<int64_t>(subject.size());
  const auto stride = static_cast<std::size_t>(FStride);
  const int64_t begin = at;
  auto done = [&](bool ran) {
    FScanned += at - begin;
    return ran;
  };
  for (; at < length; ++at) {
    const int symbol = SymbolAt(bytes, length, at);
    int32_t next =
        FMoves[static_cast<std::size_t>(state) * stride + static_cast<std::size_t>(symbol)];
    if (next < 0 && (next = Move(state, symbol)) < 0) return done(false);
    state = next;
    const uint8_t kind = FKind[static_cast<std::size_t>(state)];
    if (kind == 0) continue;
    if (kind & kReachedEnd) matchEnd = at;
    if (kind & kNoThreads) return done(true);
    if (kind & kOnlyStarts) {
      startFrom = at + 1;
      if (!nextStart) continue;
      const int64_t skip = nextStart(at + 1);
      if (skip < 0) return done(true);
      if (skip > at + 1) {
        startFrom = skip;
        at = skip - 1;
        if ((state = Initial(subject, skip, false)) < 0) return done(false);
      }
    }
  }
  const int32_t last = Move(state, FEndSymbol);
  if (last < 0) return done(false);
  if (FKind[static_cast<std::size_t>(last)] & kReachedEnd) matchEnd = length;
  return done(true);
}

int TAutomaton::FindStart(std::string_view subject, int64_t from, int64_t end,
                          const TNextStart& nextStart, int64_t& matchStart) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  const auto length = static_cast<int64_t>(subject.size());
  const auto stride = static_cast<std::size_t>(FStride);
  FTrail.clear();
  int resets = FResets;
  for (int64_t start = from; start <= end; ++start) {
    if (nextStart && (start = nextStart(start)) < 0) break;
    int32_t state = Initial(subject, start, true);
    if (state < 0) return -1;
    for (int64_t at = start;; ++at) {
      const int symbol = at < length ? SymbolAt(bytes, length, at) : FEndSymbol;
      int32_t next =
          FMoves[static_cast<std::size_t>(state) * stride + static_cast<std::size_t>(symbol)];
      if (next < 0 && (next = Move(state, symbol)) < 0) return -1;
      state = next;
      ++FScanned;
      const uint8_t kind = FKind[static_cast<std::size_t>(state)];
      if (kind & kReachedEnd) {
        matchStart = start;
        return 1;
      }
      if ((kind & kNoThreads) || at >= length) break;
      if (resets != FResets) {  // the trail names forgotten states
        FTrail.assign(FTrail.size(), -1);
        resets = FResets;
      }
      const auto index = static_cast<std::size_t>(at + 1 - from);
      if (index >= FTrail.size()) {
        if (index > kMaxTrail) return -1;
        FTrail.resize(index + 1, -1);
      }
      if (FTrail[index] == state) break;  // a failed start was here before, in the same state
      FTrail[index] = state;
    }
  }
  return 0;
}

TAutomaton::TOutcome TAutomaton::Search(std::string_view subject, int64_t start, bool anchored,
                                        const TNextStart& nextStart, int64_t& matchStart,
                                        int64_t& matchEnd) {
  const auto length = static_cast<int64_t>(subject.size());
  if (start < 0 || start > length) return TOutcome::None;
  const TNextStart none;
  const TNextStart& skip = anchored ? none : nextStart;
  if (skip && (start = skip(start)) < 0) return TOutcome::None;
  const int32_t state = Initial(subject, start, anchored);
  int64_t end = -1, from = start;
  if (state < 0 || !Run(subject, start, state, skip, end, from)) return TOutcome::GaveUp;
  if (end < 0) return TOutcome::None;
  matchStart = start;
  // The run saw a match end, so some start in [from, end] has a match: found, unless given up.
  if (!anchored && FindStart(subject, from, end, skip, matchStart) <= 0) return TOutcome::GaveUp;
  matchEnd = end;
  return TOutcome::Found;
}

}  // namespace fendrel

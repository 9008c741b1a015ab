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
// Where a thread started is not part of its state (states would never repeat), so each move
// also records which thread of the state moved from each of its threads comes from, or that it
// began at the cursor: a search carries the starts of the few threads alive along, and the
// match starts where the thread that reached the end started, as its group 0 would in the
// thread matcher.
#include "RegExprAutomaton.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "RegExprCharSet.h"
#include "RegExprUnicode.h"

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
  kUnanchored = 64,   // starts further on are tried too
  kAddFresh = 128,    // a start is tried at this cursor
  // With word boundaries by Unicode's classes: the bytes still to come of the character begun
  // (kPrevWord then tells whether it is a word letter).
  kInCharacterShift = 8,
  kInCharacter = 3 << kInCharacterShift,
  kFlagValues = 1024,
};

// A state takes this many bytes beyond its key (kept twice), threads and moves: its info, kind and
// the index's node.
constexpr std::size_t kStateOverhead = 64;
// Cursors whose states a search remembers, to find where the first thread alive started.
constexpr std::size_t kHistory = std::size_t{1} << 16;
// Moves over characters per state made, below which the automaton is not worth its states.
constexpr int64_t kMovesPerState = 50;

}  // namespace

TAutomaton::TAutomaton(std::string_view program, const TThreadSettings& settings,
                       TNextStart nextStart, std::size_t memoryBound)
    : S(settings),
      FMachine(program, settings),
      FNextStart(std::move(nextStart)),
      FMemoryBound(memoryBound) {
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
  if (S.UnicodeWords) {  // a byte's class tells how long the character it begins is
    for (const auto& [first, last] :
         {std::pair{0x80, 0xBF}, {0xC2, 0xDF}, {0xE0, 0xEF}, {0xF0, 0xF4}}) {
      TCharSet lead;
      for (int c = first; c <= last; ++c)
        lead.set(static_cast<std::size_t>(c));
      addSet(lead);
    }
  }
  if (S.Utf8) {  // no match begins at a continuation byte
    TCharSet continuation;
    for (int c = 0x80; c <= 0xBF; ++c)
      continuation.set(static_cast<std::size_t>(c));
    addSet(continuation);
  }
  std::vector<TCharSet> setBytes;
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
      case opCharSet:
        setBytes.clear();
        CharSetByteSets(operand, setBytes);
        for (const TCharSet& set : setBytes)
          addSet(set);
        break;
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
  FBase = FStride;
  if (S.UnicodeWords) FStride = 3 * FBase;  // plain, word lead, broken lead
}

int TAutomaton::LeadSymbol(const unsigned char* bytes, int64_t length, int64_t at,
                           int symbol) const {
  char32_t c = 0;
  const int size = DecodeUtf8(bytes + at, static_cast<std::size_t>(length - at), c);
  if (size == 0) return kBrokenLead * FBase + symbol;
  return IsUnicodeWord(c) ? kWordLead * FBase + symbol : symbol;
}

void TAutomaton::Forget() {
  FIndex.clear();
  FInitial.assign(FInitial.size(), -1);
  FInfo.clear();
  FKind.clear();
  FWays.clear();
  FMoves.clear();
  FPlain.clear();
  FTail.clear();
  FFrom.clear();
  FMemory = 0;
  FScanned = 0;
  FStretch = FNow;
  ++FResets;
}

int32_t TAutomaton::Intern(uint16_t flags, const std::vector<TState>& ways) {
  FKey.assign(reinterpret_cast<const char*>(&flags), sizeof flags);
  FKey.append(reinterpret_cast<const char*>(ways.data()), ways.size() * sizeof(TState));
  if (auto found = FIndex.find(FKey); found != FIndex.end()) return found->second;
  const std::size_t cost =
      2 * FKey.size() + FStride * (sizeof(TMove) + 2 * sizeof(int32_t)) + kStateOverhead;
  if (FMemory + cost > FMemoryBound) {
    const int64_t scanned = FScanned + FNow - FStretch;
    if (scanned < kMovesPerState * static_cast<int64_t>(FInfo.size())) return -1;
    Forget();
  }
  FMemory += cost;
  ++FStatesMade;
  const auto state = static_cast<int32_t>(FInfo.size());
  TInfo info;
  info.Flags = flags;
  info.WaysBegin = static_cast<uint32_t>(FWays.size());
  info.WaysCount = static_cast<uint32_t>(ways.size());
  FMaxWays = std::max(FMaxWays, ways.size());
  FWays.insert(FWays.end(), ways.begin(), ways.end());
  FInfo.push_back(info);
  uint8_t kind = 0;
  if (ways.empty() && !(flags & kAddFresh)) kind |= kNoThreads;
  if (ways.empty() && (flags & kAddFresh) && (flags & kUnanchored)) kind |= kOnlyStarts;
  FKind.push_back(kind);
  FMoves.resize(FMoves.size() + static_cast<std::size_t>(FStride));
  FPlain.resize(FPlain.size() + static_cast<std::size_t>(FStride), -1);
  FTail.resize(FTail.size() + static_cast<std::size_t>(FStride), -1);
  FIndex.emplace(FKey, state);
  return state;
}

int32_t TAutomaton::Initial(std::string_view subject, int64_t at, bool anchored) {
  FNow = at;
  // What the cursor's context means to the threads, read from the characters before it alone:
  // a search begins here once per match.
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  uint16_t flags = kAddFresh;
  if (!anchored) flags |= kUnanchored;
  if (at == 0) {
    flags |= kStart;
  } else {
    const unsigned char p = bytes[at - 1];
    if (S.UnicodeWords ? UnicodeWordBefore(bytes, static_cast<int64_t>(subject.size()), at)
                       : S.WordLetters[p])
      flags |= kPrevWord;
    if (S.LineBreaks[p]) flags |= kPrevBreak;
    if (S.PairHead != 0 && p == S.PairHead) flags |= kPrevPairHead;
    if (S.PairHead != 0 && p == S.PairTail && at >= 2 && bytes[at - 2] == S.PairHead)
      flags |= kAfterPair;
  }
  if (S.UnicodeWords) {  // inside a character, how much of it is still to come
    const auto length = static_cast<int64_t>(subject.size());
    for (int64_t begin = at - 1; begin >= 0 && at - begin < 4; --begin) {
      if (IsUtf8Continuation(bytes[begin])) continue;
      char32_t c = 0;
      const int size = DecodeUtf8(bytes + begin, static_cast<std::size_t>(length - begin), c);
      if (begin + size > at) {
        flags = static_cast<uint16_t>(flags | (begin + size - at) << kInCharacterShift);
        if (IsUnicodeWord(c)) flags |= kPrevWord;
      }
      break;
    }
  }
  if (FInitial.empty()) FInitial.assign(kFlagValues, -1);
  int32_t& initial = FInitial[flags];
  if (initial < 0) initial = Intern(flags, {});
  return initial;
}

const TAutomaton::TMove* TAutomaton::Move(int32_t state, int symbol) {
  const TInfo info = FInfo[static_cast<std::size_t>(state)];
  const int kind = symbol / FBase, base = symbol % FBase;
  const int inCharacter = (info.Flags & kInCharacter) >> kInCharacterShift;
  TCursor cursor;
  cursor.PairAhead = base == FPairSymbol;
  cursor.C = cursor.PairAhead ? S.PairHead : FRepresentative[static_cast<std::size_t>(base)];
  cursor.Word = S.UnicodeWords && cursor.C >= 0x80 ? kind == kWordLead : S.WordLetters[cursor.C];
  cursor.Start = (info.Flags & kStart) != 0;
  // Inside a character no character ends before the cursor.
  cursor.PrevWord = (info.Flags & kPrevWord) != 0 && inCharacter == 0;
  cursor.PrevBreak = (info.Flags & kPrevBreak) != 0;
  cursor.PrevPairHead = (info.Flags & kPrevPairHead) != 0;
  cursor.AfterPair = (info.Flags & kAfterPair) != 0;

  // Follows each thread in order, noting which one every waiting thread comes from.
  FMachine.NewCursor();
  FWaiting.clear();
  FWaitingFrom.clear();
  TMove move;
  auto follow = [&](const TThreadMachine::TThread& thread, int32_t from) {
    const bool ended = FMachine.Follow(thread, cursor, 0, FWaiting);
    FWaitingFrom.resize(FWaiting.size(), from);
    if (ended) move.Match = from;
    return ended;
  };
  TThreadMachine::TThread thread = TThreadMachine::Fresh(0);
  bool matched = false;
  for (uint32_t i = 0; i < info.WaysCount && !matched; ++i) {
    thread.State = FWays[info.WaysBegin + i];
    matched = follow(thread, static_cast<int32_t>(i));
  }
  if (!matched && (info.Flags & kAddFresh) && StartAllowed(cursor, S))
    matched = follow(TThreadMachine::Fresh(0), kHere);

  // Advances the waiting threads; a thread in the same state as one before it would be dropped
  // when followed, so only the first is kept.
  FNextWays.clear();
  FMoveFrom.clear();
  if (cursor.C != 0)
    for (std::size_t i = 0; i < FWaiting.size(); ++i) {
      TThreadMachine::TThread& way = FWaiting[i];
      if (!FMachine.Advance(way, cursor)) continue;
      if (std::find(FNextWays.begin(), FNextWays.end(), way.State) != FNextWays.end()) continue;
      FNextWays.push_back(way.State);
      FMoveFrom.push_back(FWaitingFrom[i]);
    }
  const unsigned char c = cursor.C;
  uint16_t flags = info.Flags & kUnanchored;
  if (matched || (info.Flags & kMatched))
    flags |= kMatched;
  else if (flags & kUnanchored)
    flags |= kAddFresh;
  if (!S.UnicodeWords || c < 0x80) {
    if (S.WordLetters[c]) flags |= kPrevWord;
  } else if (IsUtf8Continuation(c)) {  // the character goes on, or a stray byte
    if (inCharacter > 0) {
      flags |= info.Flags & kPrevWord;
      flags = static_cast<uint16_t>(flags | (inCharacter - 1) << kInCharacterShift);
    }
  } else if (kind != kBrokenLead) {  // a character begins, as long as its first byte says
    if (kind == kWordLead) flags |= kPrevWord;
    flags = static_cast<uint16_t>(flags | (c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1) << kInCharacterShift);
  }
  if (S.LineBreaks[c]) flags |= kPrevBreak;
  if (S.PairHead != 0 && c == S.PairHead) flags |= kPrevPairHead;
  if (S.PairHead != 0 && c == S.PairTail && (info.Flags & kPrevPairHead)) flags |= kAfterPair;

  const int resets = FResets;
  move.Next = Intern(flags, FNextWays);
  if (move.Next < 0) return nullptr;
  move.Ways = static_cast<uint32_t>(FMoveFrom.size());
  move.Kind = FKind[static_cast<std::size_t>(move.Next)];
  move.Same = FMoveFrom.size() == info.WaysCount;
  for (std::size_t i = 0; i < FMoveFrom.size() && move.Same; ++i)
    move.Same = FMoveFrom[i] == static_cast<int32_t>(i);
  move.From = static_cast<uint32_t>(FFrom.size());
  FFrom.insert(FFrom.end(), FMoveFrom.begin(), FMoveFrom.end());
  FMemory += FMoveFrom.size() * sizeof(int32_t);
  // A reset forgets the state moved from, and its moves with it: the move is used once.
  if (resets != FResets) {
    FLastMove = move;
    return &FLastMove;
  }
  const std::size_t index = static_cast<std::size_t>(state) * static_cast<std::size_t>(FStride) +
                            static_cast<std::size_t>(symbol);
  FMoves[index] = move;
  // Where no thread is left but starts, a search skips ahead if it can; else it moves on.
  if (move.Match == kNoMatch && (move.Kind == 0 || (move.Kind == kOnlyStarts && !FNextStart)))
    FPlain[index] = move.Next * FStride;
  if (!(move.Kind & kNoThreads)) FTail[index] = move.Next * FStride * 2 + (move.Match != kNoMatch);
  return &FMoves[index];
}

// Moves from `state` over the character at `at` (the end's symbol at the subject's end).
inline const TAutomaton::TMove* TAutomaton::Step(int32_t state, const unsigned char* bytes,
                                                 int64_t length, int64_t at) {
  const int symbol = at < length ? SymbolAt(bytes, length, at) : FEndSymbol;
  const TMove* move = &FMoves[static_cast<std::size_t>(state) * static_cast<std::size_t>(FStride) +
                              static_cast<std::size_t>(symbol)];
  if (move->Next >= 0) return move;
  FNow = at;
  return Move(state, symbol);
}

// Moves on from `move`, made at `at` by the threads of a match whose start is settled, to where
// no thread is left, noting in `matchEnd` the last cursor where one reached the end.
TAutomaton::TOutcome TAutomaton::MatchEnd(const TMove* move, const unsigned char* bytes,
                                          int64_t length, int64_t& at, int64_t& matchEnd) {
  const auto stride = static_cast<std::size_t>(FStride);
  // Most moves need only the next row and whether a thread reached the end; kept in locals,
  // the loop touches no memory but the text and the table.
  int64_t i = at, end = matchEnd;
  std::size_t row = 0;
  const auto run = [&](const auto& symbolAt) {
    const int32_t* tails = FTail.data();
    for (++i; i < length; ++i) {
      const int32_t tail = tails[row + static_cast<std::size_t>(symbolAt(i))];
      if (tail < 0) break;
      if (tail & 1) end = i;
      row = static_cast<std::size_t>(tail >> 1);
    }
  };
  while (i < length && !(move->Kind & kNoThreads)) {
    row = static_cast<std::size_t>(move->Next) * stride;
    WithSymbols(bytes, length, run);
    if ((move = Step(static_cast<int32_t>(row / stride), bytes, length, i)) == nullptr) {
      at = i;
      return TOutcome::GaveUp;
    }
    if (move->Match != kNoMatch) end = i;
  }
  at = i;
  matchEnd = end;
  return TOutcome::Found;
}

TAutomaton::TOutcome TAutomaton::Search(std::string_view subject, int64_t start, bool anchored,
                                        int64_t& matchStart, int64_t& matchEnd) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  const auto length = static_cast<int64_t>(subject.size());
  if (start < 0 || start > length) return TOutcome::None;
  const TNextStart none;
  const TNextStart& skip = anchored ? none : FNextStart;
  if (skip && (start = skip(start)) < 0) return TOutcome::None;
  FStretch = start;
  int32_t state = Initial(subject, start, anchored);
  if (state < 0) return TOutcome::GaveUp;
  int64_t at = start;
  auto finish = [&](TOutcome outcome) {
    FScanned += at - FStretch;
    return outcome;
  };

  // First only the states, up to the cursor where a match first ends, noting the latest ones
  // (by their rows in the table of moves).
  int64_t from = start;
  const int resets = FResets;
  if (FHistory.empty()) FHistory.resize(kHistory);
  const TMove* move = nullptr;
  const auto stride = static_cast<std::size_t>(FStride);
  for (;; ++at) {
    // The common move, to a state that needs nothing more than its next move, goes by the
    // state's row in the table of moves.
    std::size_t row = static_cast<std::size_t>(state) * stride;
    WithSymbols(
        bytes, length, [&, history = FHistory.data(), plain = FPlain.data()](const auto& symbolAt) {
          int64_t i = at;
          for (; i < length; ++i) {
            history[static_cast<std::size_t>(i) & (kHistory - 1)] = static_cast<int32_t>(row);
            const int32_t next = plain[row + static_cast<std::size_t>(symbolAt(i))];
            if (next < 0) break;
            row = static_cast<std::size_t>(next);
          }
          at = i;
        });
    state = static_cast<int32_t>(row / stride);
    FHistory[static_cast<std::size_t>(at) & (kHistory - 1)] = static_cast<int32_t>(row);
    if ((move = Step(state, bytes, length, at)) == nullptr) return finish(TOutcome::GaveUp);
    if (move->Match != kNoMatch) break;
    state = move->Next;
    if (at >= length || (move->Kind & kNoThreads)) return finish(TOutcome::None);
    if (move->Kind & kOnlyStarts) {
      from = at + 1;
      if (!skip) continue;
      const int64_t next = skip(at + 1);
      if (next < 0) return finish(TOutcome::None);
      if (next > at + 1) {
        from = next;
        at = next - 1;
        if ((state = Initial(subject, next, false)) < 0) return finish(TOutcome::GaveUp);
      }
    }
  }
  FScanned += at - FStretch;
  FStretch = from;

  // The threads keep the order of their starts, so no thread alive there started before the
  // first one; where it started is found by following it back through the moves. The threads
  // that started earlier have all ended without a match, and the search goes on from there.
  const TMove matched = *move;  // the moves followed back may make the table grow
  const bool firstMatched =
      matched.Match == 0 ||
      (matched.Match == kHere && FInfo[static_cast<std::size_t>(state)].WaysCount == 0);
  if (resets == FResets) {
    int64_t back = at;
    int32_t thread = FInfo[static_cast<std::size_t>(state)].WaysCount == 0 ? kHere : 0;
    // Every move followed back was made on the way here, so the table has it.
    WithSymbols(bytes, length,
                [&, moves = FMoves.data(), comesFrom = FFrom.data(),
                 history = FHistory.data()](const auto& symbolAt) {
                  const int64_t oldest = std::max(from, at - static_cast<int64_t>(kHistory) + 1);
                  while (thread != kHere && back > oldest) {
                    --back;
                    const std::size_t row = static_cast<std::size_t>(
                        history[static_cast<std::size_t>(back) & (kHistory - 1)]);
                    const TMove& past = moves[row + static_cast<std::size_t>(symbolAt(back))];
                    thread = comesFrom[past.From + static_cast<uint32_t>(thread)];
                  }
                });
    if (thread == kHere) {
      from = back;
      // The first thread itself reached the end: no thread is ahead of it, the threads behind
      // it are cut off and no start is tried after a match, so every thread left comes from
      // it. The match starts where it started, and only its end is still to find.
      if (firstMatched) {
        matchStart = from;
        matchEnd = at;
        FStretch = at;
        return finish(MatchEnd(&matched, bytes, length, at, matchEnd));
      }
    }
  }

  // Then again from there with the starts of the threads, to where no thread is left.
  at = start = from;
  if ((state = Initial(subject, from, anchored)) < 0) return TOutcome::GaveUp;
  FStarts.resize(FMaxWays);
  FNextStarts.resize(FMaxWays);
  bool found = false;
  for (;; ++at) {
    if ((move = Step(state, bytes, length, at)) == nullptr) return finish(TOutcome::GaveUp);
    state = move->Next;
    if (move->Match != kNoMatch) {
      found = true;
      matchStart = move->Match == kHere ? at : FStarts[static_cast<std::size_t>(move->Match)];
      matchEnd = at;
    }
    if (!move->Same) {
      // The starts of the threads moved to, from those of the threads they come from.
      if (FStarts.size() < FMaxWays) {
        FStarts.resize(FMaxWays);
        FNextStarts.resize(FMaxWays);
      }
      const int32_t* comesFrom = FFrom.data() + move->From;
      int64_t* next = FNextStarts.data();
      const int64_t* starts = FStarts.data();
      for (uint32_t i = 0; i < move->Ways; ++i)
        next[i] = comesFrom[i] == kHere ? at : starts[comesFrom[i]];
      FStarts.swap(FNextStarts);
    }
    if (at >= length || (move->Kind & kNoThreads)) break;
  }
  return finish(found ? TOutcome::Found : TOutcome::None);
}

}  // namespace fendrel

// The threads (see RegExprThreads.h).
//
// They follow the backtracker node by node (RegExprBacktracker.cpp), so that the order in which it
// keeps threads is the order in which the backtracker would try the same ways:
//  - a branch whose next node is a branch tries its own alternative first, then the next one;
//  - a jump back goes to its loop target unless the iteration consumed nothing since the target
//    was reached, when it falls through to the exit laid out behind it;
//  - a compact repetition tries one more repetition first when greedy, leaving first when lazy;
//  - a complex loop iterates while under its minimum; above it, a greedy loop tries one more
//    iteration first, a lazy one leaving first; an open loop whose last iteration consumed
//    nothing only leaves.
// The backtracker's node flags only save it work without changing what it finds, so they are
// not consulted here: a difference between the two shows a fault in one of them.
#include "RegExprThreads.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "RegExprCharSet.h"

namespace fendrel {
namespace {

constexpr uint32_t kNoTarget = 0xFFFFFFFF;
constexpr int kMaxTargets = 32;  // loop targets: one bit each in a state
// Counts kept in a state: beyond these the threads of one cursor would grow too many.
constexpr int64_t kMaxKeptCount = 1000;
constexpr int64_t kMaxLoopCombinations = 1 << 16;

// The nodes that take characters one by one: a node of one character, or literal text.
bool IsSimple(TREOp op) {
  return IsOneCharacterNode(op) || op == opLiteral || op == opLiteralCI;
}

bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// A compact repetition's bounds, its repeated node, and the highest count a state keeps: above
// it every count behaves the same.
struct TRepetition {
  int64_t Minimum = 0, Maximum = kREStarMaximum;
  bool Greedy = true;
  const uint8_t* Repeated = nullptr;
  int64_t Kept = 0;
};

TRepetition RepetitionOf(const uint8_t* node) {
  TRepetition r;
  const TREOp op = NodeOp(node);
  const uint8_t* operand = NodeOperand(node);
  r.Repeated = operand;
  if (op == opPlus || op == opPlusLazy) r.Minimum = 1;
  if (op == opRepeat || op == opRepeatLazy) {
    r.Minimum = ReadInt32(operand);
    r.Maximum = ReadInt32(operand + kRENumberSize);
    r.Repeated = operand + 2 * kRENumberSize;
  }
  r.Greedy = op == opStar || op == opPlus || op == opRepeat;
  const bool open = r.Maximum == kREStarMaximum || r.Maximum == kREInfinity;
  r.Kept = open ? r.Minimum : r.Maximum;
  return r;
}

// The same for a complex loop: a count above its minimum matters only while it is under a
// finite maximum, and whether it is 0 (an open loop's stalled iteration needs one behind it).
struct TLoop {
  int64_t Minimum = 0, Maximum = 0;
  const uint8_t* Body = nullptr;
  int64_t Kept = 0;
};

TLoop LoopOf(const uint8_t* node) {
  TLoop l;
  const uint8_t* operand = NodeOperand(node);
  l.Minimum = ReadInt32(operand);
  l.Maximum = ReadInt32(operand + kRENumberSize);
  l.Body = node + ReadInt32(operand + 2 * kRENumberSize);
  l.Kept = l.Maximum == kREInfinity ? std::max<int64_t>(l.Minimum, 1) : l.Maximum;
  return l;
}

}  // namespace

bool ThreadsCanRun(std::string_view text) {
  const auto* program = reinterpret_cast<const uint8_t*>(text.data());
  const std::size_t size = text.size();
  if (size < 1 + kREHeaderSize || program[0] != kREMagic) return false;
  int targets = 0;
  int64_t combinations = 1;
  std::vector<std::pair<const uint8_t*, const uint8_t*>> loops;  // entry and loop node
  std::vector<bool> isTarget(size, false);
  for (std::size_t at = 1; at + kREHeaderSize <= size;) {
    const uint8_t* node = program + at;
    const TREOp op = NodeOp(node);
    const uint8_t* next = NodeNext(node);
    // Only the end has no next node; the backtracker would stop with an error elsewhere.
    if (op != opEnd && next == nullptr) return false;
    if (next != nullptr && (next < program + 1 || next >= program + size)) return false;
    std::size_t nodeSize = NodeSize(node);
    if (IsRepetition(op)) {
      const TRepetition r = RepetitionOf(node);
      if (!IsSimple(NodeOp(r.Repeated)) || r.Minimum < 0 || r.Maximum < r.Minimum ||
          r.Kept > kMaxKeptCount)
        return false;
      nodeSize += NodeSize(r.Repeated);  // the repeated node runs only inside the repetition
    } else if (op == opLoop || op == opLoopLazy) {
      const TLoop l = LoopOf(node);
      if (l.Minimum < 0 || l.Maximum < l.Minimum || l.Kept > kMaxKeptCount) return false;
      if (l.Body < program + 1 + kREHeaderSize || l.Body >= node) return false;
      if (NodeOp(l.Body - kREHeaderSize) != opLoopEntry) return false;
      loops.emplace_back(l.Body - kREHeaderSize, node);
      combinations *= l.Kept + 1;
      if (combinations > kMaxLoopCombinations) return false;
    } else if (op == opLoopEntry) {
      // its loop node checks it
    } else if (op == opBack) {
      const auto target = static_cast<std::size_t>(next - program);
      if (!isTarget[target]) {
        isTarget[target] = true;
        if (++targets > kMaxTargets) return false;
      }
    } else if (!IsSimple(op) && !IsGroupOpen(op) && !IsGroupClose(op)) {
      switch (op) {
        case opEnd:
        case opTextStart:
        case opTextEnd:
        case opBranch:
        case opNothing:
        case opComment:
        case opLineStart:
        case opLineEnd:
        case opWordBound:
        case opNotWordBound:
          break;
        default:
          return false;  // back-references, and codes never produced
      }
    }
    at += nodeSize;
  }
  // A loop's body lies between its entry and its loop node, so the loops a thread is inside at
  // once are those whose spans hold one another; deeper than the backtracker's loop stack, it
  // stops with an error.
  // (No structured binding here: clang before 16 cannot capture one in a lambda.)
  for (const auto& inner : loops) {
    const auto depth = std::count_if(loops.begin(), loops.end(), [&](const auto& outer) {
      return outer.first <= inner.first && outer.second >= inner.second;
    });
    if (depth > kRELoopMax) return false;
  }
  return true;
}

std::size_t TThreadMachine::TStateHash::operator()(const TState& state) const {
  static_assert(std::has_unique_object_representations_v<TState>);
  static_assert(sizeof(TState) % sizeof(uint64_t) == 0);
  uint64_t words[sizeof(TState) / sizeof(uint64_t)];
  std::memcpy(words, &state, sizeof words);
  uint64_t hash = 14695981039346656037ull;
  for (uint64_t word : words)
    hash = (hash ^ word) * 1099511628211ull;
  return static_cast<std::size_t>(hash ^ (hash >> 29));
}

TThreadMachine::TThreadMachine(std::string_view program, const TThreadSettings& settings)
    : FProgram(reinterpret_cast<const uint8_t*>(program.data())), S(settings) {
  FTargetIndex.assign(program.size(), kNoTarget);
  uint32_t targets = 0;
  for (std::size_t at = 1; at + kREHeaderSize <= program.size();) {
    const uint8_t* node = FProgram + at;
    std::size_t nodeSize = NodeSize(node);
    if (IsRepetition(NodeOp(node))) nodeSize += NodeSize(RepetitionOf(node).Repeated);
    if (NodeOp(node) == opBack) {
      const auto target = static_cast<std::size_t>(NodeNext(node) - FProgram);
      if (FTargetIndex[target] == kNoTarget) FTargetIndex[target] = targets++;
    }
    at += nodeSize;
  }
}

TCursor CursorAt(std::string_view subject, int64_t at, const TThreadSettings& settings) {
  const auto length = static_cast<int64_t>(subject.size());
  auto byte = [&](int64_t i) {
    return i >= 0 && i < length ? static_cast<unsigned char>(subject[i]) : 0;
  };
  TCursor cursor;
  cursor.C = byte(at);
  cursor.Word = settings.WordLetters[cursor.C];
  const unsigned char head = settings.PairHead, tail = settings.PairTail;
  cursor.PairAhead = head != 0 && cursor.C == head && byte(at + 1) == tail;
  cursor.Start = at == 0;
  if (settings.UnicodeWords) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
    cursor.Word = UnicodeWordAt(bytes, length, at);
    cursor.PrevWord = UnicodeWordBefore(bytes, length, at);
  }
  if (at > 0) {
    const unsigned char p = byte(at - 1);
    if (!settings.UnicodeWords) cursor.PrevWord = settings.WordLetters[p];
    cursor.PrevBreak = settings.LineBreaks[p];
    cursor.PrevPairHead = head != 0 && p == head;
    cursor.AfterPair = head != 0 && p == tail && at >= 2 && byte(at - 2) == head;
  }
  return cursor;
}

bool TThreadMachine::Takes(const uint8_t* node, uint32_t index, const TCursor& cursor) const {
  const unsigned char c = cursor.C;
  if (c == 0) return false;  // the end of the subject matches no character
  const uint8_t* operand = NodeOperand(node);
  switch (NodeOp(node)) {
    case opAnyChar:
      return true;
    case opAnyButBreak:
      return !S.LineBreaks[c] && !cursor.PairAhead;
    case opLiteral:
      return c == operand[index];
    case opLiteralCI:
      return c == operand[index] || c == S.CaseFlip[operand[index]];
    case opDigit:
      return IsDigit(c);
    case opNonDigit:
      return !IsDigit(c);
    case opTinySet:
      return c == operand[0] || c == operand[1] || c == operand[2];
    case opTinyNotSet:
      return c != operand[0] && c != operand[1] && c != operand[2];
    case opFullSet:
      return ((operand[c / 8] >> (c % 8)) & 1) != 0;
    default:
      return false;
  }
}

bool TThreadMachine::AssertionHolds(TREOp op, const TCursor& cursor) const {
  const unsigned char c = cursor.C;
  switch (op) {
    case opTextStart:
      return cursor.Start;
    case opTextEnd:
      return c == 0;
    case opLineStart:
      if (cursor.Start || cursor.AfterPair) return true;
      if (cursor.PrevPairHead && c == S.PairTail) return false;  // no line starts inside the pair
      return cursor.PrevBreak;
    case opLineEnd:
      if (c == 0 || cursor.PairAhead) return true;
      if (cursor.PrevPairHead && c == S.PairTail) return false;
      return S.LineBreaks[c];
    case opWordBound:
    case opNotWordBound:
      return (cursor.PrevWord != cursor.Word) == (op == opWordBound);
    default:
      return false;
  }
}

bool TThreadMachine::FirstAtCursor(const TState& state) {
  // Most cursors meet a handful of states, which a list compares faster than a set hashes.
  constexpr std::size_t kListed = 16;
  if (FHere.size() < kListed) {
    if (std::find(FHere.begin(), FHere.end(), state) != FHere.end()) return false;
    FHere.push_back(state);
    if (FHere.size() == kListed) FHereSet.insert(FHere.begin(), FHere.end());
  } else if (!FHereSet.insert(state).second) {
    return false;
  }
  FMostHere = std::max(FMostHere, FHere.size() < kListed ? FHere.size() : FHereSet.size());
  return true;
}

TThreadMachine::TThread TThreadMachine::Fresh(int64_t at) {
  TThread thread{};
  thread.State.Node = 1;
  std::fill(std::begin(thread.Groups), std::end(thread.Groups), -1);
  thread.Groups[0] = at;
  return thread;
}

bool TThreadMachine::Follow(const TThread& thread, const TCursor& cursor, int64_t at,
                            std::vector<TThread>& waiting) {
  FStack.clear();
  FStack.push_back(thread);
  while (!FStack.empty()) {
    TThread t = FStack.back();
    FStack.pop_back();
    TState& s = t.State;
    const uint8_t* node = FProgram + s.Node;
    if (!s.Waiting && FTargetIndex[s.Node] != kNoTarget)
      s.TargetsHere |= 1u << FTargetIndex[s.Node];
    if (!FirstAtCursor(s)) continue;  // a thread the backtracker tries earlier was here first
    if (s.Waiting) {
      waiting.push_back(t);
      continue;
    }
    const TREOp op = NodeOp(node);
    const uint8_t* operand = NodeOperand(node);
    const uint8_t* next = NodeNext(node);
    // Pushes the way to `to`; of two ways, the one pushed last is tried first.
    auto go = [this](TThread way, const uint8_t* to) {
      way.State.Node = static_cast<uint32_t>(to - FProgram);
      way.State.Count = 0;
      FStack.push_back(way);
    };
    auto wait = [this](TThread way) {
      // What was reached at this cursor cannot matter once a character is consumed.
      way.State.Waiting = 1;
      way.State.TargetsHere = 0;
      way.State.IterationHere = 0;
      FStack.push_back(way);
    };

    if (op == opEnd) {
      std::copy(std::begin(t.Groups), std::end(t.Groups), std::begin(FMatch));
      FMatch[kREGroupCount] = at;
      FStack.clear();  // every way still open comes after this one
      return true;
    }
    if (IsGroupOpen(op) || IsGroupClose(op)) {
      if (IsGroupOpen(op))
        t.Groups[op - opOpenFirst + 1] = at;
      else
        t.Groups[kREGroupCount + op - opCloseFirst + 1] = at;
      go(t, next);
      continue;
    }
    if (IsSimple(op)) {
      if ((op == opLiteral || op == opLiteralCI) && operand[0] == 0)
        go(t, next);
      else
        wait(t);
      continue;
    }
    if (IsRepetition(op)) {
      const TRepetition r = RepetitionOf(node);
      const int64_t count = s.Count;
      const bool leave = count >= r.Minimum;
      const bool more = count < r.Maximum;
      if (r.Greedy) {
        if (leave) go(t, next);
        if (more) wait(t);
      } else {
        if (more) wait(t);
        if (leave) go(t, next);
      }
      continue;
    }
    switch (op) {
      case opTextStart:
      case opTextEnd:
      case opLineStart:
      case opLineEnd:
      case opWordBound:
      case opNotWordBound:
        if (AssertionHolds(op, cursor)) go(t, next);
        break;
      case opNothing:
      case opComment:
        go(t, next);
        break;
      case opBranch:
        if (NodeOp(next) == opBranch) go(t, next);
        go(t, operand);
        break;
      case opBack: {
        const uint32_t target = FTargetIndex[static_cast<std::size_t>(next - FProgram)];
        // An iteration that consumed nothing ends the loop through the exit behind the jump.
        if (s.TargetsHere & (1u << target))
          go(t, node + kREHeaderSize);
        else
          go(t, next);
        break;
      }
      case opLoopEntry: {
        const int depth = s.Depth + 1;
        s.Depth = static_cast<uint8_t>(depth);
        s.Counters[depth] = 0;
        s.IterationHere = static_cast<uint16_t>(s.IterationHere & ~(1u << depth));
        go(t, next);
        break;
      }
      case opLoop:
      case opLoopLazy: {
        const TLoop l = LoopOf(node);
        const int depth = s.Depth;
        const int64_t count = s.Counters[depth];
        const bool stalled = count > 0 && (s.IterationHere & (1u << depth)) != 0;
        TThread iterate = t;
        iterate.State.Counters[depth] = static_cast<uint16_t>(std::min(count + 1, l.Kept));
        iterate.State.IterationHere = static_cast<uint16_t>(s.IterationHere | 1u << depth);
        TThread leave = t;
        leave.State.Counters[depth] = 0;  // the next entry starts the count afresh
        leave.State.IterationHere = static_cast<uint16_t>(s.IterationHere & ~(1u << depth));
        leave.State.Depth = static_cast<uint8_t>(depth - 1);
        const bool more = count < l.Maximum && !(stalled && l.Maximum == kREInfinity);
        if (count < l.Minimum) {
          go(iterate, l.Body);
        } else if (more && op == opLoop) {
          go(leave, next);
          go(iterate, l.Body);
        } else if (more) {
          go(iterate, l.Body);
          go(leave, next);
        } else {
          go(leave, next);
        }
        break;
      }
      default:
        break;  // ThreadsCanRun admits no other code
    }
  }
  return false;
}

int32_t TThreadMachine::SetStep(const uint8_t* node, uint32_t state, const TCursor& cursor) const {
  const uint8_t* operand = NodeOperand(node);
  const unsigned char c = cursor.C;
  if (c == 0) return -1;
  if (state == 0 && c < 0x80 && (CharSetFlags(operand) & kCharSetStopsAtBreaks) &&
      (S.LineBreaks[c] || cursor.PairAhead))
    return -1;
  return CharSetStep(operand, static_cast<int32_t>(state), c);
}

bool TThreadMachine::Advance(TThread& thread, const TCursor& cursor) const {
  TState& s = thread.State;
  const uint8_t* node = FProgram + s.Node;
  s.Waiting = 0;
  if (IsRepetition(NodeOp(node))) {
    const TRepetition r = RepetitionOf(node);
    if (NodeOp(r.Repeated) == opCharSet) {
      const int32_t next = SetStep(r.Repeated, s.SetState, cursor);
      if (next < 0) return false;
      if (next != kCharSetAccept) {  // inside the character: on with its next byte
        s.SetState = static_cast<uint16_t>(next);
        s.Waiting = 1;
        return true;
      }
      s.SetState = 0;
    } else if (!Takes(r.Repeated, 0, cursor)) {
      return false;
    }
    s.Count = static_cast<uint32_t>(std::min<int64_t>(s.Count + 1, r.Kept));
    return true;
  }
  if (NodeOp(node) == opCharSet) {
    const int32_t next = SetStep(node, s.Count, cursor);
    if (next < 0) return false;
    if (next != kCharSetAccept) {
      s.Count = static_cast<uint32_t>(next);
      s.Waiting = 1;
    } else {
      s.Node = static_cast<uint32_t>(NodeNext(node) - FProgram);
      s.Count = 0;
    }
    return true;
  }
  if (!Takes(node, s.Count, cursor)) return false;
  const bool text = NodeOp(node) == opLiteral || NodeOp(node) == opLiteralCI;
  if (text && NodeOperand(node)[s.Count + 1] != 0) {
    s.Waiting = 1;  // the rest of the text still to take
    ++s.Count;
  } else {
    s.Node = static_cast<uint32_t>(NodeNext(node) - FProgram);
    s.Count = 0;
  }
  return true;
}

TThreadSettings TRegExpr::ThreadSettings() const {
  TThreadSettings settings;
  settings.LineBreaks = FLineBreakSet;
  settings.WordLetters = FWordSet;
  settings.PairHead = FPairHead;
  settings.PairTail = FPairTail;
  settings.CaseFlip = FNodes.CaseFlip;
  settings.Utf8 = FProgramUtf8;
  // Decoding the characters around every cursor costs; only word boundaries need it.
  settings.UnicodeWords = UnicodeWords() && ProgramHas(Program(), [](TREOp op) {
                            return op == opWordBound || op == opNotWordBound;
                          });
  return settings;
}

bool ThreadSettingsOf(TRegExpr& regExpr, TThreadSettings& settings) {
  if (!regExpr.PrepareProgram()) return false;
  settings = regExpr.ThreadSettings();
  return true;
}

}  // namespace fendrel

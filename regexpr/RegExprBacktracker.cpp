// The backtracker (see RegExprBacktracker.h).
#include "RegExprBacktracker.h"

#include <algorithm>
#include <cstring>

#include "RegExprCharSet.h"
#include "RegExprLiteralFinder.h"

namespace fendrel {

namespace {

bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// How many of the `limit` bytes from `at` on are in the set of bytes `operand` (opFullSet).
int64_t FullSetRun(const uint8_t* operand, const unsigned char* at, int64_t limit) {
  int64_t count = 0;
  while (count < limit && ((operand[at[count] / 8] >> (at[count] % 8)) & 1) != 0)
    ++count;
  return count;
}

}  // namespace

TBacktracker::TBacktracker(TRegExpr& regExpr) : R(regExpr) {}

void TBacktracker::StartSearch(int64_t budget, std::size_t records) {
  FBudget = FBudgetGiven = budget;
  FMaxRecords = records;
  FProgram = R.FProgram.get();
  FSubject = reinterpret_cast<const unsigned char*>(R.FSubject.data());
  FLength = static_cast<int64_t>(R.FSubject.size());
  FUtf8 = R.FProgramUtf8;
  FUnicodeWords = R.UnicodeWords();
  // Stale entries need no reset: an iteration's entry is set whenever it reaches its target.
  FFlags = R.FNodes.Flags.data();
  if (FLoopTargetEntries.size() != R.FProgramSize) FLoopTargetEntries.assign(R.FProgramSize, -1);
  FKnownRunStart = FKnownRunEnd = -1;
  FKnownBackRef.Attempt = -1;
}

bool TBacktracker::InKnownRun(uint8_t flags) const {
  return (flags & nfLeadRun) && FKnownRunStart < FCursor && FCursor < FKnownRunEnd;
}

void TBacktracker::NoteLeadRun(int64_t start, bool cutShort, int64_t minimum) {
  FLeadRunEnd = cutShort ? FCursor : -1;
  if (cutShort) {
    FKnownRunStart = start;
    FKnownRunEnd = FCursor;
    FKnownRunMinimum = minimum;
    FKnownBackRef.Attempt = -1;
  }
}

bool TBacktracker::KnownToFail(int64_t start) {
  const TKnownBackRef& known = FKnownBackRef;
  // The run taken from `start` must meet the repetition's minimum: one character at most.
  if (known.Attempt < 0 || start <= known.Attempt || start >= FKnownRunEnd ||
      FKnownRunMinimum > 1 || (FUtf8 && IsUtf8Continuation(FSubject[start])))
    return false;
  // Bounds the attempt set where it began are set at `start` now; the others where they were.
  const int64_t groupStart = known.Start == known.Attempt ? start : known.Start;
  const int64_t groupEnd = known.End == known.Attempt ? start : known.End;
  if (!known.IgnoreCase && groupStart >= 0 && groupStart < groupEnd &&
      FSubject[groupStart] != At(known.Cursor)) {  // most fail at the first character
    Spend(1);
    return true;
  }
  int64_t length = 0;
  return !TextMatches(groupStart, groupEnd, known.IgnoreCase, known.Cursor, length);
}

int64_t TBacktracker::FirstUnknownStart(int64_t start) {
  while (start < FKnownRunEnd && KnownToFail(start))
    ++start;
  return start;
}

// Called where the choice about to be opened always ends in a match: no failure can reach past
// it, so what lies below it is never undone. Without this, a loop such as (a|b)* at the end of a
// pattern would keep records for every character of its run.
void TBacktracker::DropAllChoices() {
  FStack.clear();
}

void TBacktracker::Spend(int64_t steps) {
  if ((FBudget -= steps) < 0) throw TBacktrackingSpent{};
  if ((FUntilStopCheck -= steps) < 0) {
    FUntilStopCheck = kStepsBetweenStopChecks;
    CheckSearchStop();
  }
}

bool TBacktracker::MatchOne(const uint8_t* node, unsigned char c) const {
  const uint8_t* operand = NodeOperand(node);
  switch (NodeOp(node)) {
    case opAnyChar:
      return c != 0;
    case opLiteral:
      return c != 0 && c == operand[0];
    case opLiteralCI:
      return c != 0 && (c == operand[0] || c == R.FNodes.CaseFlip[operand[0]]);
    case opDigit:
      return IsDigit(c);
    case opNonDigit:
      return c != 0 && !IsDigit(c);
    case opTinySet:
      return c != 0 && (c == operand[0] || c == operand[1] || c == operand[2]);
    case opTinyNotSet:
      return c != 0 && c != operand[0] && c != operand[1] && c != operand[2];
    case opFullSet:
      return c != 0 && ((operand[c / 8] >> (c % 8)) & 1) != 0;
    default:
      R.Fail(1000);
  }
}

int TBacktracker::SetCharAt(const uint8_t* node, int64_t at) const {
  const uint8_t* operand = NodeOperand(node);
  const unsigned char c = At(at);
  if (c >= 0x80) return CharSetMatch(operand, FSubject + at, FLength - at);
  if (c == 0 || !CharSetHasAscii(operand, c)) return 0;
  if ((CharSetFlags(operand) & kCharSetStopsAtBreaks) &&
      (R.FLineBreakSet[c] || (c == R.FPairHead && At(at + 1) == R.FPairTail)))
    return 0;
  return 1;
}

bool TBacktracker::InsideCharacter(int64_t from, int64_t at) const {
  // Only a continuation byte lies inside a valid character; at the run's end it may be a stray.
  if (!IsUtf8Continuation(At(at))) return false;
  int64_t begin = at - 1;
  while (begin > from && at - begin < 4 && IsUtf8Continuation(FSubject[begin]))
    --begin;
  char32_t c = 0;
  return begin >= from &&
         begin + DecodeUtf8(FSubject + begin, static_cast<std::size_t>(FLength - begin), c) > at;
}

bool TBacktracker::BackRefMatches(int group, bool ignoreCase, int64_t at, int64_t& length) {
  if (group < 1 || group >= kREGroupCount) return false;
  return TextMatches(R.FMatchStarts[group], R.FMatchEnds[group], ignoreCase, at, length);
}

bool TBacktracker::TextMatches(int64_t start, int64_t end, bool ignoreCase, int64_t at,
                               int64_t& length) {
  // Each character compared is a step: a text compared again from many starts is as much
  // work as a loop.
  int64_t compared = 0;
  const bool matches = CompareText(start, end, ignoreCase, at, length, compared);
  Spend(compared);
  return matches;
}

bool TBacktracker::CompareText(int64_t start, int64_t end, bool ignoreCase, int64_t at,
                               int64_t& length, int64_t& compared) const {
  if (start < 0 || end < 0 || end < start) return false;
  if (ignoreCase && FUtf8) {
    // Character by character: a letter and its other case may differ in length.
    int64_t g = start, c = at;
    for (; g < end; ++compared) {
      char32_t a = 0, b = 0;
      const int n = DecodeUtf8(FSubject + g, static_cast<std::size_t>(FLength - g), a);
      const int m =
          c < FLength ? DecodeUtf8(FSubject + c, static_cast<std::size_t>(FLength - c), b) : 0;
      if (n == 0 || m == 0 || a < 0x80 || b < 0x80) {  // bytes, ASCII letters by the table
        const unsigned char x = FSubject[g], y = At(c);
        if (y == 0 || (y != x && y != R.FNodes.CaseFlip[x])) return false;
        ++g;
        ++c;
        continue;
      }
      if (a != b && SimpleFold(a) != SimpleFold(b)) return false;
      g += n;
      c += m;
    }
    length = c - at;
    return true;
  }
  length = end - start;
  if (at + length > FLength) return false;
  for (; compared < length; ++compared) {
    const unsigned char g = At(start + compared), c = At(at + compared);
    if (c != g && !(ignoreCase && c == R.FNodes.CaseFlip[g])) return false;
  }
  return true;
}

int64_t TBacktracker::RegRepeat(const uint8_t* node, int64_t maximum, int64_t& step) {
  step = 1;
  const TREOp op = NodeOp(node);
  if (op == opBackRef || op == opBackRefCI) {
    FBackRefTried = true;
    const int group = NodeOperand(node)[0];
    int64_t count = 0, length = 0;
    while (count < maximum && BackRefMatches(group, op == opBackRefCI, FCursor, length)) {
      ++count;
      if (length == 0) break;  // an empty text repeats once; more would stand still
      FCursor += length;
    }
    step = length;
    Spend(count);
    return count;
  }
  // Within `limit` the subject has no NUL, so the loops need not look for the end.
  const int64_t limit = std::min(maximum, FLength - FCursor);
  const unsigned char* at = FSubject + FCursor;
  const uint8_t* operand = NodeOperand(node);
  int64_t count = 0;
  switch (op) {
    case opAnyChar:
      count = limit;
      break;
    case opAnyButBreak: {
      // To the line's end, 16 places at a time: a search for lines spends most of its time here.
      const TByteSetFinder& ends = R.LineEndFinder();
      const std::string_view run(reinterpret_cast<const char*>(at),
                                 static_cast<std::size_t>(limit));
      for (count = 0; (count = ends.Next(run, count)) >= 0; ++count)
        if (R.FLineBreakSet[at[count]] || At(FCursor + count + 1) == R.FPairTail) break;
      if (count < 0) count = limit;
      break;
    }
    case opLiteral:
      while (count < limit && at[count] == operand[0])
        ++count;
      break;
    case opFullSet:
      count = FullSetRun(operand, at, limit);
      break;
    default:
      while (count < limit && MatchOne(node, at[count]))
        ++count;
  }
  FCursor += count;
  // A run of many characters is as much work as as many steps: a pattern that runs over the
  // same characters again from every start spends its budget as a loop would.
  Spend(count);
  return count;
}

bool TBacktracker::RepeatChars(const uint8_t* repeated, int64_t minimum, int64_t maximum,
                               bool greedy, uint8_t flags, const uint8_t* next) {
  const int64_t save = FCursor;
  // Only a repetition that never gives back needs no count: inside the run, at a character's
  // first byte, it takes one character at least.
  if ((flags & nfPossessive) && minimum <= 1 && InKnownRun(flags) &&
      !IsUtf8Continuation(FSubject[FCursor])) {
    FCursor = FKnownRunEnd;
    FLeadRunEnd = FCursor;
    return true;
  }
  int64_t count = 0, minimumEnd = save;
  const uint8_t* operand = NodeOperand(repeated);
  const bool stopsAtBreaks = (CharSetFlags(operand) & kCharSetStopsAtBreaks) != 0;
  const std::bitset<0x780>& twoBytes = R.FNodes.TwoByteMembers[static_cast<std::size_t>(
      R.FNodes.TwoByteIndex[static_cast<std::size_t>(repeated - FProgram)])];
  if ((CharSetFlags(operand) & kCharSetAny) && maximum == kREStarMaximum) {
    // `.*` over lines: runs of ASCII, all of them members, are passed over to the next byte
    // that may end the run, many places at a time.
    const TByteSetFinder& stops = R.CharacterStopFinder(stopsAtBreaks);
    const std::string_view subject(reinterpret_cast<const char*>(FSubject),
                                   static_cast<std::size_t>(FLength));
    for (;;) {
      const unsigned char c = At(FCursor);
      int64_t length = 1, characters = 1;
      if (c >= 0xC2 && c <= 0xDF && IsUtf8Continuation(At(FCursor + 1))) {
        length = 2;  // a valid sequence of two bytes, as most letters beyond ASCII are
      } else if (c >= 0x80) {
        if ((length = CharSetMatch(operand, FSubject + FCursor, FLength - FCursor)) == 0) break;
      } else if (c == 0 ||
                 (stopsAtBreaks &&
                  (R.FLineBreakSet[c] || (c == R.FPairHead && At(FCursor + 1) == R.FPairTail)))) {
        break;
      } else {
        const int64_t stop = stops.Next(subject, FCursor + 1);
        length = characters = (stop < 0 ? FLength : stop) - FCursor;
      }
      if (count < minimum && count + characters >= minimum)
        minimumEnd = FCursor + (minimum - count) * (c >= 0x80 ? length : 1);
      FCursor += length;
      count += characters;
    }
  }
  while (count < maximum) {
    // ASCII characters, most of every text, straight from the set's table; letters of two
    // bytes from the set's bits.
    const unsigned char c = At(FCursor);
    int length = 1;
    if (c >= 0xC2 && c <= 0xDF && IsUtf8Continuation(At(FCursor + 1))) {
      if (!twoBytes[static_cast<std::size_t>(((c & 0x1F) << 6 | (At(FCursor + 1) & 0x3F)) - 0x80)])
        break;
      length = 2;
    } else if (c >= 0x80) {
      if ((length = CharSetMatch(operand, FSubject + FCursor, FLength - FCursor)) == 0) break;
    } else if (c == 0 || !CharSetHasAscii(operand, c) ||
               (stopsAtBreaks &&
                (R.FLineBreakSet[c] || (c == R.FPairHead && At(FCursor + 1) == R.FPairTail)))) {
      break;
    }
    FCursor += length;
    if (++count == minimum) minimumEnd = FCursor;
  }
  Spend(count);
  if (flags & nfLeadRun) NoteLeadRun(save, count < maximum, minimum);
  if (count < minimum) return false;
  if (flags & nfPossessive) return true;
  TUndo undo{greedy ? TUndo::kRepeatGreedy : TUndo::kRepeatLazy};
  undo.Chars = true;
  undo.Node = next;
  undo.Cursor = save;
  undo.LookAhead = next != nullptr && NodeOp(next) == opLiteral ? NodeOperand(next)[0] : -1;
  // The counts tried are bytes; those that end inside a character are passed over.
  const int64_t bytes = FCursor - save;
  undo.Value = greedy ? bytes + 1 : minimumEnd - save - 1;
  undo.Limit = greedy ? minimumEnd - save : bytes;
  PushUndo(undo);
  return false;
}

bool TBacktracker::Repeat(const uint8_t* repeated, int64_t minimum, int64_t maximum, bool greedy,
                          uint8_t flags, const uint8_t* next) {
  if (NodeOp(repeated) == opCharSet)
    return RepeatChars(repeated, minimum, maximum, greedy, flags, next);
  const int64_t save = FCursor;
  int64_t step = 1, count = 0;
  const TREOp op = NodeOp(repeated);
  if (op != opBackRef && op != opBackRefCI && InKnownRun(flags)) {
    count = FKnownRunEnd - FCursor;  // one byte a repetition
    FCursor = FKnownRunEnd;
  } else if (op == opFullSet) {  // \w+ \s+, the most common, without a call
    count =
        FullSetRun(NodeOperand(repeated), FSubject + FCursor, std::min(maximum, FLength - FCursor));
    FCursor += count;
    Spend(count);
  } else {
    count = RegRepeat(repeated, maximum, step);
  }
  // A run cut short by the maximum may go on: later starts reach cursors this one cannot.
  if (flags & nfLeadRun) NoteLeadRun(save, count < maximum, minimum);
  // An empty back-referenced text repeats without moving, as often as the minimum asks.
  if (step == 0 && count > 0 && count < minimum) count = std::min(minimum, maximum);
  if (count < minimum) return false;
  if (flags & nfPossessive) return true;  // fewer or more cannot help: go on with all of them
  TUndo undo{greedy ? TUndo::kRepeatGreedy : TUndo::kRepeatLazy};
  undo.Node = next;
  undo.Cursor = save;
  undo.Step = step;
  undo.LookAhead = next != nullptr && NodeOp(next) == opLiteral ? NodeOperand(next)[0] : -1;
  // Greedy tries count, count-1 ... minimum; non-greedy minimum ... count.
  undo.Value = greedy ? count + 1 : minimum - 1;
  undo.Limit = greedy ? minimum : count;
  PushUndo(undo);
  return false;  // the first count to try is taken from the record just pushed
}

bool TBacktracker::Attempt(int64_t start) {
  FStack.clear();
  FCursor = FAttemptStart = start;
  FLeadRunEnd = -1;
  FBackRefTried = false;
  FUnrecordedGroups = 0;
  FLoopDepth = 0;
  const uint8_t* node = FProgram + 1;
  while (!Forward(node))
    if (!Backward(node)) {
      for (int group = 1; FUnrecordedGroups >> group != 0; ++group)
        if ((FUnrecordedGroups >> group) & 1) R.FMatchStarts[group] = R.FMatchEnds[group] = -1;
      return false;
    }
  return true;
}

void TBacktracker::Push(TUndo::TKind kind, int32_t index, int64_t value) {
  TUndo undo{kind};
  undo.Index = index;
  undo.Value = value;
  PushUndo(undo);
}

// Left to itself the compiler keeps this loop out of Attempt, a call per way forward: 2% to 8%
// more instructions in the backtracker's searches.
[[gnu::always_inline]] bool TBacktracker::Forward(const uint8_t*& node) {
  for (;;) {
    if (node == nullptr) R.Fail(1002);
    const auto offset = static_cast<std::size_t>(node - FProgram);
    const uint8_t flags = FFlags[offset];
    if (flags & nfLoopTarget) {
      Push(TUndo::kTargetEntry, static_cast<int32_t>(offset), FLoopTargetEntries[offset]);
      FLoopTargetEntries[offset] = FCursor;
    }
    const TREOp op = NodeOp(node);
    const uint8_t* next = NodeNext(node);
    switch (op) {
      case opEnd:
        return true;
      // Nodes that consume nothing hold at the cursor or fail.
      case opTextStart:
        if (FCursor != 0) return false;
        break;
      case opTextEnd:
        if (At(FCursor) != 0) return false;
        break;
      case opLineStart:
        if (!AtLineStart()) return false;
        break;
      case opLineEnd:
        if (!AtLineEnd()) return false;
        break;
      case opWordBound:
      case opNotWordBound:
        if (AtWordBoundary() != (op == opWordBound)) return false;
        break;
      case opNothing:
      case opComment:
        break;
      // Nodes that consume text move the cursor over what they take, or fail.
      case opAnyChar:
        if (At(FCursor) == 0) return false;
        ++FCursor;
        break;
      case opAnyButBreak:
        if (At(FCursor) == 0 || BreakAt(FCursor)) return false;
        ++FCursor;
        break;
      case opLiteral:
      case opLiteralCI:
        if (!TakeText(NodeOperand(node), op == opLiteralCI)) return false;
        break;
      case opDigit:
      case opNonDigit:
      case opTinySet:
      case opTinyNotSet:
      case opFullSet:
        if (!MatchOne(node, At(FCursor))) return false;
        ++FCursor;
        break;
      case opCharSet:
        if (!TakeSetChar(node)) return false;
        break;
      case opBackRef:
      case opBackRefCI:
        if (!TakeBackRef(NodeOperand(node)[0], op == opBackRefCI)) return false;
        break;
      // Choices: alternatives, repetitions and loops. Each records the way it did not take.
      case opBranch:
        if (flags & nfSimpleStar) {
          if (!Repeat(NodeOperand(node), 0, kREStarMaximum, true, flags, next)) return false;
          break;
        }
        node = Branch(node, flags, offset);
        if (node == nullptr) return false;
        continue;
      case opBack:
        node = JumpBack(node);
        continue;
      case opStar:
      case opPlus:
      case opRepeat:
      case opStarLazy:
      case opPlusLazy:
      case opRepeatLazy:
        if (!StartRepetition(node, flags)) return false;
        break;
      case opLoopEntry:
        EnterLoop();
        break;
      case opLoop:
      case opLoopLazy:
        node = Loop(node, flags);
        continue;
      default:
        SetGroupBound(op);
    }
    node = next;
  }
}

bool TBacktracker::BreakAt(int64_t at) const {
  const unsigned char c = At(at);
  return R.FLineBreakSet[c] || (c == R.FPairHead && At(at + 1) == R.FPairTail);
}

bool TBacktracker::AtLineStart() const {
  if (FCursor == 0) return true;
  const unsigned char p = At(FCursor - 1);
  if (p == R.FPairTail && FCursor >= 2 && At(FCursor - 2) == R.FPairHead) return true;
  if (p == R.FPairHead && At(FCursor) == R.FPairTail) return false;  // inside the pair
  return R.FLineBreakSet[p];
}

bool TBacktracker::AtLineEnd() const {
  const unsigned char c = At(FCursor);
  if (c == 0) return true;
  if (c == R.FPairHead && At(FCursor + 1) == R.FPairTail) return true;
  if (c == R.FPairTail && FCursor > 0 && At(FCursor - 1) == R.FPairHead) return false;
  return R.FLineBreakSet[c];
}

bool TBacktracker::AtWordBoundary() const {
  const bool before = FUnicodeWords ? UnicodeWordBefore(FSubject, FLength, FCursor)
                                    : FCursor > 0 && R.FWordSet[At(FCursor - 1)];
  const bool after =
      FUnicodeWords ? UnicodeWordAt(FSubject, FLength, FCursor) : R.FWordSet[At(FCursor)];
  return before != after;
}

bool TBacktracker::TakeText(const uint8_t* text, bool ignoreCase) {
  int64_t k = 0;
  for (; text[k] != 0; ++k) {
    const unsigned char s = At(FCursor + k);
    if (s == 0 || (s != text[k] && !(ignoreCase && s == R.FNodes.CaseFlip[text[k]]))) return false;
  }
  FCursor += k;
  return true;
}

bool TBacktracker::TakeSetChar(const uint8_t* node) {
  const int length = SetCharAt(node, FCursor);
  FCursor += length;
  return length != 0;
}

bool TBacktracker::TakeBackRef(int group, bool ignoreCase) {
  // The first back-reference of an attempt that came through the lead run with no choice
  // open: for a later start within the run, only this comparison can turn out otherwise.
  if (!FBackRefTried && FStack.empty() && FKnownRunStart <= FAttemptStart &&
      FAttemptStart < FKnownRunEnd && group >= 1 && group < kREGroupCount) {
    FKnownBackRef = {FCursor, R.FMatchStarts[group], R.FMatchEnds[group], FAttemptStart,
                     ignoreCase};
  }
  FBackRefTried = true;
  int64_t length = 0;
  if (!BackRefMatches(group, ignoreCase, FCursor, length)) return false;
  FCursor += length;
  return true;
}

const uint8_t* TBacktracker::Branch(const uint8_t* node, uint8_t flags, std::size_t offset) {
  const uint8_t* next = NodeNext(node);
  const bool chain = next != nullptr && NodeOp(next) == opBranch;
  if (flags & nfPrunable) {
    const TAlternativeChars& chars =
        R.FNodes.Alternatives[static_cast<std::size_t>(R.FNodes.AlternativeIndex[offset])];
    const unsigned char c = At(FCursor);
    // This alternative cannot match here: on to the next, if there is one.
    if (!chars.Own[c]) return chain ? next : nullptr;
    // None behind it can: nothing to come back to.
    if (!chars.Later[c]) return NodeOperand(node);
  }
  if (chain) {
    if (flags & nfFinalChoice) DropAllChoices();
    TUndo undo{TUndo::kAlternative};
    undo.Node = next;
    undo.Cursor = FCursor;
    PushUndo(undo);
  }
  return NodeOperand(node);
}

const uint8_t* TBacktracker::JumpBack(const uint8_t* node) {
  // An iteration that consumed nothing would only repeat itself: it ends the loop, keeping what
  // it captured. Both loops that jump back are laid out with their exit (a branch to nothing)
  // right behind the jump. In x+ the branch just before this jump has opened that same exit
  // with these same groups (unless nothing could follow here): it is dropped, or a failure would
  // take the same way again. The exit x* opened when the iteration began stays: it holds the
  // groups of the iteration before, which a back-reference may need.
  const uint8_t* target = NodeNext(node);
  if (target == nullptr) return nullptr;  // reported as a corrupted program
  if (FLoopTargetEntries[static_cast<std::size_t>(target - FProgram)] != FCursor) return target;
  const uint8_t* exit = node + kREHeaderSize;
  if (NodeOp(target) != opBranch && !FStack.empty() && FStack.back().Kind == TUndo::kAlternative &&
      FStack.back().Node == exit && FStack.back().Cursor == FCursor)
    FStack.pop_back();
  return exit;
}

bool TBacktracker::StartRepetition(const uint8_t* node, uint8_t flags) {
  const TREOp op = NodeOp(node);
  const uint8_t* operand = NodeOperand(node);
  int64_t minimum = 0, maximum = kREStarMaximum;
  const uint8_t* repeated = operand;
  if (op == opPlus || op == opPlusLazy) minimum = 1;
  if (op == opRepeat || op == opRepeatLazy) {
    minimum = ReadInt32(operand);
    maximum = ReadInt32(operand + kRENumberSize);
    repeated = operand + 2 * kRENumberSize;
  }
  const bool greedy = op == opStar || op == opPlus || op == opRepeat;
  return Repeat(repeated, minimum, maximum, greedy, flags, NodeNext(node));
}

void TBacktracker::EnterLoop() {
  const int32_t depth = FLoopDepth + 1;
  if (depth > kRELoopMax) R.Fail(1014);
  Push(TUndo::kDepth, FLoopDepth, 0);
  Push(TUndo::kCounter, depth, FLoopCounters[depth]);
  Push(TUndo::kIterationStart, depth, FLoopIterationStarts[depth]);
  FLoopDepth = depth;
  FLoopCounters[depth] = 0;
  FLoopIterationStarts[depth] = -1;
}

void TBacktracker::BeginIteration(int32_t depth, int32_t count) {
  Push(TUndo::kCounter, depth, count);
  Push(TUndo::kIterationStart, depth, FLoopIterationStarts[depth]);
  FLoopCounters[depth] = count + 1;
  FLoopIterationStarts[depth] = FCursor;
}

const uint8_t* TBacktracker::Loop(const uint8_t* node, uint8_t flags) {
  const int32_t depth = FLoopDepth;
  if (depth <= 0) R.Fail(1015);
  const TREOp op = NodeOp(node);
  const uint8_t* operand = NodeOperand(node);
  const int32_t minimum = ReadInt32(operand);
  const int32_t maximum = ReadInt32(operand + kRENumberSize);
  const uint8_t* body = node + ReadInt32(operand + 2 * kRENumberSize);
  const int32_t count = FLoopCounters[depth];
  if (count < minimum) {
    BeginIteration(depth, count);
    return body;
  }
  // An open loop whose last iteration consumed nothing would only repeat itself: once its
  // minimum is reached, it ends.
  const bool stalled = count > 0 && FLoopIterationStarts[depth] == FCursor;
  const bool more = count < maximum && !(stalled && maximum == kREInfinity);
  if (more) {
    TUndo undo{op == opLoop ? TUndo::kLoopExit : TUndo::kLoopMore};
    undo.Node = node;
    undo.Cursor = FCursor;
    undo.Index = depth;
    undo.Value = count;
    if (op == opLoop) {
      if (flags & nfFinalChoice) DropAllChoices();
      PushUndo(undo);
      BeginIteration(depth, count);
      return body;
    }
    PushUndo(undo);
  }
  // Leave the loop and go on with what follows it.
  Push(TUndo::kDepth, depth, 0);
  FLoopDepth = depth - 1;
  return NodeNext(node);
}

void TBacktracker::SetGroupBound(TREOp op) {
  // With no record below, no failure comes back to an earlier value: only a failed attempt
  // puts the group back as it found it, unset.
  if (op >= opOpenFirst && op <= opOpenLast) {
    const int group = op - opOpenFirst + 1;
    if (FStack.empty())
      FUnrecordedGroups |= 1u << group;
    else
      Push(TUndo::kGroupStart, group, R.FMatchStarts[group]);
    R.FMatchStarts[group] = FCursor;
  } else if (op >= opCloseFirst && op <= opCloseLast) {
    const int group = op - opCloseFirst + 1;
    if (FStack.empty())
      FUnrecordedGroups |= 1u << group;
    else
      Push(TUndo::kGroupEnd, group, R.FMatchEnds[group]);
    R.FMatchEnds[group] = FCursor;
  } else {
    R.Fail(1001);
  }
}

bool TBacktracker::Backward(const uint8_t*& node) {
  for (;;) {
    if (FStack.empty()) return false;
    Spend();
    TUndo& undo = FStack.back();
    // Every kind has a label of its own: with the changes under `default`, the search for an
    // alternation of names took a third longer, for the same instructions.
    switch (undo.Kind) {
      case TUndo::kAlternative:
        FCursor = undo.Cursor;
        node = undo.Node;
        FStack.pop_back();
        return true;
      case TUndo::kRepeatGreedy:
      case TUndo::kRepeatLazy:
        if (RetryRepetition(undo)) {
          node = undo.Node;
          return true;
        }
        FStack.pop_back();
        break;
      case TUndo::kLoopExit:
        node = LeaveFailedIteration();
        return true;
      case TUndo::kLoopMore:
        node = IterateOnceMore();
        return true;
      case TUndo::kGroupStart:
      case TUndo::kGroupEnd:
      case TUndo::kCounter:
      case TUndo::kIterationStart:
      case TUndo::kDepth:
      case TUndo::kTargetEntry:
        Restore(undo);
        FStack.pop_back();
    }
  }
}

void TBacktracker::Restore(const TUndo& undo) {
  switch (undo.Kind) {
    case TUndo::kGroupStart:
      R.FMatchStarts[undo.Index] = undo.Value;
      break;
    case TUndo::kGroupEnd:
      R.FMatchEnds[undo.Index] = undo.Value;
      break;
    case TUndo::kCounter:
      FLoopCounters[undo.Index] = static_cast<int32_t>(undo.Value);
      break;
    case TUndo::kIterationStart:
      FLoopIterationStarts[undo.Index] = undo.Value;
      break;
    case TUndo::kDepth:
      FLoopDepth = undo.Index;
      break;
    case TUndo::kTargetEntry:
      FLoopTargetEntries[static_cast<std::size_t>(undo.Index)] = undo.Value;
      break;
    default:  // the choices, which Backward takes
      break;
  }
}

bool TBacktracker::RetryRepetition(TUndo& undo) {
  const bool greedy = undo.Kind == TUndo::kRepeatGreedy;
  for (;;) {
    undo.Value += greedy ? -1 : 1;
    if (greedy ? undo.Value < undo.Limit : undo.Value > undo.Limit) return false;
    Spend();  // each count tried is a step, even one passed over
    FCursor = undo.Cursor + undo.Value * undo.Step;
    if (undo.Chars && InsideCharacter(undo.Cursor, FCursor)) continue;
    if (undo.LookAhead < 0 || At(FCursor) == undo.LookAhead) return true;
  }
}

const uint8_t* TBacktracker::LeaveFailedIteration() {
  // The iteration failed: restore the loop as it was and go on behind it.
  const TUndo exit = FStack.back();
  FStack.pop_back();
  FCursor = exit.Cursor;
  FLoopCounters[exit.Index] = static_cast<int32_t>(exit.Value);
  Push(TUndo::kDepth, exit.Index, 0);
  FLoopDepth = exit.Index - 1;
  return NodeNext(exit.Node);
}

const uint8_t* TBacktracker::IterateOnceMore() {
  // What follows the loop failed: run one more iteration instead.
  const TUndo more = FStack.back();
  FStack.pop_back();
  FCursor = more.Cursor;
  FLoopDepth = more.Index;
  BeginIteration(more.Index, static_cast<int32_t>(more.Value));
  return more.Node + ReadInt32(NodeOperand(more.Node) + 2 * kRENumberSize);
}

}  // namespace fendrel

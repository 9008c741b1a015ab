// The search analysis (see RegExprAnalysis.h).
#include "RegExprAnalysis.h"

#include <algorithm>
#include <cstring>

#include "RegExprCharSet.h"
#include "RegExprCompiler.h"
#include "RegExprOpcodes.h"

namespace fendrel {

void TRegExprAnalysis::Analyse(const uint8_t* program, int topFlags) {
  FProgram = program;
  FWalked.assign(R.FProgramSize, false);
  R.FFirstChars.reset();
  FirstCharWalk(program + 1);
  // In UTF-8 text no match begins inside a character.
  if (R.FProgramUtf8)
    for (int c = 0x80; c <= 0xBF; ++c)
      R.FFirstChars.reset(static_cast<std::size_t>(c));

  R.FAnchorChar = 0;
  R.FAnchorText = nullptr;
  R.FAnchorLen = 0;
  R.FAnchorFolded = false;
  R.FAnchoredAtStart = false;
  R.FLineAnchored = false;
  R.FRequiredText = nullptr;
  R.FRequiredLen = 0;
  R.FRequiredBytes.clear();
  R.FRequiredFolded.clear();
  R.FInnerText = nullptr;
  R.FInnerLen = 0;
  R.FInnerOffset = 0;
  R.FReachedText = nullptr;
  R.FReachedLen = 0;
  R.FReachedOver.reset();
  const uint8_t* first = program + 1;  // the top level's first alternative
  const uint8_t* after = NodeNext(first);
  if (after == nullptr || NodeOp(after) != opEnd) return;  // more than one alternative

  const uint8_t* scan = NodeOperand(first);
  FindRequiredBytes(scan);
  // Modifiers set at the start, "(?i)", take nothing.
  while (NodeOp(scan) == opComment)
    scan = NodeNext(scan);
  if ((NodeOp(scan) == opLiteral || NodeOp(scan) == opLiteralCI) &&
      !(R.FProgramUtf8 && IsUtf8Continuation(NodeOperand(scan)[0]))) {
    R.FAnchorFolded = NodeOp(scan) == opLiteralCI;
    R.FAnchorChar = NodeOperand(scan)[0];
    R.FAnchorText = reinterpret_cast<const char*>(NodeOperand(scan));
    R.FAnchorLen = static_cast<int32_t>(std::strlen(R.FAnchorText));
  } else if (NodeOp(scan) == opTextStart) {
    R.FAnchoredAtStart = true;
  }
  R.FLineAnchored = NodeOp(scan) == opLineStart;
  if (R.FAnchorChar == 0 && !R.FAnchoredAtStart) FindInnerText(scan);
  if (R.FAnchorChar == 0 && !R.FAnchoredAtStart && R.FInnerText == nullptr) FindReachedText(scan);

  // A pattern that starts with a repetition gets few anchors; a literal that every match holds
  // lets the search skip subjects without it.
  if ((topFlags & kFlagStarStart) == 0) return;
  for (; scan != nullptr; scan = NodeNext(scan)) {
    if (NodeOp(scan) != opLiteral) continue;
    const auto* text = reinterpret_cast<const char*>(NodeOperand(scan));
    const auto length = static_cast<int32_t>(std::strlen(text));
    if (length >= R.FRequiredLen) {
      R.FRequiredText = text;
      R.FRequiredLen = length;
    }
  }
}

namespace {

// The first bytes of the characters a node that takes exactly one character takes, or none
// when it is not such a node (or takes a character of any kind, which requires nothing).
TCharSet OneCharacterBytes(const uint8_t* node) {
  TCharSet bytes;
  const uint8_t* operand = NodeOperand(node);
  switch (NodeOp(node)) {
    case opLiteral: {
      // Its rarest byte; any byte of it is required.
      unsigned char rarest = operand[0];
      for (const uint8_t* c = operand; *c != 0; ++c)
        if (ByteCommonness(*c) < ByteCommonness(rarest)) rarest = *c;
      bytes.set(rarest);
      break;
    }
    case opDigit:
      for (int c = '0'; c <= '9'; ++c)
        bytes.set(static_cast<std::size_t>(c));
      break;
    case opTinySet:
      for (int i = 0; i < kRETinySetBytes; ++i)
        bytes.set(operand[i]);
      break;
    case opFullSet:
      for (int c = 0; c < 256; ++c)
        if ((operand[c / 8] >> (c % 8)) & 1) bytes.set(static_cast<std::size_t>(c));
      break;
    case opCharSet:
      bytes = CharSetFirstBytes(operand);
      break;
    default:
      break;
  }
  // A NUL ends the subject: it is never there to be found.
  bytes.reset(0);
  return bytes;
}

// How costly a set of bytes is to look for: the more common its bytes, the sooner a subject
// holds one anyway.
int Cost(const TCharSet& bytes) {
  int cost = 0;
  for (int c = 1; c < 256; ++c)
    if (bytes[static_cast<std::size_t>(c)])
      cost += 1 << ByteCommonness(static_cast<unsigned char>(c));
  return cost;
}

}  // namespace

namespace {

// How many bytes a node takes from the subject when that is always the same, or -1. In UTF-8
// text a set takes one byte when it holds ASCII characters alone.
int32_t FixedWidth(const uint8_t* node, bool utf8) {
  const uint8_t* operand = NodeOperand(node);
  const TREOp op = NodeOp(node);
  switch (op) {
    case opComment:
    case opWordBound:
    case opNotWordBound:
    case opLineStart:
      return 0;
    case opDigit:
      return 1;
    case opNonDigit:
    case opTinyNotSet:
    case opAnyChar:
    case opAnyButBreak:
      return utf8 ? -1 : 1;
    case opTinySet:
      return utf8 && (operand[0] >= 0x80 || operand[1] >= 0x80 || operand[2] >= 0x80) ? -1 : 1;
    case opFullSet:
      for (int c = 0x80; utf8 && c < 256; ++c)
        if ((operand[c / 8] >> (c % 8)) & 1) return -1;
      return 1;
    case opRepeat:
    case opRepeatLazy: {
      const int32_t min = ReadInt32(operand);
      const int32_t width = FixedWidth(operand + 2 * kRENumberSize, utf8);
      return min == ReadInt32(operand + kRENumberSize) && width >= 0 && min <= 1'000'000
                 ? min * width
                 : -1;
    }
    default:
      return op >= opOpenFirst && op <= opCloseLast && op != opCloseFirst - 1 ? 0 : -1;
  }
}

// Whether `node` is the branch of a group's only alternative (not one of an alternation's, nor of
// a loop's two ways).
bool OnlyAlternative(const uint8_t* node) {
  if (NodeOp(node) != opBranch) return false;
  const uint8_t* next = NodeNext(node);
  return next == nullptr || NodeOp(next) != opBranch;
}

// The node a chain that every match passes goes on with after `node`: into a group's only
// alternative, whose chain leads on behind it; past an alternation or a loop, whose branches
// not every match takes.
const uint8_t* ChainNext(const uint8_t* node) {
  if (OnlyAlternative(node)) return NodeOperand(node);
  const uint8_t* next = NodeNext(node);
  while (NodeOp(node) == opBranch && next != nullptr && NodeOp(next) == opBranch)
    next = NodeNext(next);
  return next;
}

// Whether `node` enters a loop every match runs once at least, (ab){2}: its body's chain is on
// the chain of every match, and leads to the loop node, behind which the chain goes on.
bool EnteredLoop(const uint8_t* node) {
  if (NodeOp(node) != opLoopEntry) return false;
  const uint8_t* loop = NodeNext(node);
  return loop != nullptr && (NodeOp(loop) == opLoop || NodeOp(loop) == opLoopLazy) &&
         ReadInt32(NodeOperand(loop)) >= 1;
}

}  // namespace

void TRegExprAnalysis::FindInnerText(const uint8_t* chain) {
  // Behind the nodes of a fixed width that lead the chain, the first literal lies at the same
  // distance from every match's start.
  int32_t offset = 0;
  for (const uint8_t* node = chain; node != nullptr; node = ChainNext(node)) {
    if (OnlyAlternative(node)) continue;
    if (NodeOp(node) == opLiteral) {
      R.FInnerText = reinterpret_cast<const char*>(NodeOperand(node));
      R.FInnerLen = static_cast<int32_t>(std::strlen(R.FInnerText));
      R.FInnerOffset = offset;
      return;
    }
    const int32_t width = FixedWidth(node, R.FProgramUtf8);
    if (width < 0) return;
    offset += width;
  }
}

namespace {

// Adds every byte a character the node takes can be made of; false for a node that takes
// something else than one character of a class.
bool AddClassBytes(const uint8_t* node, TCharSet& bytes) {
  const TREOp op = NodeOp(node);
  if (op != opDigit && op != opTinySet && op != opFullSet && op != opCharSet) return false;
  TCharSet taken = OneCharacterBytes(node);
  // The bytes of characters beyond ASCII, whichever they are.
  for (int c = 0x80; c < 256 && !taken[0x80]; ++c)
    if (taken[static_cast<std::size_t>(c)])
      for (int d = 0x80; d < 256; ++d)
        taken.set(static_cast<std::size_t>(d));
  bytes |= taken;
  return true;
}

}  // namespace

void TRegExprAnalysis::FindReachedText(const uint8_t* chain) {
  // Behind nodes that take nothing and repetitions of classes, the first literal: between a
  // match's start and that literal lie characters of those classes alone.
  TCharSet over;
  for (const uint8_t* node = chain; node != nullptr;) {
    const TREOp op = NodeOp(node);
    if (OnlyAlternative(node)) {
      node = NodeOperand(node);
      continue;
    }
    if (op == opLiteral) {
      R.FReachedText = reinterpret_cast<const char*>(NodeOperand(node));
      R.FReachedLen = static_cast<int32_t>(std::strlen(R.FReachedText));
      R.FReachedOver = over;
      return;
    }
    if (IsRepetition(op)) {
      const uint8_t* repeated = op == opRepeat || op == opRepeatLazy
                                    ? NodeOperand(node) + 2 * kRENumberSize
                                    : NodeOperand(node);
      if (!AddClassBytes(repeated, over)) return;
    } else if (FixedWidth(node, R.FProgramUtf8) != 0) {  // takes nothing: marks, \b, ^
      return;
    }
    node = NodeNext(node);
  }
}

void TRegExprAnalysis::FindRequiredBytes(const uint8_t* chain) {
  // The nodes of the top level's one chain, and of the groups on it, that take at least one
  // character of a class: every match passes through them.
  const auto chainNext = [](const uint8_t* node) {
    return EnteredLoop(node) ? node + kREHeaderSize : ChainNext(node);
  };
  // The bytes the nodes of a fixed width behind `node` take, as few as a match holds there.
  const auto widthAfter = [&](const uint8_t* node) {
    int32_t after = 0;
    for (node = chainNext(node); node != nullptr && NodeOp(node) != opEnd; node = chainNext(node))
      after += std::max(FixedWidth(node, R.FProgramUtf8), 0);
    return after;
  };
  for (const uint8_t* node = chain; node != nullptr && NodeOp(node) != opEnd;
       node = chainNext(node)) {
    const uint8_t* taken = node;  // the node that takes the characters
    switch (NodeOp(node)) {
      case opPlus:
      case opPlusLazy:
        taken = NodeOperand(node);
        break;
      case opRepeat:
      case opRepeatLazy:
        taken = ReadInt32(NodeOperand(node)) > 0 ? NodeOperand(node) + 2 * kRENumberSize : nullptr;
        break;
      default:
        break;
    }
    if (taken == nullptr) continue;
    if (NodeOp(taken) == opLiteralCI) {
      // Its rarest byte, in either case: which bytes those are, the case table the search
      // starts with tells (TRegExpr::LastMatchStart).
      const uint8_t* operand = NodeOperand(taken);
      unsigned char rarest = operand[0];
      for (const uint8_t* c = operand; *c != 0; ++c)
        if (ByteCommonness(*c) < ByteCommonness(rarest)) rarest = *c;
      R.FRequiredFolded.push_back({rarest, widthAfter(node)});
      continue;
    }
    if (const TCharSet bytes = OneCharacterBytes(taken); bytes.any())
      R.FRequiredBytes.push_back({bytes, widthAfter(node)});
  }
  // The rarest few: each is looked for once per subject, and in text that holds them anywhere
  // found at once.
  std::stable_sort(R.FRequiredBytes.begin(), R.FRequiredBytes.end(),
                   [](const auto& a, const auto& b) { return Cost(a.Bytes) < Cost(b.Bytes); });
  if (R.FRequiredBytes.size() > 4) R.FRequiredBytes.resize(4);
  auto& folded = R.FRequiredFolded;
  const auto commonness = [this](unsigned char c) {
    return std::max(ByteCommonness(c), ByteCommonness(R.CaseFlip[c]));
  };
  std::stable_sort(folded.begin(), folded.end(), [&](const auto& a, const auto& b) {
    return commonness(a.Byte) < commonness(b.Byte);
  });
  folded.erase(std::unique(folded.begin(), folded.end(),
                           [](const auto& a, const auto& b) { return a.Byte == b.Byte; }),
               folded.end());
  if (folded.size() > 2) folded.resize(2);
}

void TRegExprAnalysis::FirstCharWalk(const uint8_t* node) {
  TCharSet& first = R.FFirstChars;
  for (; node != nullptr; node = NodeNext(node)) {
    const std::size_t offset = static_cast<std::size_t>(node - FProgram);
    const TREOp op = NodeOp(node);
    if (FWalked[offset]) {
      // A loop reached again through its own body: the body can be passed without consuming
      // anything, so a match can go on behind the loop whatever its minimum.
      if (op == opLoop || op == opLoopLazy) FirstCharWalk(NodeNext(node));
      return;
    }
    FWalked[offset] = true;
    const uint8_t* operand = NodeOperand(node);
    switch (op) {
      case opEnd:
      case opAnyChar:
      case opAnyButBreak:
      case opBackRef:
      case opBackRefCI:
        first.set();
        return;
      case opTextEnd:
      case opLineEnd:
        first.set(0);
        if (op == opLineEnd || (R.Modifiers & kModM) != 0) {
          for (char c : R.LineBreakChars)
            first.set(static_cast<unsigned char>(c));
          // The paired separator ends a line even where its characters alone are no breaks.
          if (R.FPairSet) first.set(R.FPairHead);
        }
        return;
      case opLiteral:
        first.set(operand[0]);
        return;
      case opLiteralCI:
        first.set(operand[0]);
        first.set(R.CaseFlip[operand[0]]);
        return;
      case opDigit:
      case opNonDigit:
        for (int c = 0; c < 256; ++c) {
          if ((c >= '0' && c <= '9') == (op == opDigit)) first.set(c);
        }
        return;
      case opTinySet:
        for (int i = 0; i < kRETinySetBytes; ++i)
          first.set(operand[i]);
        return;
      case opTinyNotSet:
        for (int c = 0; c < 256; ++c) {
          if (c != operand[0] && c != operand[1] && c != operand[2]) first.set(c);
        }
        return;
      case opFullSet:
        for (int c = 0; c < 256; ++c) {
          if ((operand[c / 8] >> (c % 8)) & 1) first.set(c);
        }
        return;
      case opCharSet:
        first |= CharSetFirstBytes(operand);
        return;
      case opBranch: {
        const uint8_t* next = NodeNext(node);
        if (next == nullptr || NodeOp(next) != opBranch) {
          FirstCharWalk(operand);  // a single alternative: its chain is the way on
          return;
        }
        for (const uint8_t* branch = node; branch != nullptr && NodeOp(branch) == opBranch;
             branch = NodeNext(branch))
          FirstCharWalk(NodeOperand(branch));
        return;
      }
      case opStar:
      case opStarLazy:
        FirstCharWalk(operand);
        continue;
      case opPlus:
      case opPlusLazy:
        FirstCharWalk(operand);
        return;
      case opRepeat:
      case opRepeatLazy:
        FirstCharWalk(operand + 2 * kRENumberSize);
        if (ReadInt32(operand) > 0) return;
        continue;
      case opLoop:
      case opLoopLazy:
        FirstCharWalk(node + ReadInt32(operand + 2 * kRENumberSize));
        if (ReadInt32(operand) == 0) FirstCharWalk(NodeNext(node));
        return;
      case opLoopEntry:
        FirstCharWalk(NodeNext(node));
        return;
      case opTextStart:
      case opBack:
      case opNothing:
      case opComment:
      case opLineStart:
      case opWordBound:
      case opNotWordBound:
        continue;
      default:
        if (op >= opOpenFirst && op <= opCloseLast && op != opCloseFirst - 1) {
          FirstCharWalk(NodeNext(node));
          return;
        }
        R.Fail(1001);
    }
  }
}

}  // namespace fendrel

// The node flags (see RegExprNodeFlags.h).
#include "RegExprNodeFlags.h"

#include <array>
#include <bitset>

#include "RegExprCharSet.h"
#include "RegExprOpcodes.h"

namespace fendrel {
namespace {

using TChars = TAlternativeChars::TChars;

bool IsGroupMark(TREOp op) {
  return IsGroupOpen(op) || IsGroupClose(op);
}

// Whether matching from `node` on succeeds whatever the subject holds: nothing but group marks
// and single-alternative branches stand between it and the end of the program.
bool ReachesEndUnconditionally(const uint8_t* node) {
  while (node != nullptr) {
    const TREOp op = NodeOp(node);
    if (op == opEnd) return true;
    if (op == opBranch) {
      const uint8_t* next = NodeNext(node);
      if (next != nullptr && NodeOp(next) == opBranch) return false;
      node = NodeOperand(node);
    } else if (op == opNothing || op == opComment || IsGroupMark(op)) {
      node = NodeNext(node);
    } else {
      return false;
    }
  }
  return false;
}

// The characters one simple node matches (a text: its first character); false for other nodes.
bool SimpleNodeChars(const uint8_t* node, const TCaseFlipTable& flip, TChars& chars) {
  const uint8_t* operand = NodeOperand(node);
  switch (NodeOp(node)) {
    case opLiteral:
      chars.set(operand[0]);
      return operand[0] != 0;
    case opLiteralCI:
      chars.set(operand[0]);
      chars.set(flip[operand[0]]);
      return operand[0] != 0;
    case opDigit:
      for (int c = '0'; c <= '9'; ++c)
        chars.set(c);
      return true;
    case opNonDigit:
      for (int c = 1; c < 256; ++c)
        if (c < '0' || c > '9') chars.set(c);
      return true;
    case opTinySet:
      for (int k = 0; k < kRETinySetBytes; ++k)
        chars.set(operand[k]);
      return true;
    case opTinyNotSet: {
      TChars excluded;
      for (int k = 0; k < kRETinySetBytes; ++k)
        excluded.set(operand[k]);
      chars |= ~excluded;
      return true;
    }
    case opFullSet:
      for (int c = 0; c < 256; ++c)
        if ((operand[c / 8] >> (c % 8)) & 1) chars.set(c);
      return true;
    case opCharSet:
      chars |= CharSetFirstBytes(operand);
      return true;
    default:
      return false;
  }
}

// The node that opens each group (the first, should a group be laid out twice), or null.
using TGroupOpens = std::array<const uint8_t*, kREGroupCount>;

TGroupOpens GroupOpens(const uint8_t* program, uint32_t size) {
  TGroupOpens opens{};
  for (std::size_t at = 1; at + kREHeaderSize <= size; at += NodeSize(program + at))
    if (const TREOp op = NodeOp(program + at); IsGroupOpen(op)) {
      const auto group = static_cast<std::size_t>(op - opOpenFirst + 1);
      if (group < opens.size() && opens[group] == nullptr) opens[group] = program + at;
    }
  return opens;
}

// The node that opens the group a back-reference node refers to, or null.
const uint8_t* ReferredGroup(const uint8_t* node, const TGroupOpens* opens) {
  const int group = NodeOperand(node)[0];
  return opens != nullptr && group >= 1 && group < kREGroupCount
             ? (*opens)[static_cast<std::size_t>(group)]
             : nullptr;
}

// Adds every character a match from `node` on can begin with; false when such a match might
// begin without consuming a character (an assertion, an empty path, the end, the close of group
// `closing`) or is unknown. A back-reference begins as its group's text (`opens` finds it).
bool ConsumingFirstChars(const uint8_t* node, const TCaseFlipTable& flip, TChars& chars, int depth,
                         const TGroupOpens* opens = nullptr, int closing = 0) {
  for (int steps = 0; node != nullptr && steps < 64; ++steps) {
    const TREOp op = NodeOp(node);
    if (closing != 0 && op == opCloseFirst + closing - 1) return false;
    if (op == opNothing || op == opComment || IsGroupMark(op)) {
      node = NodeNext(node);
      continue;
    }
    if (op == opBackRef && depth < 8) {
      const uint8_t* open = ReferredGroup(node, opens);
      return open != nullptr && ConsumingFirstChars(NodeNext(open), flip, chars, depth + 1, opens,
                                                    NodeOperand(node)[0]);
    }
    if (op == opBranch) {
      const uint8_t* next = NodeNext(node);
      if (next == nullptr || NodeOp(next) != opBranch) {
        node = NodeOperand(node);
        continue;
      }
      if (depth >= 8) return false;
      // The chain of alternatives ends at the first node behind it that is not a branch.
      for (const uint8_t* alternative = node;
           alternative != nullptr && NodeOp(alternative) == opBranch;
           alternative = NodeNext(alternative))
        if (!ConsumingFirstChars(NodeOperand(alternative), flip, chars, depth + 1, opens, closing))
          return false;
      return true;
    }
    if (op == opPlus || op == opPlusLazy) return SimpleNodeChars(NodeOperand(node), flip, chars);
    if (op == opRepeat || op == opRepeatLazy)
      return ReadInt32(NodeOperand(node)) >= 1 &&
             SimpleNodeChars(NodeOperand(node) + 2 * kRENumberSize, flip, chars);
    return SimpleNodeChars(node, flip, chars);
  }
  return false;
}

// The character set every match from `node` on begins with, when it is one node (or the
// repetition of one that takes at least one); nullptr otherwise. As ConsumingFirstChars with
// `opens` and `closing`.
const uint8_t* FirstCharSet(const uint8_t* node, const TGroupOpens* opens, int closing = 0) {
  for (int steps = 0; node != nullptr && steps < 64; ++steps) {
    const TREOp op = NodeOp(node);
    const uint8_t* next = NodeNext(node);
    if (closing != 0 && op == opCloseFirst + closing - 1) return nullptr;
    if (op == opBackRef && closing == 0) {
      const uint8_t* open = ReferredGroup(node, opens);
      return open != nullptr ? FirstCharSet(NodeNext(open), opens, NodeOperand(node)[0]) : nullptr;
    }
    if (op == opNothing || op == opComment || IsGroupMark(op)) {
      node = next;
    } else if (op == opBranch && (next == nullptr || NodeOp(next) != opBranch)) {
      node = NodeOperand(node);
    } else if (op == opPlus || op == opPlusLazy) {
      node = NodeOperand(node);
    } else if ((op == opRepeat || op == opRepeatLazy) && ReadInt32(NodeOperand(node)) >= 1) {
      node = NodeOperand(node) + 2 * kRENumberSize;
    } else {
      return op == opCharSet ? node : nullptr;
    }
  }
  return nullptr;
}

// Whether a repetition of `repeated` followed by `next` never needs to give back what it took:
// every character it could give back is one the continuation cannot begin with.
bool RepetitionIsPossessive(const uint8_t* repeated, const uint8_t* next,
                            const TCaseFlipTable& flip, const TGroupOpens& opens) {
  // Sets of characters share first bytes more often than characters (\w and \s both have
  // characters that begin with E2): two of them are compared character by character.
  if (NodeOp(repeated) == opCharSet)
    if (const uint8_t* set = FirstCharSet(next, &opens))
      return CharSetsDisjoint(NodeOperand(repeated), NodeOperand(set));
  TChars taken, following;
  if (!SimpleNodeChars(repeated, flip, taken) || next == nullptr ||
      !ConsumingFirstChars(next, flip, following, 0, &opens))
    return false;
  return (taken & following).none();
}

// Nodes that consume nothing and whose outcome depends on the cursor alone.
bool IsZeroWidth(TREOp op) {
  switch (op) {
    case opNothing:
    case opComment:
    case opTextStart:
    case opTextEnd:
    case opLineStart:
    case opLineEnd:
    case opWordBound:
    case opNotWordBound:
      return true;
    default:
      return IsGroupMark(op);
  }
}

// The repetition of one character class that every match begins with (behind nodes that
// consume nothing), or null. From two starts within the run of characters it takes, it reaches
// the same cursors, and only a back-reference can tell the two apart: so if the earlier start
// fails without trying one, so does the later.
const uint8_t* LeadRepetition(const uint8_t* program, const std::vector<uint8_t>& flags) {
  for (const uint8_t* node = program + 1; node != nullptr;) {
    const TREOp op = NodeOp(node);
    const uint8_t* next = NodeNext(node);
    const uint8_t nodeFlags = flags[static_cast<std::size_t>(node - program)];
    if (nodeFlags & nfLoopTarget) return nullptr;  // x+ begins here: it may run again
    if (op == opBranch) {
      if (nodeFlags & nfSimpleStar) return node;
      if (next != nullptr && NodeOp(next) == opBranch) return nullptr;
      node = NodeOperand(node);
    } else if (IsZeroWidth(op)) {
      node = next;
    } else {
      return IsRepetition(op) ? node : nullptr;
    }
  }
  return nullptr;
}

// The characters each alternative of a chain can begin with, and those of the alternatives
// behind it, so that the backtracker neither tries nor keeps an alternative that cannot match at
// the cursor. Branch loops are chains too: the body, then the exit.
void MarkAlternatives(const uint8_t* program, uint32_t size, const TCaseFlipTable& flip,
                      TNodeInfo& info) {
  info.AlternativeIndex.assign(size, -1);
  info.Alternatives.clear();
  std::vector<bool> inChain(size, false);
  for (std::size_t at = 1; at + kREHeaderSize <= size; at += NodeSize(program + at)) {
    const uint8_t* next = NodeNext(program + at);
    if (NodeOp(program + at) == opBranch && !(info.Flags[at] & nfSimpleStar) && next != nullptr &&
        NodeOp(next) == opBranch)
      inChain[at] = inChain[static_cast<std::size_t>(next - program)] = true;
  }
  for (std::size_t at = 1; at + kREHeaderSize <= size; at += NodeSize(program + at)) {
    // Only a chain's first alternative is not the next of another: each chain is done once.
    if (!inChain[at] || info.AlternativeIndex[at] >= 0) continue;
    std::vector<std::size_t> chain;
    for (const uint8_t* node = program + at; node != nullptr && NodeOp(node) == opBranch &&
                                             inChain[static_cast<std::size_t>(node - program)];
         node = NodeNext(node))
      chain.push_back(static_cast<std::size_t>(node - program));
    TChars later;
    for (auto k = chain.size(); k-- > 0;) {
      TAlternativeChars chars;
      if (!ConsumingFirstChars(NodeOperand(program + chain[k]), flip, chars.Own, 0))
        chars.Own.set();  // may match without consuming: anything may follow
      chars.Later = later;
      later |= chars.Own;
      info.AlternativeIndex[chain[k]] = static_cast<int32_t>(info.Alternatives.size());
      info.Alternatives.push_back(chars);
      info.Flags[chain[k]] |= nfPrunable;
    }
  }
}

}  // namespace

void MarkNodes(const uint8_t* program, uint32_t size, const TCaseFlipTable& flip, TNodeInfo& info) {
  std::vector<uint8_t>& flags = info.Flags;
  flags.assign(size, 0);
  const TGroupOpens opens = GroupOpens(program, size);
  info.CaseFlip = flip;
  for (std::size_t at = 1; at + kREHeaderSize <= size;) {
    const uint8_t* node = program + at;
    const TREOp op = NodeOp(node);
    const uint8_t* next = NodeNext(node);
    const uint8_t* operand = NodeOperand(node);
    if (op == opBack && next != nullptr)
      flags[static_cast<std::size_t>(next - program)] |= nfLoopTarget;
    // A branch's open alternative and a greedy loop's exit lead on from `next`.
    if ((op == opBranch || op == opLoop) && next != nullptr &&
        (op == opLoop || NodeOp(next) == opBranch) && ReachesEndUnconditionally(next))
      flags[at] |= nfFinalChoice;
    if (op == opStar || op == opPlus || op == opStarLazy || op == opPlusLazy) {
      if (RepetitionIsPossessive(operand, next, flip, opens)) flags[at] |= nfPossessive;
    } else if (op == opRepeat || op == opRepeatLazy) {
      if (RepetitionIsPossessive(operand + 2 * kRENumberSize, next, flip, opens))
        flags[at] |= nfPossessive;
    }
    at += NodeSize(node);
  }
  // A loop over one character class, jumping back to its own branch, is a plain greedy star:
  // the backtracker runs it as one repetition instead of one iteration per character.
  for (std::size_t at = 1; at + kREHeaderSize <= size;) {
    const uint8_t* node = program + at;
    const uint8_t* next = NodeNext(node);
    const uint8_t* body = NodeOperand(node);
    if (NodeOp(node) == opBranch && (flags[at] & nfLoopTarget) && next != nullptr &&
        NodeOp(next) == opBranch && IsOneCharacterNode(NodeOp(body))) {
      const uint8_t* back = NodeNext(body);
      if (back != nullptr && NodeOp(back) == opBack && NodeNext(back) == node) {
        flags[at] = nfSimpleStar;
        if (RepetitionIsPossessive(body, next, flip, opens)) flags[at] |= nfPossessive;
      }
    }
    at += NodeSize(node);
  }
  info.LeadRunIsMatch = false;
  if (const uint8_t* lead = LeadRepetition(program, flags)) {
    flags[static_cast<std::size_t>(lead - program)] |= nfLeadRun;
    // A repetition, or a loop run as a plain star: its body, then its exit.
    const TREOp op = NodeOp(lead);
    const uint8_t* repeated = op == opRepeat || op == opRepeatLazy
                                  ? NodeOperand(lead) + 2 * kRENumberSize
                                  : NodeOperand(lead);
    const bool atMostOne =
        (op != opRepeat && op != opRepeatLazy) || ReadInt32(NodeOperand(lead)) <= 1;
    info.LeadRunIsMatch = atMostOne && IsOneCharacterNode(NodeOp(repeated)) &&
                          ReachesEndUnconditionally(NodeNext(lead));
  }
  MarkAlternatives(program, size, flip, info);
  info.TwoByteIndex.assign(size, -1);
  info.TwoByteMembers.clear();
  for (std::size_t at = 1; at + kREHeaderSize <= size; at += NodeSize(program + at)) {
    if (NodeOp(program + at) != opCharSet) continue;
    std::bitset<0x780> members;
    for (unsigned c = 0x80; c < 0x800; ++c) {
      const unsigned char text[2] = {static_cast<unsigned char>(0xC0 | c >> 6),
                                     static_cast<unsigned char>(0x80 | (c & 0x3F))};
      members[c - 0x80] = CharSetMatch(NodeOperand(program + at), text, 2) == 2;
    }
    info.TwoByteIndex[at] = static_cast<int32_t>(info.TwoByteMembers.size());
    info.TwoByteMembers.push_back(members);
  }
}

}  // namespace fendrel

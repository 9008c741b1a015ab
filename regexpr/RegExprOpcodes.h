// The p-code of a compiled pattern: a flat byte program of linked nodes.
//
// Byte 0 is the magic byte 216; the first node starts at byte 1. Every node begins with a
// 5-byte header: the opcode (1 byte) and the offset of the next node (signed 32-bit,
// little-endian, counted from the node's first byte; 0 = no next node). The operand, if any,
// follows the header; multi-byte operand values are little-endian signed 32-bit integers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace fendrel {

using TREOp = uint8_t;

constexpr uint8_t kREMagic = 216;
constexpr int kREHeaderSize = 5;             // opcode + next offset
constexpr int kRENumberSize = 4;             // one operand integer
constexpr int kRESetBytes = 32;              // bitmap of a full set
constexpr int kRETinySetBytes = 3;           // members of a tiny set
constexpr int kREGroupCount = 15;            // group 0 (the whole match) and groups 1-14
constexpr int kRELoopMax = 10;               // complex loops active at once
constexpr int kRELoopMaxSlots = 11;          // loop counters are numbered from 1
constexpr int32_t kREInfinity = 0x7FFFFFFE;  // the maximum of an open repetition
// The matchers' maximum of * and + (of braces it is kREInfinity), kept as open: the two could
// differ only on a run of more than two thousand million characters.
constexpr int64_t kREStarMaximum = 2147483647;

// Opcodes; the codes not listed (5, 14-17, 21, 22, 39, 54) are never produced.
enum : TREOp {
  opEnd = 0,            // end of the whole expression
  opTextStart = 1,      // start of the subject: ^ without multi-line, \A
  opTextEnd = 2,        // end of the subject: $ without multi-line, \Z
  opAnyChar = 3,        // any character: . with s on
  opCharSet = 4,        // one UTF-8 character of a set (RegExprCharSet.h): int32 size first
  opBranch = 6,         // one alternative; its chain starts behind the header
  opBack = 7,           // the jump back of a branch-based * or +
  opLiteral = 8,        // NUL-terminated text, exact
  opNothing = 9,        // matches the empty text: empty alternative, loop exit
  opStar = 10,          // greedy * of the simple node behind the header
  opPlus = 11,          // greedy + of the simple node behind the header
  opDigit = 12,         // \d
  opNonDigit = 13,      // \D
  opRepeat = 18,        // greedy {min,max}: min, max, then the simple node
  opComment = 19,       // (?#...), (?modifiers), blanks and comments under x
  opLiteralCI = 20,     // NUL-terminated text, letters in either case
  opLoopEntry = 23,     // start of a complex loop; the body follows
  opLoop = 24,          // greedy complex loop: min, max, body offset (negative)
  opTinySet = 25,       // one of 3 bytes
  opTinyNotSet = 26,    // none of 3 bytes
  opFullSet = 27,       // 32-byte bitmap, bit c of byte c/8, least significant bit first
  opBackRef = 28,       // \1..\9: group number byte
  opBackRefCI = 29,     // \1..\9 with i on
  opStarLazy = 30,      // non-greedy *
  opPlusLazy = 31,      // non-greedy +
  opRepeatLazy = 32,    // non-greedy {min,max} and ??
  opLoopLazy = 33,      // non-greedy complex loop
  opLineStart = 34,     // ^ under multi-line
  opLineEnd = 35,       // $ under multi-line
  opAnyButBreak = 36,   // . with s off
  opWordBound = 37,     // \b
  opNotWordBound = 38,  // \B
  opOpenFirst = 40,     // opening parenthesis of group n: 39 + n, n = 1..14
  opOpenLast = 53,
  opCloseFirst = 55,  // closing parenthesis of group n: 54 + n
  opCloseLast = 68,
};

constexpr TREOp OpOpen(int group) {
  return static_cast<TREOp>(opOpenFirst - 1 + group);
}
constexpr TREOp OpClose(int group) {
  return static_cast<TREOp>(opCloseFirst - 1 + group);
}

// The name of an opcode for dumps, or nullptr for a code that is never produced.
const char* OpName(TREOp op);

// What the search driver notes about nodes before the backtracker runs them.
enum TNodeFlag : uint8_t {
  nfLoopTarget = 1,   // a jump back of a repetition leads here: an iteration begins
  nfFinalChoice = 2,  // the choice this node opens always ends in a match once taken, so no
                      // choice opened before it can ever be needed again
  nfPossessive = 4,   // a repetition whose continuation cannot begin with anything it could
                      // give back: only its longest count can lead to a match
  nfSimpleStar = 8,   // a branch loop over one character class: run as a greedy repetition
  nfLeadRun = 16,     // the repetition every match begins with: from every later start within
                      // the run of characters it took, it reaches the same cursors, and only a
                      // back-reference can tell those starts apart
  nfPrunable = 32,    // an alternative of a chain with known first characters (TNodeInfo)
};

inline int32_t ReadInt32(const uint8_t* at) {
  uint32_t value = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                   static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
  return static_cast<int32_t>(value);
}

inline void WriteInt32(uint8_t* at, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  at[0] = static_cast<uint8_t>(bits);
  at[1] = static_cast<uint8_t>(bits >> 8);
  at[2] = static_cast<uint8_t>(bits >> 16);
  at[3] = static_cast<uint8_t>(bits >> 24);
}

inline TREOp NodeOp(const uint8_t* node) {
  return node[0];
}
inline const uint8_t* NodeOperand(const uint8_t* node) {
  return node + kREHeaderSize;
}
// The next node, or nullptr at the end of a chain.
inline const uint8_t* NodeNext(const uint8_t* node) {
  const int32_t offset = ReadInt32(node + 1);
  return offset == 0 ? nullptr : node + offset;
}

// The size of a node with its operand (a repetition's operand node not included).
inline std::size_t NodeSize(const uint8_t* node) {
  const uint8_t* operand = NodeOperand(node);
  switch (NodeOp(node)) {
    case opLiteral:
    case opLiteralCI:
      return kREHeaderSize + std::strlen(reinterpret_cast<const char*>(operand)) + 1;
    case opRepeat:
    case opRepeatLazy:
      return kREHeaderSize + 2 * kRENumberSize;
    case opLoop:
    case opLoopLazy:
      return kREHeaderSize + 3 * kRENumberSize;
    case opTinySet:
    case opTinyNotSet:
      return kREHeaderSize + kRETinySetBytes;
    case opFullSet:
      return kREHeaderSize + kRESetBytes;
    case opBackRef:
    case opBackRefCI:
      return kREHeaderSize + 1;
    case opCharSet:
      return kREHeaderSize + static_cast<std::size_t>(ReadInt32(operand));
    default:
      return kREHeaderSize;
  }
}

constexpr bool IsGroupOpen(TREOp op) {
  return op >= opOpenFirst && op <= opOpenLast;
}
constexpr bool IsGroupClose(TREOp op) {
  return op >= opCloseFirst && op <= opCloseLast;
}
// A compact repetition of the simple node behind its header: *, +, {min,max}, greedy or lazy.
constexpr bool IsRepetition(TREOp op) {
  return op == opStar || op == opPlus || op == opRepeat || op == opStarLazy || op == opPlusLazy ||
         op == opRepeatLazy;
}
// The nodes that take exactly one character, whatever it is.
constexpr bool IsOneCharacterNode(TREOp op) {
  switch (op) {
    case opAnyChar:
    case opAnyButBreak:
    case opDigit:
    case opNonDigit:
    case opTinySet:
    case opTinyNotSet:
    case opFullSet:
    case opCharSet:
      return true;
    default:
      return false;
  }
}

// Whether a node of the p-code `text` (as TRegExpr::Program() gives it) has an opcode that
// passes `test`.
template <typename Test>
bool ProgramHas(std::string_view text, const Test& test) {
  const auto* program = reinterpret_cast<const uint8_t*>(text.data());
  for (std::size_t at = 1; at + kREHeaderSize <= text.size();) {
    const uint8_t* node = program + at;
    if (test(NodeOp(node))) return true;
    std::size_t size = NodeSize(node);
    if (IsRepetition(NodeOp(node)))
      size += NodeSize(
          node + kREHeaderSize +
          (NodeOp(node) == opRepeat || NodeOp(node) == opRepeatLazy ? 2 * kRENumberSize : 0));
    at += size;
  }
  return false;
}

}  // namespace fendrel

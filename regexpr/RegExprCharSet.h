// A set of UTF-8 characters as one node of the program (opCharSet): what `.`, a class with
// characters beyond ASCII, a negated class and \w \d \s match in UTF-8 text.
//
// The set is a small automaton over bytes, so that the matchers that move one byte at a time
// (the threads and the automaton) run it as they run every other node, and the backtracker takes
// a whole character at once. Its operand:
//   int32   operand size in bytes, this number included
//   uint8   flags (kCharSetStopsAtBreaks)
//   16 B    the ASCII members, bit c of byte c/8
//   uint16  state count, then a uint16 offset (from the operand's start) for each state
//   states  each a uint8 count of transitions, then that many of: first byte, last byte,
//           uint16 target (a state index, or kCharSetAccept: the character is complete)
// State 0 takes a character's first byte from 0x80 on; ASCII is in the table. A member is always
// a whole valid sequence: no byte of an invalid one is ever taken.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "RegExpr.h"
#include "RegExprOpcodes.h"
#include "RegExprUnicode.h"

namespace fendrel {

enum : uint8_t {
  // `.` without s: the line-break characters and the paired separator's first are not members,
  // as the settings at search time say.
  kCharSetStopsAtBreaks = 1,
  // Every character (`.`): every ASCII character but NUL, every valid sequence beyond.
  kCharSetAny = 2,
};
constexpr uint16_t kCharSetAccept = 0xFFFF;
constexpr int32_t kCharSetHeader = 4 + 1 + 16;  // size, flags, ASCII table

// Code points as a sorted list of disjoint, non-adjacent ranges.
class TCodeSet {
 public:
  void Add(char32_t first, char32_t last);
  void Add(std::span<const TCodeRange> ranges);
  // Every member's simple-folding orbit, ASCII and the rest each among themselves.
  void AddCaseVariants();
  // Every valid character but NUL that is not a member.
  void Negate();
  bool Contains(char32_t c) const { return InRanges(FRanges, c); }
  bool AsciiOnly() const { return FRanges.empty() || FRanges.back().Last < 0x80; }
  const std::vector<TCodeRange>& Ranges() const { return FRanges; }

 private:
  void Join(std::vector<TCodeRange> more);

  std::vector<TCodeRange> FRanges;
};

// The operand of an opCharSet node for `set` (NUL and surrogates are never members).
std::vector<uint8_t> CharSetOperand(const TCodeSet& set, uint8_t flags);

inline uint8_t CharSetFlags(const uint8_t* operand) {
  return operand[4];
}
inline bool CharSetHasAscii(const uint8_t* operand, unsigned char c) {
  return ((operand[5 + c / 8] >> (c % 8)) & 1) != 0;
}

// One byte of a character: from `state` (0: the character's first byte) to the next state,
// kCharSetAccept when the character is complete, or -1 when it is no member. ASCII bytes are
// answered by the table; the break rule is the caller's.
int32_t CharSetStep(const uint8_t* operand, int32_t state, unsigned char c);

// The length of the member character at `s` (`available` bytes there), 0 when there is none.
// The break rule is the caller's.
inline int CharSetMatch(const uint8_t* operand, const unsigned char* s, int64_t available) {
  if (available <= 0) return 0;
  if (s[0] < 0x80) return s[0] != 0 && CharSetHasAscii(operand, s[0]) ? 1 : 0;
  int32_t state = 0;
  for (int k = 0; k < 4 && k < available; ++k) {
    state = CharSetStep(operand, state, s[k]);
    if (state < 0) return 0;
    if (state == kCharSetAccept) return k + 1;
  }
  return 0;
}

// Whether no character is a member of both sets.
bool CharSetsDisjoint(const uint8_t* a, const uint8_t* b);

// The bytes a member can begin with.
TCharSet CharSetFirstBytes(const uint8_t* operand);
// Every byte some transition takes, by the sets of bytes each state treats alike.
void CharSetByteSets(const uint8_t* operand, std::vector<TCharSet>& sets);

// Whether the character at `at` (of `length` bytes at `text`), or the one that ends there, is a
// word letter by Unicode's class; a byte of no valid sequence is none.
bool UnicodeWordAt(const unsigned char* text, int64_t length, int64_t at);
bool UnicodeWordBefore(const unsigned char* text, int64_t length, int64_t at);

}  // namespace fendrel

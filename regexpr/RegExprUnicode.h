// What the engine knows of Unicode characters: UTF-8 sequences, the character classes behind
// \w \d \s, and simple case folding. The tables (RegExprUnicodeTables.cpp) are generated from
// the Unicode Character Database by tools/gen-unicode-tables; kUnicodeVersion names its version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace fendrel {

extern const char kUnicodeVersion[];

// An inclusive range of code points.
struct TCodeRange {
  char32_t First;
  char32_t Last;
};

// Sorted, disjoint and not adjacent.
std::span<const TCodeRange> UnicodeWordRanges();   // letters, marks, decimal digits, connectors
std::span<const TCodeRange> UnicodeDigitRanges();  // decimal digits
std::span<const TCodeRange> UnicodeSpaceRanges();  // white space

bool InRanges(std::span<const TCodeRange> ranges, char32_t c);
inline bool IsUnicodeWord(char32_t c) {
  return InRanges(UnicodeWordRanges(), c);
}

// The simple case folding of c (statuses C and S): c itself when it has none.
char32_t SimpleFold(char32_t c);

// The characters whose simple folding equals c's, c among them, in ascending order; returns
// their count (at most kMaxCaseOrbit).
constexpr int kMaxCaseOrbit = 4;
int CaseOrbit(char32_t c, char32_t (&orbit)[kMaxCaseOrbit]);

// The characters that have a simple folding other than themselves, and the ones they fold to,
// in ascending order: the only characters whose case orbit has more than one member.
std::span<const char32_t> CasedCharacters();

// The length (1-4) of the valid UTF-8 sequence at `s` (of `available` bytes), its code point in
// `c`; 0 when the bytes there begin no valid sequence (overlong forms, surrogates and values
// beyond U+10FFFF are invalid).
int DecodeUtf8(const unsigned char* s, std::size_t available, char32_t& c);
// Writes c as UTF-8 into `out`; returns the length.
int EncodeUtf8(char32_t c, unsigned char (&out)[4]);

constexpr bool IsUtf8Continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

}  // namespace fendrel

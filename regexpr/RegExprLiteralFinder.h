// The finders a search skips ahead with. TLiteralFinder finds a literal in a subject by two of its
// bytes, the least common ones, many places at a time; only where both are in place is the whole
// literal compared. The first byte alone would stop at nearly every word where it is common (the
// lead byte of a UTF-8 letter in a Cyrillic text). With a case table, each byte matches itself or
// its other case, as a literal's node ignoring case compares them. The build is for every x86-64
// processor; where the one running it has wider vectors, they are used (chosen once, at run time).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "RegExpr.h"

namespace fendrel {

class TLiteralFinder {
 public:
  // How the bytes a place must hold are compared: as they are; in either case, where the two
  // cases differ in the bit 0x20 alone (ASCII letters), by setting that bit; in either case.
  enum TFold : uint8_t { kExact, kByBit, kEither };

  // `literal` and `flip` stay the caller's.
  explicit TLiteralFinder(std::string_view literal, const TCaseFlipTable* flip = nullptr);

  // The first occurrence at or after `from`, or -1.
  int64_t Next(std::string_view subject, int64_t from) const;

 private:
  std::size_t NextWide(std::string_view subject, std::size_t at, std::size_t last,
                       int64_t& found) const;
  // The literal's byte at `i` in its other case (itself without a case table).
  unsigned char Other(std::size_t i) const {
    const auto c = static_cast<unsigned char>(FLiteral[i]);
    return FFlip != nullptr ? (*FFlip)[c] : c;
  }
  int Commonness(std::size_t i) const;
  bool Equal(const char* at) const;

  std::string_view FLiteral;
  const TCaseFlipTable* FFlip;
  std::size_t FRare = 0;
  std::size_t FOther = 0;
  TFold FFold = kExact;
  // The rare byte and its other case (kByBit: its bit), the other byte and its other case.
  unsigned char FCompared[4] = {};
  bool FComparedAll = false;  // a place where both are is an occurrence
};

// Finds the next (or the last) byte of a set: up to four of them 16 places at a time, a larger
// set 32 places at a time by the table of its bytes' two halves where the processor has the
// vectors for it and the set can be told by such a table. Where the set is made of characters
// that seldom occur, skipping to them beats moving the automaton over every character between.
class TByteSetFinder {
 public:
  explicit TByteSetFinder(const TCharSet& set);

  // Whether the set is uncommon enough in the texts users search to be worth skipping to.
  static bool Worth(const TCharSet& set);
  // Whether the set is found many places at a time.
  static bool Fast(const TCharSet& set);

  // The first occurrence at or after `from`, or -1.
  int64_t Next(std::string_view subject, int64_t from) const;
  // The last occurrence, or -1.
  int64_t Last(std::string_view subject) const;
  // The first occurrence at or after `from` with `byte` `distance` places behind it, or -1:
  // where the set is Fast, 32 places at a time.
  int64_t NextBefore(std::string_view subject, int64_t from, unsigned char byte,
                     int64_t distance) const;

 private:
  int64_t NextByHalves(std::string_view subject, int64_t at) const;
  int64_t NextBeforeWide(std::string_view subject, int64_t at, unsigned char byte, int64_t distance,
                         int64_t& found) const;
  int64_t NextFewWide(std::string_view subject, int64_t at, int64_t& found) const;
  int64_t LastFewWide(std::string_view subject, int64_t end, int64_t& found) const;

  std::array<bool, 256> FTable{};
  std::vector<unsigned char> FFew;
  // Byte b is in the set where FLow[b & 15] & FHigh[b >> 4] is not 0 (FByHalves).
  bool FByHalves = false;
  alignas(16) unsigned char FLow[16] = {};
  alignas(16) unsigned char FHigh[16] = {};
};

}  // namespace fendrel

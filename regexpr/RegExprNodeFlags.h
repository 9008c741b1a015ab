// What the backtracker may rely on about a program's nodes, worked out once per program before
// its first search (see TNodeFlag).
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

namespace fendrel {

using TCaseFlipTable = std::array<unsigned char, 256>;

// The characters an alternative of a chain can begin with, and those its later alternatives
// can begin with (every character where one may match without consuming).
struct TAlternativeChars {
  using TChars = std::bitset<256>;
  TChars Own, Later;
};

struct TNodeInfo {
  std::vector<uint8_t> Flags;             // TNodeFlag bits, by program offset
  std::vector<int32_t> AlternativeIndex;  // by program offset: into Alternatives, or -1
  std::vector<TAlternativeChars> Alternatives;
  TCaseFlipTable CaseFlip{};  // the case table the character sets were made with
  // Every match is one run of characters of a class, at least one long at most (.* over lines,
  // \w+): an attempt where the run's first character is takes the run and ends, without a
  // choice to come back to.
  bool LeadRunIsMatch = false;
  // Of each set of characters (opCharSet), by program offset: an index into TwoByteMembers, or
  // -1. Bit c - 0x80 of those tells whether the character c (U+0080 to U+07FF: two bytes in
  // UTF-8, as most letters beyond ASCII) is a member, at one look.
  std::vector<int32_t> TwoByteIndex;
  std::vector<std::bitset<0x780>> TwoByteMembers;
};

// Works out `info` for the program (`size` bytes, magic byte first) under the case table `flip`.
void MarkNodes(const uint8_t* program, uint32_t size, const TCaseFlipTable& flip, TNodeInfo& info);

}  // namespace fendrel

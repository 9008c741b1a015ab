// The checksum the container stores for every appended file: two running sums modulo 65535,
// the second weighting each byte by its 1-based position inside its 60000-byte block.
//
// Stored checksums are compared as text, so the block size, the modulus and the digit case are
// part of the container format and must never change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fendrel {

// Four upper-case hexadecimal digits, most significant first.
std::string HexWord(uint16_t value);

// Accumulates the checksum over bytes given in pieces of any size: blocks are counted in the
// stream, not in the pieces, so a file read in short reads sums exactly like one read whole.
class TChecksum {
 public:
  static constexpr std::size_t kBlockSize = 60000;
  static constexpr uint32_t kModulus = 65535;

  void Add(const char* data, std::size_t length);
  // HexWord(Sum1) + HexWord(Sum2): eight digits.
  std::string Text() const;

 private:
  uint32_t FSum1 = 0;
  uint32_t FSum2 = 0;
  std::size_t FInBlock = 0;  // bytes of the current block already summed
};

// The eight-digit checksum of a regular file, or "" when it cannot be read (missing, not a
// regular file, a read error).
std::string FileChecksum(const std::string& path);

}  // namespace fendrel

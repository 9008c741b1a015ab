// Finds the leftmost occurrence of a literal byte string, exactly or with letters compared
// through the case table. Each call scans forward from a position, so repeated calls give the
// same non-overlapping, left-to-right matches as comparing at every position in turn.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "platform/CodePage.h"

namespace fendrel {

// The two byte comparisons of the literal modes; the file byte comes first.
inline bool SameByte(unsigned char fileByte, unsigned char oldByte) {
  return fileByte == oldByte;
}
inline bool SameByteNoCase(unsigned char fileByte, unsigned char oldByte) {
  return CharUpper(fileByte) == CharUpper(oldByte);
}

class TLiteralSearcher {
 public:
  // `needle` must not be empty. The case table is read once, here.
  TLiteralSearcher(std::string needle, bool ignoreCase);

  // The first match that starts at or after `from` and ends at or before `end`, or nullptr.
  const char* Find(const char* from, const char* end) const;

 private:
  bool EqualNoCase(const unsigned char* at) const;

  std::string FNeedle;  // upper-cased when FIgnoreCase
  bool FIgnoreCase;
  std::array<unsigned char, 256> FUpper{};
  // The needle position scanned for first (its rarest byte) and the bytes that match it there.
  std::size_t FAnchor = 0;
  unsigned char FAnchorA = 0;
  unsigned char FAnchorB = 0;
};

}  // namespace fendrel

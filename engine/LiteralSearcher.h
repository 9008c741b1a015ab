// Finds the leftmost occurrence of a literal byte string, exactly or ignoring case. Each call
// scans forward from a position, so repeated calls give the same non-overlapping, left-to-right
// matches as comparing at every position in turn.
//
// Ignoring case in a single-byte code page compares bytes through its case table. In UTF-8 it
// compares characters by their simple case folding, so a match may be longer or shorter than the
// old string ("k" matches the three bytes of the Kelvin sign); a match never begins or ends
// inside a character there, and a byte that begins no valid character matches only itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace fendrel {

// The two byte comparisons of the literal modes in a single-byte code page; the file byte comes
// first.
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

  // The first match that starts at or after `from` and ends at or before `end`, or nullptr;
  // `matchEnd` receives where it ends. In UTF-8 `from` must begin a character (or be a byte
  // that begins none): the start of the text or the end of an earlier match.
  const char* Find(const char* from, const char* end, const char*& matchEnd) const;
  const char* Find(const char* from, const char* end) const {
    const char* matchEnd;
    return Find(from, end, matchEnd);
  }

 private:
  // What one character of the old string matches in UTF-8 text: the encodings of its case
  // orbit. A byte of the old string that begins no valid character is a unit of its own, with
  // that byte as its only form.
  struct TUnit {
    int Count = 0;
    std::array<unsigned char, 4> Length{};
    std::array<std::array<unsigned char, 4>, 4> Bytes{};
    // Each form as the four bytes loaded from where it begins (Ahead) or from four bytes before
    // where it ends (Behind), and the bits of them that are its own.
    std::array<uint32_t, 4> Ahead{}, AheadMask{}, Behind{}, BehindMask{};
    bool Invalid = false;
  };

  // Bytes a scan stops at: b is one of them when (b | Ignored) is one of Bytes[0, Count),
  // which may take in a byte more than asked for.
  struct TScanSet {
    std::array<unsigned char, 4> Bytes{};
    int Count = 0;
    unsigned char Ignored = 0;
  };

  static TScanSet ScanSetOf(const std::array<unsigned char, 4>& bytes, int count);
  void PrepareWords();
  bool EqualNoCase(const unsigned char* at, const unsigned char* end) const;
  void PrepareFolding();
  void PrepareAsciiForms();
  enum class TAsciiVerdict { Match, NoMatch, Unsure };
  TAsciiVerdict CompareAsciiForms(const unsigned char* start, const unsigned char* end) const;
  const unsigned char* FindFolded(const unsigned char* from, const unsigned char* end,
                                  const unsigned char*& matchEnd) const;

  std::string FNeedle;  // upper-cased when FIgnoreCase, unless folding
  bool FIgnoreCase;
  std::array<unsigned char, 256> FUpper{};
  // The needle position scanned for first (its rarest byte) and the bytes that match it there.
  std::size_t FAnchor = 0;
  unsigned char FAnchorA = 0;
  unsigned char FAnchorB = 0;
  // Ignoring case through the byte table: the old string in words of eight bytes, each byte
  // with the bit its two cases differ in set, and those bits; empty when a byte's cases differ
  // in more (see PrepareWords). Folding, the same for the ASCII forms of an old string whose
  // characters have them, else empty (see PrepareAsciiForms).
  std::vector<uint64_t> FWords;
  std::vector<uint64_t> FWordMasks;

  // Case folding of UTF-8: the units, the unit holding the anchor byte (FAnchor is the byte's
  // index within that unit, where every form has one), the shortest the units before it can be
  // in a file, and the shortest a match can be.
  bool FFolding = false;
  std::vector<TUnit> FUnits;
  std::size_t FAnchorUnit = 0;
  std::size_t FBeforeAnchor = 0;
  std::size_t FShortest = 0;
  // The bytes the scan looks for at the anchor, and at a second place of the old string
  // FSecondDistance bytes further on in every match (none, count 0, when no two places lie
  // at a fixed distance).
  TScanSet FAnchorSet;
  TScanSet FSecondSet;
  std::size_t FSecondDistance = 0;
  // Folding an old string whose characters have ASCII forms: for each character, the first and
  // the last byte of its one form beyond ASCII (E2 and AA of the Kelvin sign for k), or its
  // ASCII form when it has none; and the bytes of FWords that lie before the anchor unit.
  std::string FFormLead, FFormLast;
  std::vector<uint64_t> FBeforeAnchorBytes;
};

}  // namespace fendrel

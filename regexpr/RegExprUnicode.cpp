// Lookups in the generated Unicode tables, and strict UTF-8 decoding and encoding.
#include "regexpr/RegExprUnicode.h"

#include <algorithm>

#include "regexpr/RegExprUnicodeTables.h"

namespace fendrel {

bool InRanges(std::span<const TCodeRange> ranges, char32_t c) {
  const auto after = std::upper_bound(ranges.begin(), ranges.end(), c,
                                      [](char32_t v, const TCodeRange& r) { return v < r.First; });
  return after != ranges.begin() && c <= (after - 1)->Last;
}

char32_t SimpleFold(char32_t c) {
  // Text is mostly ASCII, and there only the capitals fold.
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
  const std::span<const TFoldPair> pairs = SimpleFoldPairs();
  const auto at = std::lower_bound(pairs.begin(), pairs.end(), c,
                                   [](const TFoldPair& p, char32_t v) { return p.Key < v; });
  return at != pairs.end() && at->Key == c ? at->Value : c;
}

int CaseOrbit(char32_t c, char32_t (&orbit)[kMaxCaseOrbit]) {
  // A folding folds to itself, so the orbit is the folding and every character folding to it.
  const char32_t folded = SimpleFold(c);
  int count = 0;
  orbit[count++] = folded;
  const std::span<const TFoldPair> pairs = SimpleUnfoldPairs();
  auto at = std::lower_bound(pairs.begin(), pairs.end(), folded,
                             [](const TFoldPair& p, char32_t v) { return p.Key < v; });
  // The generator guarantees the bound; the check keeps a bad table from writing past `orbit`.
  for (; at != pairs.end() && at->Key == folded && count < kMaxCaseOrbit; ++at)
    orbit[count++] = at->Value;
  std::sort(orbit, orbit + count);
  return count;
}

int DecodeUtf8(const unsigned char* s, std::size_t available, char32_t& c) {
  if (available == 0) return 0;
  const unsigned char lead = s[0];
  if (lead < 0x80) {
    c = lead;
    return 1;
  }
  int length;
  char32_t value;
  // The second byte's range is narrower than 80-BF where the lead byte alone would allow an
  // overlong form (E0, F0), a surrogate (ED) or a value beyond U+10FFFF (F4).
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;  // a continuation byte, C0/C1 (always overlong) or F5-FF
  }
  if (available < static_cast<std::size_t>(length)) return 0;
  if (s[1] < low || s[1] > high) return 0;
  value = value << 6 | (s[1] & 0x3F);
  for (int i = 2; i < length; ++i) {
    if (!IsUtf8Continuation(s[i])) return 0;
    value = value << 6 | (s[i] & 0x3F);
  }
  c = value;
  return length;
}

int EncodeUtf8(char32_t c, unsigned char (&out)[4]) {
  if (c < 0x80) {
    out[0] = static_cast<unsigned char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | c >> 6);
    out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<unsigned char>(0xE0 | c >> 12);
    out[1] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<unsigned char>(0xF0 | c >> 18);
  out[1] = static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F));
  out[2] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
  out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
  return 4;
}

}  // namespace fendrel

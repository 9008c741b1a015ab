#include "LiteralSearcher.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace fendrel {
namespace {

// How common a byte is in ordinary text, 0 (rare) to 255 (very common): the case-insensitive
// search scans for the rarest byte of the old string so that it verifies few candidates.
unsigned char Commonness(unsigned char c) {
  if (c == ' ') return 255;
  if (c == 'e' || c == 't' || c == 'a' || c == 'o' || c == 'i' || c == 'n') return 230;
  if (c == 's' || c == 'h' || c == 'r' || c == 'd' || c == 'l' || c == 'u') return 200;
  if (c >= 'a' && c <= 'z') return 150;
  if (c == '\n' || c == '\r' || c == ',' || c == '.' || c == '\t') return 140;
  if (c >= 'A' && c <= 'Z') return 100;
  if (c >= '0' && c <= '9') return 90;
  if (c < 32 || c >= 0x80) return c == 0 ? 60 : 20;
  return 50;
}

// The next position in [from, end) holding `a` or `b`, or nullptr.
const unsigned char* FindEither(const unsigned char* from, const unsigned char* end,
                                unsigned char a, unsigned char b) {
  if (a == b) return static_cast<const unsigned char*>(std::memchr(from, a, end - from));
#ifdef __SSE2__
  const __m128i va = _mm_set1_epi8(static_cast<char>(a));
  const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
  while (end - from >= 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const int hits =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb)));
    if (hits != 0) return from + __builtin_ctz(static_cast<unsigned>(hits));
    from += 16;
  }
#endif
  for (; from < end; ++from) {
    if (*from == a || *from == b) return from;
  }
  return nullptr;
}

}  // namespace

TLiteralSearcher::TLiteralSearcher(std::string needle, bool ignoreCase)
    : FNeedle(std::move(needle)), FIgnoreCase(ignoreCase) {
  if (FIgnoreCase) {
    FUpper = ActiveCaseMap().Upper;
    for (char& c : FNeedle)
      c = static_cast<char>(FUpper[static_cast<unsigned char>(c)]);
  }
  // Both modes scan for the old string's rarest byte and compare the rest only there. Ignoring
  // case, every byte whose upper case is the needle byte matches it; with the program's tables
  // that is at most two bytes per needle byte.
  int best = 256;
  for (std::size_t i = 0; i < FNeedle.size(); ++i) {
    const auto wanted = static_cast<unsigned char>(FNeedle[i]);
    unsigned char variants[2] = {wanted, wanted};
    if (FIgnoreCase) {
      int count = 0;
      for (int c = 0; c < 256 && count < 2; ++c) {
        if (FUpper[c] == wanted) variants[count++] = static_cast<unsigned char>(c);
      }
      if (count == 1) variants[1] = variants[0];
    }
    const int score = std::max(Commonness(variants[0]), Commonness(variants[1]));
    if (score < best) {
      best = score;
      FAnchor = i;
      FAnchorA = variants[0];
      FAnchorB = variants[1];
    }
  }
}

bool TLiteralSearcher::EqualNoCase(const unsigned char* at) const {
  for (std::size_t k = 0; k < FNeedle.size(); ++k) {
    if (FUpper[at[k]] != static_cast<unsigned char>(FNeedle[k])) return false;
  }
  return true;
}

const char* TLiteralSearcher::Find(const char* from, const char* end) const {
  const std::size_t length = FNeedle.size();
  if (from >= end || static_cast<std::size_t>(end - from) < length) return nullptr;
  const auto* lastStart = reinterpret_cast<const unsigned char*>(end - length);
  const auto* scan = reinterpret_cast<const unsigned char*>(from) + FAnchor;
  const auto* scanEnd = lastStart + FAnchor + 1;
  while (scan < scanEnd) {
    const unsigned char* hit = FindEither(scan, scanEnd, FAnchorA, FAnchorB);
    if (hit == nullptr) return nullptr;
    const unsigned char* start = hit - FAnchor;
    if (FIgnoreCase ? EqualNoCase(start) : std::memcmp(start, FNeedle.data(), length) == 0)
      return reinterpret_cast<const char*>(start);
    scan = hit + 1;
  }
  return nullptr;
}

}  // namespace fendrel

#include "LiteralSearcher.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace fendrel {
namespace {

// How common a byte is in ordinary text, 0 (rare) to 255 (very common): the search scans for
// the rarest byte of the old string so that it stops at few candidates. Letters follow their
// frequency in English text (per mille).
unsigned char Commonness(unsigned char c) {
  static constexpr unsigned char kLetterPerMille[26] = {
      82, 15, 28, 43, 127, 22, 20, 61, 70, 2,  8, 40, 24,  // a-m
      67, 75, 19, 1,  60,  63, 91, 28, 10, 24, 2, 20, 1,   // n-z
  };
  if (c == ' ') return 255;
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(110 + kLetterPerMille[c - 'a']);
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(70 + kLetterPerMille[c - 'A'] / 4);
  if (c == '\n' || c == '\r' || c == ',' || c == '.' || c == '\t') return 140;
  if (c >= '0' && c <= '9') return 90;
  if (c < 32 || c >= 0x80) return c == 0 ? 60 : 20;
  return 50;
}

// Calls `verify` at each position of [scan, end) that holds `a` or `b`, in order, and returns
// the first position it accepts, or nullptr. Blocks of bytes are compared at once, and every
// candidate of a block is verified before the next block is loaded, so frequent candidates cost
// little more than rare ones.
template <typename Verify>
const unsigned char* ScanPortable(const unsigned char* scan, const unsigned char* end,
                                  unsigned char a, unsigned char b, const Verify& verify) {
#if defined(__x86_64__)
  const __m128i va = _mm_set1_epi8(static_cast<char>(a));
  const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
  for (; end - scan >= 16; scan += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scan));
    auto hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, va), _mm_cmpeq_epi8(block, vb))));
    for (; hits != 0; hits &= hits - 1) {
      const unsigned char* at = scan + __builtin_ctz(hits);
      if (verify(at)) return at;
    }
  }
#endif
  for (; scan < end; ++scan) {
    if ((*scan == a || *scan == b) && verify(scan)) return scan;
  }
  return nullptr;
}

#if defined(__x86_64__)
// The same, 32 bytes at a time, for processors that have the wider registers.
template <typename Verify>
__attribute__((target("avx2"))) const unsigned char* ScanWide(const unsigned char* scan,
                                                              const unsigned char* end,
                                                              unsigned char a, unsigned char b,
                                                              const Verify& verify) {
  const __m256i va = _mm256_set1_epi8(static_cast<char>(a));
  const __m256i vb = _mm256_set1_epi8(static_cast<char>(b));
  for (; end - scan >= 32; scan += 32) {
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(scan));
    auto hits = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(block, va), _mm256_cmpeq_epi8(block, vb))));
    for (; hits != 0; hits &= hits - 1) {
      const unsigned char* at = scan + __builtin_ctz(hits);
      if (verify(at)) return at;
    }
  }
  return ScanPortable(scan, end, a, b, verify);
}

const bool kHasWideRegisters = __builtin_cpu_supports("avx2");
#endif

template <typename Verify>
const unsigned char* Scan(const unsigned char* scan, const unsigned char* end, unsigned char a,
                          unsigned char b, const Verify& verify) {
#if defined(__x86_64__)
  if (kHasWideRegisters) return ScanWide(scan, end, a, b, verify);
#endif
  return ScanPortable(scan, end, a, b, verify);
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
  // Candidates are positions of the anchor byte; the old string starts FAnchor bytes earlier.
  const auto* scan = reinterpret_cast<const unsigned char*>(from) + FAnchor;
  const auto* scanEnd = reinterpret_cast<const unsigned char*>(end - length) + FAnchor + 1;
  const unsigned char* hit =
      FIgnoreCase
          ? Scan(scan, scanEnd, FAnchorA, FAnchorB,
                 [this](const unsigned char* at) { return EqualNoCase(at - FAnchor); })
          : Scan(scan, scanEnd, FAnchorA, FAnchorB, [this, length](const unsigned char* at) {
              return std::memcmp(at - FAnchor, FNeedle.data(), length) == 0;
            });
  return hit == nullptr ? nullptr : reinterpret_cast<const char*>(hit - FAnchor);
}

}  // namespace fendrel

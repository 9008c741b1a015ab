#include "RegExprLiteralFinder.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#define FENDREL_WIDE_VECTORS
#include <immintrin.h>
#endif

#include "RegExprAnalysis.h"

namespace fendrel {
namespace {

#ifdef FENDREL_WIDE_VECTORS
bool HasWideVectors() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

// The tables by which a byte's two halves tell whether it is in `set`: each high half's set of
// low halves is one of at most eight kinds, a bit each. False when there are more kinds.
bool HalvesOf(const TCharSet& set, unsigned char (&low)[16], unsigned char (&high)[16]) {
  uint16_t lows[16] = {};
  for (int c = 0; c < 256; ++c)
    if (set[static_cast<std::size_t>(c)]) lows[c >> 4] |= static_cast<uint16_t>(1u << (c & 15));
  uint16_t kinds[8];
  int count = 0;
  for (int h = 0; h < 16; ++h) {
    if (lows[h] == 0) continue;
    int kind = 0;
    while (kind < count && kinds[kind] != lows[h])
      ++kind;
    if (kind == count) {
      if (count == 8) return false;
      kinds[count++] = lows[h];
    }
    high[h] = static_cast<unsigned char>(1u << kind);
    for (int l = 0; l < 16; ++l)
      if ((lows[h] >> l) & 1) low[l] |= static_cast<unsigned char>(1u << kind);
  }
  return true;
}

#ifdef __SSE2__
// The few bytes (up to four, the first repeated), one to a vector.
void FewVectors(const std::vector<unsigned char>& bytes, __m128i (&few)[4]) {
  for (std::size_t i = 0; i < 4; ++i)
    few[i] = _mm_set1_epi8(static_cast<char>(bytes.empty() ? 0 : bytes[i < bytes.size() ? i : 0]));
}

// Where one of the few bytes is in the 16 places from `at`, a bit each.
int FewIn16(const unsigned char* at, const __m128i (&few)[4]) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  return _mm_movemask_epi8(
      _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, few[0]), _mm_cmpeq_epi8(block, few[1])),
                   _mm_or_si128(_mm_cmpeq_epi8(block, few[2]), _mm_cmpeq_epi8(block, few[3]))));
}
#endif

}  // namespace

TByteSetFinder::TByteSetFinder(const TCharSet& set) {
  for (int c = 0; c < 256; ++c)
    if (set[static_cast<std::size_t>(c)]) {
      FTable[static_cast<std::size_t>(c)] = true;
      FFew.push_back(static_cast<unsigned char>(c));
    }
#ifdef FENDREL_WIDE_VECTORS
  FByHalves = FFew.size() > 4 && HasWideVectors() && HalvesOf(set, FLow, FHigh);
#endif
}

bool TByteSetFinder::Worth(const TCharSet& set) {
  if (set[0] || set.count() > 24) return false;
  for (int c = 0; c < 256; ++c)
    if (set[static_cast<std::size_t>(c)] && ByteCommonness(static_cast<unsigned char>(c)) > 4)
      return false;
  return true;
}

bool TByteSetFinder::Fast(const TCharSet& set) {
  if (set.count() <= 4) return true;
#ifdef FENDREL_WIDE_VECTORS
  unsigned char low[16] = {}, high[16] = {};
  return HasWideVectors() && HalvesOf(set, low, high);
#else
  return false;
#endif
}

int64_t TByteSetFinder::Next(std::string_view subject, int64_t from) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  const auto length = static_cast<int64_t>(subject.size());
  int64_t at = from;
  if (FByHalves) at = NextByHalves(subject, at);
#ifdef __SSE2__
  if (!FFew.empty() && FFew.size() <= 4) {
    int64_t found = -1;
    at = NextFewWide(subject, at, found);
    if (found >= 0) return found;
    __m128i few[4];
    FewVectors(FFew, few);
    for (; at + 16 <= length; at += 16)
      if (const int mask = FewIn16(bytes + at, few); mask != 0) return at + __builtin_ctz(mask);
  }
#endif
  for (; at < length; ++at)
    if (FTable[bytes[at]]) return at;
  return -1;
}

int64_t TByteSetFinder::NextBefore(std::string_view subject, int64_t from, unsigned char byte,
                                   int64_t distance) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  const auto length = static_cast<int64_t>(subject.size());
  int64_t found = -1;
  int64_t at = NextBeforeWide(subject, from, byte, distance, found);
  if (found >= 0) return found;
  for (; at + distance < length; ++at)
    if (FTable[bytes[at]] && bytes[at + distance] == byte) return at;
  return -1;
}

int64_t TByteSetFinder::Last(std::string_view subject) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  auto end = static_cast<int64_t>(subject.size());  // what lies before is still to be seen
#ifdef __SSE2__
  if (!FFew.empty() && FFew.size() <= 4) {
    int64_t found = -1;
    end = LastFewWide(subject, end, found);
    if (found >= 0) return found;
    __m128i few[4];
    FewVectors(FFew, few);
    for (; end >= 16; end -= 16)
      if (const int mask = FewIn16(bytes + end - 16, few); mask != 0)
        return end - 16 + (31 - __builtin_clz(static_cast<unsigned>(mask)));
  }
#endif
  while (end > 0 && !FTable[bytes[end - 1]])
    --end;
  return end - 1;
}

#ifdef FENDREL_WIDE_VECTORS
namespace {

// Where one of the four bytes (a few bytes, the first repeated) is in the 32 places from `at`,
// a bit each.
[[gnu::always_inline]] __attribute__((target("avx2"))) inline uint32_t FewIn32(
    const unsigned char* at, const __m256i (&few)[4]) {
  const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  return static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(
      _mm256_or_si256(_mm256_cmpeq_epi8(block, few[0]), _mm256_cmpeq_epi8(block, few[1])),
      _mm256_or_si256(_mm256_cmpeq_epi8(block, few[2]), _mm256_cmpeq_epi8(block, few[3])))));
}

// The few bytes (up to four, the first repeated), one to a vector.
[[gnu::always_inline]] __attribute__((target("avx2"))) inline void FewVectors(
    const std::vector<unsigned char>& bytes, __m256i (&few)[4]) {
  for (std::size_t i = 0; i < 4; ++i)
    few[i] =
        _mm256_set1_epi8(static_cast<char>(bytes.empty() ? 0 : bytes[i < bytes.size() ? i : 0]));
}

// The tables of a set told by its bytes' two halves, each in both lanes.
struct THalves {
  __m256i Low, High;
};

[[gnu::always_inline]] __attribute__((target("avx2"))) inline THalves HalvesVectors(
    const unsigned char (&low)[16], const unsigned char (&high)[16]) {
  return {_mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(low))),
          _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(high)))};
}

// Where a byte of the set is in the 32 places from `at`, a bit each.
[[gnu::always_inline]] __attribute__((target("avx2"))) inline uint32_t HalvesIn32(
    const unsigned char* at, const THalves& halves) {
  const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  const __m256i nibbles = _mm256_set1_epi8(0x0F);
  const __m256i lows = _mm256_shuffle_epi8(halves.Low, _mm256_and_si256(block, nibbles));
  const __m256i highs =
      _mm256_shuffle_epi8(halves.High, _mm256_and_si256(_mm256_srli_epi16(block, 4), nibbles));
  return ~static_cast<uint32_t>(_mm256_movemask_epi8(
      _mm256_cmpeq_epi8(_mm256_and_si256(lows, highs), _mm256_setzero_si256())));
}

}  // namespace

// From `at` on, 64 places a round where the processor has the vectors: the first of a few bytes
// in `found`, or -1 and the place where no further round fits.
__attribute__((target("avx2"))) int64_t TByteSetFinder::NextFewWide(std::string_view subject,
                                                                    int64_t at,
                                                                    int64_t& found) const {
  found = -1;
  if (!HasWideVectors()) return at;
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  const auto length = static_cast<int64_t>(subject.size());
  __m256i few[4];
  FewVectors(FFew, few);
  for (; at + 64 <= length; at += 64)
    if (const uint64_t hits =
            FewIn32(bytes + at, few) | static_cast<uint64_t>(FewIn32(bytes + at + 32, few)) << 32;
        hits != 0) {
      found = at + __builtin_ctzll(hits);
      return at;
    }
  return at;
}

// Before `end`, 64 places a round: the last of the bytes in `found`, or -1 and the place before
// which no further round fits.
__attribute__((target("avx2"))) int64_t TByteSetFinder::LastFewWide(std::string_view subject,
                                                                    int64_t end,
                                                                    int64_t& found) const {
  found = -1;
  if (!HasWideVectors()) return end;
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  __m256i few[4];
  FewVectors(FFew, few);
  for (; end >= 64; end -= 64)
    if (const uint64_t hits = FewIn32(bytes + end - 64, few) |
                              static_cast<uint64_t>(FewIn32(bytes + end - 32, few)) << 32;
        hits != 0) {
      found = end - 64 + (63 - __builtin_clzll(hits));
      return end;
    }
  return end;
}

// From `at` on, 32 places at a time where the set is told by a few bytes or its halves: the
// first of its bytes with `byte` `distance` places behind it in `found`, or -1 and where no
// further block fits.
__attribute__((target("avx2"))) int64_t TByteSetFinder::NextBeforeWide(std::string_view subject,
                                                                       int64_t at,
                                                                       unsigned char byte,
                                                                       int64_t distance,
                                                                       int64_t& found) const {
  found = -1;
  if (!HasWideVectors() || (!FByHalves && (FFew.empty() || FFew.size() > 4))) return at;
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  const auto length = static_cast<int64_t>(subject.size());
  __m256i few[4];
  FewVectors(FFew, few);
  const THalves halves = HalvesVectors(FLow, FHigh);
  const __m256i behind = _mm256_set1_epi8(static_cast<char>(byte));
  for (; at + distance + 32 <= length; at += 32) {
    uint32_t hits = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + at + distance)), behind)));
    if (hits == 0) continue;
    hits &= FByHalves ? HalvesIn32(bytes + at, halves) : FewIn32(bytes + at, few);
    if (hits != 0) {
      found = at + __builtin_ctz(hits);
      return at;
    }
  }
  return at;
}

// From `at` on, 32 places at a time: the first byte of the set, or where no further block
// fits; Next then looks at the rest a byte at a time.
__attribute__((target("avx2"))) int64_t TByteSetFinder::NextByHalves(std::string_view subject,
                                                                     int64_t at) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());
  const auto length = static_cast<int64_t>(subject.size());
  const THalves halves = HalvesVectors(FLow, FHigh);
  for (; at + 32 <= length; at += 32)
    if (const uint32_t hits = HalvesIn32(bytes + at, halves); hits != 0)
      return at + __builtin_ctz(hits);
  return at;
}
#else
int64_t TByteSetFinder::NextByHalves(std::string_view, int64_t at) const {
  return at;
}
int64_t TByteSetFinder::NextBeforeWide(std::string_view, int64_t at, unsigned char, int64_t,
                                       int64_t& found) const {
  found = -1;
  return at;
}
int64_t TByteSetFinder::NextFewWide(std::string_view, int64_t at, int64_t& found) const {
  found = -1;
  return at;
}
int64_t TByteSetFinder::LastFewWide(std::string_view, int64_t end, int64_t& found) const {
  found = -1;
  return end;
}
#endif

TLiteralFinder::TLiteralFinder(std::string_view literal, const TCaseFlipTable* flip)
    : FLiteral(literal), FFlip(flip) {
  for (std::size_t i = 1; i < literal.size(); ++i)
    if (Commonness(i) < Commonness(FRare)) FRare = i;
  FOther = FRare == 0 ? literal.size() - 1 : 0;
  for (std::size_t i = 0; i < literal.size(); ++i)
    if (i != FRare && Commonness(i) < Commonness(FOther)) FOther = i;
  // A byte and its other case, or the byte with the bit that tells its cases apart.
  const auto bit = [this](std::size_t i) {
    const auto c = static_cast<unsigned char>(FLiteral[i]);
    return static_cast<unsigned char>(Other(i) == c ? 0 : 0x20);
  };
  const auto byBit = [this](std::size_t i) {
    const auto c = static_cast<unsigned char>(FLiteral[i]);
    return Other(i) == c || Other(i) == (c ^ 0x20);
  };
  FFold = FFlip == nullptr ? kExact : byBit(FRare) && byBit(FOther) ? kByBit : kEither;
  const auto rare = static_cast<unsigned char>(FLiteral[FRare]);
  const auto other = static_cast<unsigned char>(FLiteral[FOther]);
  FCompared[0] = FFold == kByBit ? rare | bit(FRare) : rare;
  FCompared[1] = FFold == kByBit ? bit(FRare) : Other(FRare);
  FCompared[2] = FFold == kByBit ? other | bit(FOther) : other;
  FCompared[3] = FFold == kByBit ? bit(FOther) : Other(FOther);
  // The two bytes compared are all of a literal of one or two.
  FComparedAll = literal.size() == 1 || (literal.size() == 2 && FRare != FOther);
}

int TLiteralFinder::Commonness(std::size_t i) const {
  return std::max(ByteCommonness(static_cast<unsigned char>(FLiteral[i])),
                  ByteCommonness(Other(i)));
}

bool TLiteralFinder::Equal(const char* at) const {
  if (FFlip == nullptr) return std::memcmp(at, FLiteral.data(), FLiteral.size()) == 0;
  for (std::size_t i = 0; i < FLiteral.size(); ++i)
    if (at[i] != FLiteral[i] && static_cast<unsigned char>(at[i]) != Other(i)) return false;
  return true;
}

int64_t TLiteralFinder::Next(std::string_view subject, int64_t from) const {
  const std::size_t size = FLiteral.size();
  if (subject.size() < size) return -1;
  const std::size_t last = subject.size() - size;  // the last place it can begin
  auto at = static_cast<std::size_t>(from);
#ifdef FENDREL_WIDE_VECTORS
  if (HasWideVectors()) {
    int64_t found = -1;
    at = NextWide(subject, at, last, found);
    if (found >= 0) return found;
  }
#endif
#ifdef __SSE2__
  const __m128i rare = _mm_set1_epi8(FLiteral[FRare]);
  const __m128i rareOther = _mm_set1_epi8(static_cast<char>(Other(FRare)));
  const __m128i other = _mm_set1_epi8(FLiteral[FOther]);
  const __m128i otherOther = _mm_set1_epi8(static_cast<char>(Other(FOther)));
  for (; at + 15 <= last; at += 16) {
    const auto* block = subject.data() + at;
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + FRare));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + FOther));
    auto both = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, rare), _mm_cmpeq_epi8(a, rareOther)),
                      _mm_or_si128(_mm_cmpeq_epi8(b, other), _mm_cmpeq_epi8(b, otherOther)))));
    for (; both != 0; both &= both - 1) {
      const std::size_t candidate = at + static_cast<std::size_t>(__builtin_ctz(both));
      if (FComparedAll || Equal(subject.data() + candidate)) return static_cast<int64_t>(candidate);
    }
  }
#endif
  for (; at <= last; ++at)
    if (Equal(subject.data() + at)) return static_cast<int64_t>(at);
  return -1;
}

#ifdef FENDREL_WIDE_VECTORS
namespace {

// Where the byte is in place, a byte of all ones: `x`; `x` once `y`'s bit is set; `x` or `y`.
template <TLiteralFinder::TFold Fold>
[[gnu::always_inline]] __attribute__((target("avx2"))) inline __m256i Hits(__m256i block, __m256i x,
                                                                           __m256i y) {
  if constexpr (Fold == TLiteralFinder::kEither)
    return _mm256_or_si256(_mm256_cmpeq_epi8(block, x), _mm256_cmpeq_epi8(block, y));
  if constexpr (Fold == TLiteralFinder::kByBit)
    return _mm256_cmpeq_epi8(_mm256_or_si256(block, y), x);
  return _mm256_cmpeq_epi8(block, x);
}

// A bit for each of the 32 places from `block` on where both bytes are in place: the rare one
// `rareAt` bytes on, the other `otherAt` bytes on.
template <TLiteralFinder::TFold Fold>
[[gnu::always_inline]] __attribute__((target("avx2"))) inline uint32_t BothInPlace(
    const char* block, std::size_t rareAt, std::size_t otherAt, const __m256i (&bytes)[4]) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + rareAt));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + otherAt));
  return static_cast<uint32_t>(_mm256_movemask_epi8(
      _mm256_and_si256(Hits<Fold>(a, bytes[0], bytes[1]), Hits<Fold>(b, bytes[2], bytes[3]))));
}

// 64 places from `block` on, as BothInPlace.
template <TLiteralFinder::TFold Fold>
[[gnu::always_inline]] __attribute__((target("avx2"))) inline uint64_t BothIn64(
    const char* block, std::size_t rareAt, std::size_t otherAt, const __m256i (&bytes)[4]) {
  return BothInPlace<Fold>(block, rareAt, otherAt, bytes) |
         static_cast<uint64_t>(BothInPlace<Fold>(block + 32, rareAt, otherAt, bytes)) << 32;
}

}  // namespace

// The blocks of 32 places from `at` on, as Next compares 16 of them: the first occurrence in
// `found`, or -1 and the place where no further block fits.
__attribute__((target("avx2"))) std::size_t TLiteralFinder::NextWide(std::string_view subject,
                                                                     std::size_t at,
                                                                     std::size_t last,
                                                                     int64_t& found) const {
  const __m256i bytes[4] = {_mm256_set1_epi8(static_cast<char>(FCompared[0])),
                            _mm256_set1_epi8(static_cast<char>(FCompared[1])),
                            _mm256_set1_epi8(static_cast<char>(FCompared[2])),
                            _mm256_set1_epi8(static_cast<char>(FCompared[3]))};
  // Two blocks a round: where candidates are rare, the loop's own cost counts.
  for (; at + 63 <= last; at += 64) {
    const char* block = subject.data() + at;
    auto both = FFold == kExact   ? BothIn64<kExact>(block, FRare, FOther, bytes)
                : FFold == kByBit ? BothIn64<kByBit>(block, FRare, FOther, bytes)
                                  : BothIn64<kEither>(block, FRare, FOther, bytes);
    for (; both != 0; both &= both - 1) {
      const std::size_t candidate = at + static_cast<std::size_t>(__builtin_ctzll(both));
      if (FComparedAll || Equal(subject.data() + candidate)) {
        found = static_cast<int64_t>(candidate);
        return at;
      }
    }
  }
  return at;
}
#else
std::size_t TLiteralFinder::NextWide(std::string_view, std::size_t at, std::size_t,
                                     int64_t&) const {
  return at;
}
#endif

}  // namespace fendrel

#include "LiteralSearcher.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <span>
#include <tuple>
#include <type_traits>
#include <vector>

#include "regexpr/RegExprUnicode.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace fendrel {
namespace {

// How often each letter occurs in English text, per mille of its letters.
constexpr unsigned char kEnglishPerMille[26] = {
    82, 15, 28, 43, 127, 22, 20, 61, 70, 2,  8, 40, 24,  // a-m
    67, 75, 19, 1,  60,  63, 91, 28, 10, 24, 2, 20, 1,   // n-z
};
// The same for the small letters of Russian text, in the order of their code points.
constexpr unsigned char kRussianPerMille[32] = {
    80, 16, 45, 17, 30, 85, 9, 16, 73, 12, 35, 44, 32, 67, 110, 28,  // а-п
    47, 55, 63, 26, 3,  10, 5, 14, 7,  4,  1,  19, 17, 3,  6,   20,  // р-я
};

// How common a byte is in ordinary text of a single-byte code page, 0 (rare) to 255 (very
// common): the search scans for the rarest byte of the old string so that it stops at few
// candidates.
unsigned char Commonness(unsigned char c) {
  if (c == ' ') return 255;
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(110 + kEnglishPerMille[c - 'a']);
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(70 + kEnglishPerMille[c - 'A'] / 4);
  if (c == '\n' || c == '\r' || c == ',' || c == '.' || c == '\t') return 140;
  if (c >= '0' && c <= '9') return 90;
  if (c < 32 || c >= 0x80) return c == 0 ? 60 : 20;
  return 50;
}

// Roughly how often a byte occurs in UTF-8 text, per mille, as a mixture of English and Russian:
// the sums and products of these choose where a search of UTF-8 text looks first. The lead
// byte of a character is shared by its whole block (every Cyrillic letter but a few begins with
// D0 or D1), so the last byte of a character tells more; bytes that begin no character are the
// rarest.
int Frequency(unsigned char c) {
  if (c >= 'a' && c <= 'z') return kEnglishPerMille[c - 'a'];
  if (c >= 'A' && c <= 'Z') return kEnglishPerMille[c - 'A'] / 8 + 1;
  if (c == ' ') return 180;
  if (c == '\n' || c == '\r' || c == ',' || c == '.' || c == '\t') return 20;
  if (c >= '0' && c <= '9') return 5;
  if (c < 0x80) return 3;
  // The second bytes of Cyrillic letters: а-п B0-BF, р-я 80-8F, А-П 90-9F, Р-Я A0-AF.
  if (c >= 0xB0 && c <= 0xBF) return kRussianPerMille[c - 0xB0];
  if (c >= 0x80 && c <= 0x8F) return kRussianPerMille[16 + c - 0x80];
  if (c >= 0x90 && c <= 0xAF) return kRussianPerMille[c - 0x90] / 8 + 1;
  if (c == 0xD0 || c == 0xD1) return 400;
  if (c >= 0xC2 && c <= 0xDF) return 20;
  if (c >= 0xE0 && c <= 0xEF) return 30;
  if (c >= 0xF0 && c <= 0xF4) return 2;
  return 1;
}

// The bytes a scan stops at: one of First and, when Second is not empty, one of Second
// `Distance` bytes further on (two bytes of the old string at a fixed distance stop a scan far
// less often than either alone). A set of one byte may come with bits that are ignored: the
// two cases of a letter often differ in one bit alone (0x20 in ASCII, and in the last byte of
// most Cyrillic and Greek letters), and one comparison then finds both.
template <std::size_t N, std::size_t M = 0>
struct TScanBytes {
  std::array<unsigned char, N> First;
  std::array<unsigned char, M> Second{};
  std::size_t Distance = 0;
  unsigned char FirstIgnored = 0;
  unsigned char SecondIgnored = 0;
};

template <std::size_t N>
bool Holds(const std::array<unsigned char, N>& bytes, unsigned char ignored, unsigned char c) {
  if constexpr (N == 1) return (c | ignored) == bytes[0];
  return std::find(bytes.begin(), bytes.end(), c) != bytes.end();
}

#if defined(__x86_64__)
// Bytes spread over whole registers, one register per byte (at least one, so that no array is
// empty).
template <std::size_t N>
struct TLanes {
  __m128i Lane[N == 0 ? 1 : N];
  __m128i Ignored;
};
template <std::size_t N>
struct TWideLanes {
  __m256i Lane[N == 0 ? 1 : N];
  __m256i Ignored;
};

template <std::size_t N>
TLanes<N> Broadcast(const std::array<unsigned char, N>& bytes, unsigned char ignored) {
  TLanes<N> lanes{};
  for (std::size_t i = 0; i < N; ++i)
    lanes.Lane[i] = _mm_set1_epi8(static_cast<char>(bytes[i]));
  lanes.Ignored = _mm_set1_epi8(static_cast<char>(ignored));
  return lanes;
}

// The bytes of `block` equal to one of the wanted bytes, as 0xFF.
template <std::size_t N>
__m128i AnyOf(__m128i block, const TLanes<N>& wanted) {
  if constexpr (N == 1) block = _mm_or_si128(block, wanted.Ignored);
  __m128i found = _mm_cmpeq_epi8(block, wanted.Lane[0]);
  for (std::size_t i = 1; i < N; ++i)
    found = _mm_or_si128(found, _mm_cmpeq_epi8(block, wanted.Lane[i]));
  return found;
}

template <std::size_t N>
__attribute__((target("avx2"))) TWideLanes<N> BroadcastWide(
    const std::array<unsigned char, N>& bytes, unsigned char ignored) {
  TWideLanes<N> lanes{};
  for (std::size_t i = 0; i < N; ++i)
    lanes.Lane[i] = _mm256_set1_epi8(static_cast<char>(bytes[i]));
  lanes.Ignored = _mm256_set1_epi8(static_cast<char>(ignored));
  return lanes;
}

template <std::size_t N>
__attribute__((target("avx2"))) __m256i AnyOf(__m256i block, const TWideLanes<N>& wanted) {
  if constexpr (N == 1) block = _mm256_or_si256(block, wanted.Ignored);
  __m256i found = _mm256_cmpeq_epi8(block, wanted.Lane[0]);
  for (std::size_t i = 1; i < N; ++i)
    found = _mm256_or_si256(found, _mm256_cmpeq_epi8(block, wanted.Lane[i]));
  return found;
}
#endif

// Calls `verify` at each position of [scan, end) where `bytes` stop the scan, in order, and
// returns the first position it accepts, or nullptr; the second bytes may lie up to Distance
// bytes beyond `end`. Blocks of bytes are compared at once, and every candidate of a block is
// verified before the next block is loaded, so frequent candidates cost little more than rare
// ones.
template <std::size_t N, std::size_t M, typename Verify>
const unsigned char* ScanPortable(const unsigned char* scan, const unsigned char* end,
                                  const TScanBytes<N, M>& bytes, const Verify& verify) {
#if defined(__x86_64__)
  const TLanes<N> first = Broadcast(bytes.First, bytes.FirstIgnored);
  const TLanes<M> second = Broadcast(bytes.Second, bytes.SecondIgnored);
  for (; end - scan >= 16; scan += 16) {
    __m128i found = AnyOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(scan)), first);
    if constexpr (M > 0) {
      const auto* further = reinterpret_cast<const __m128i*>(scan + bytes.Distance);
      found = _mm_and_si128(found, AnyOf(_mm_loadu_si128(further), second));
    }
    for (auto hits = static_cast<unsigned>(_mm_movemask_epi8(found)); hits != 0; hits &= hits - 1) {
      const unsigned char* at = scan + __builtin_ctz(hits);
      if (verify(at)) return at;
    }
  }
#endif
  for (; scan < end; ++scan) {
    if (Holds(bytes.First, bytes.FirstIgnored, *scan) &&
        (M == 0 || Holds(bytes.Second, bytes.SecondIgnored, scan[bytes.Distance])) && verify(scan))
      return scan;
  }
  return nullptr;
}

#if defined(__x86_64__)
// The candidates of the 32 bytes at `at`, one bit per byte.
template <std::size_t N, std::size_t M>
__attribute__((target("avx2"))) __m256i WideCandidates(const unsigned char* at,
                                                       const TWideLanes<N>& first,
                                                       const TWideLanes<M>& second,
                                                       std::size_t distance) {
  __m256i found = AnyOf(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), first);
  if constexpr (M > 0) {
    const auto* further = reinterpret_cast<const __m256i*>(at + distance);
    found = _mm256_and_si256(found, AnyOf(_mm256_loadu_si256(further), second));
  }
  return found;
}

// The same, 64 bytes at a time, for processors that have the wider registers. Blocks without a
// candidate, by far the most, pass through a loop of their own that keeps everything in
// registers.
template <std::size_t N, std::size_t M, typename Verify>
__attribute__((target("avx2"))) const unsigned char* ScanWide(const unsigned char* scan,
                                                              const unsigned char* end,
                                                              const TScanBytes<N, M>& bytes,
                                                              const Verify& verify) {
  const TWideLanes<N> first = BroadcastWide(bytes.First, bytes.FirstIgnored);
  const TWideLanes<M> second = BroadcastWide(bytes.Second, bytes.SecondIgnored);
  const std::size_t distance = bytes.Distance;
  while (end - scan >= 64) {
    __m256i low, high;
    do {
      low = WideCandidates(scan, first, second, distance);
      high = WideCandidates(scan + 32, first, second, distance);
      if (!_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high))) break;
      scan += 64;
    } while (end - scan >= 64);
    if (end - scan < 64) break;
    auto hits = static_cast<uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(low))) |
                static_cast<uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(high))) << 32;
    for (; hits != 0; hits &= hits - 1) {
      const unsigned char* at = scan + __builtin_ctzll(hits);
      if (verify(at)) return at;
    }
    scan += 64;
  }
  return ScanPortable(scan, end, bytes, verify);
}

const bool kHasWideRegisters = __builtin_cpu_supports("avx2");
#endif

template <std::size_t N, std::size_t M, typename Verify>
const unsigned char* Scan(const unsigned char* scan, const unsigned char* end,
                          const TScanBytes<N, M>& bytes, const Verify& verify) {
#if defined(__x86_64__)
  if (kHasWideRegisters) return ScanWide(scan, end, bytes, verify);
#endif
  return ScanPortable(scan, end, bytes, verify);
}

// Whether the byte at `at` is a unit of its own in the text [from, end): it begins no valid
// character and lies inside none. Only a continuation byte can lie inside one, which then began
// at most three bytes earlier; `from` begins a character, so none begins before it.
bool IsLoneByte(const unsigned char* from, const unsigned char* at, const unsigned char* end) {
  char32_t c;
  if (DecodeUtf8(at, static_cast<std::size_t>(end - at), c) != 0) return false;
  if (!IsUtf8Continuation(*at)) return true;
  for (const unsigned char* lead = at - 1; lead >= from && at - lead <= 3; --lead) {
    if (DecodeUtf8(lead, static_cast<std::size_t>(end - lead), c) > at - lead) return false;
  }
  return true;
}

}  // namespace

TLiteralSearcher::TLiteralSearcher(std::string needle, bool ignoreCase)
    : FNeedle(std::move(needle)), FIgnoreCase(ignoreCase) {
  if (FIgnoreCase && IsUtf8CaseTable(ActiveCaseTable())) {
    // An old string of ASCII letters whose case orbits stay in ASCII can only match ASCII bytes,
    // which never lie inside a character: the byte table finds the same matches, faster. Only a
    // few letters have a form beyond ASCII (k: the Kelvin sign, s: the long s).
    for (const char c : FNeedle) {
      char32_t orbit[kMaxCaseOrbit];
      const auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x80 || CaseOrbit(byte, orbit) > 2) {
        FFolding = true;
        break;
      }
    }
    if (FFolding) {
      PrepareFolding();
      return;
    }
  }
  if (FIgnoreCase) {
    FUpper = ActiveCaseMap().Upper;
    for (char& c : FNeedle)
      c = static_cast<char>(FUpper[static_cast<unsigned char>(c)]);
  }
  // Both modes scan for the old string's rarest byte and compare the rest only there. Ignoring
  // case, every byte whose upper case is the needle byte matches it; with the program's tables
  // that is at most two bytes per needle byte.
  const bool utf8 = IsUtf8CaseTable(ActiveCaseTable());
  int best = 1 << 30;
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
    const int score =
        utf8 ? Frequency(variants[0]) + (variants[1] != variants[0] ? Frequency(variants[1]) : 0)
             : std::max(Commonness(variants[0]), Commonness(variants[1]));
    if (score < best) {
      best = score;
      FAnchor = i;
      FAnchorA = variants[0];
      FAnchorB = variants[1];
    }
  }
  if (FIgnoreCase) PrepareWords();
}

void TLiteralSearcher::PrepareWords() {
  // Eight bytes of the file are compared at once where every byte of the old string matches
  // itself alone or, besides, one byte that differs from it in one bit (its other case): the
  // file's bytes with that bit set must equal the old string's with it set.
  std::vector<unsigned char> values, masks;
  for (const char wanted : FNeedle) {
    unsigned char variants[3];
    int count = 0;
    for (int c = 0; c < 256 && count < 3; ++c) {
      if (FUpper[c] == static_cast<unsigned char>(wanted))
        variants[count++] = static_cast<unsigned char>(c);
    }
    const auto differ = static_cast<unsigned char>(count == 2 ? variants[0] ^ variants[1] : 0);
    if (count > 2 || (differ & (differ - 1)) != 0) return;
    values.push_back(static_cast<unsigned char>(variants[0] | differ));
    masks.push_back(differ);
  }
  // Beyond the old string every bit is set on both sides: those bytes always agree.
  values.resize((values.size() + 7) / 8 * 8, 0xFF);
  masks.resize(values.size(), 0xFF);
  FWords.resize(values.size() / 8);
  FWordMasks.resize(values.size() / 8);
  std::memcpy(FWords.data(), values.data(), values.size());
  std::memcpy(FWordMasks.data(), masks.data(), masks.size());
}

// The bytes of a place as a scan looks for them: when they differ in few bits, those bits and
// one byte (a case pair differs in one bit; ignoring two bits finds three bytes and at most one
// more), else each byte, three padded to four with the last one again.
TLiteralSearcher::TScanSet TLiteralSearcher::ScanSetOf(const std::array<unsigned char, 4>& bytes,
                                                       int count) {
  TScanSet set{bytes, count, 0};
  unsigned differ = 0;
  for (int i = 1; i < count; ++i)
    differ |= bytes[i] ^ bytes[0];
  if ((1 << __builtin_popcount(differ)) <= count + 1) {
    set.Ignored = static_cast<unsigned char>(differ);
    set.Bytes[0] = static_cast<unsigned char>(bytes[0] | differ);
    set.Count = 1;
    return set;
  }
  for (int i = count; i < 4; ++i)
    set.Bytes[i] = bytes[count - 1];
  if (count == 3) set.Count = 4;
  return set;
}

void TLiteralSearcher::PrepareFolding() {
  const auto* at = reinterpret_cast<const unsigned char*>(FNeedle.data());
  const auto* end = at + FNeedle.size();
  while (at < end) {
    TUnit unit;
    char32_t c;
    const int length = DecodeUtf8(at, static_cast<std::size_t>(end - at), c);
    char32_t forms[kMaxCaseOrbit];
    if (length == 0) {
      unit.Count = 1;
      unit.Invalid = true;
    } else {
      unit.Count = CaseOrbit(c, forms);
    }
    for (int v = 0; v < unit.Count; ++v) {
      unsigned char bytes[4] = {*at};
      unit.Length[v] = static_cast<unsigned char>(unit.Invalid ? 1 : EncodeUtf8(forms[v], bytes));
      const int n = unit.Length[v];
      std::copy(bytes, bytes + n, unit.Bytes[v].begin());
      unsigned char ahead[4] = {}, aheadMask[4] = {}, behind[4] = {}, behindMask[4] = {};
      for (int i = 0; i < n; ++i) {
        ahead[i] = behind[4 - n + i] = bytes[i];
        aheadMask[i] = behindMask[4 - n + i] = 0xFF;
      }
      std::memcpy(&unit.Ahead[v], ahead, 4);
      std::memcpy(&unit.AheadMask[v], aheadMask, 4);
      std::memcpy(&unit.Behind[v], behind, 4);
      std::memcpy(&unit.BehindMask[v], behindMask, 4);
    }
    at += length == 0 ? 1 : length;
    FUnits.push_back(unit);
  }

  // The places the scan may stop at: a byte every form of a unit has at the same index, with
  // the bytes the forms have there. Places in a stretch of units whose forms all have one length
  // (a segment) lie at fixed distances from each other.
  struct TPlace {
    std::size_t Unit, Byte, Segment, Offset;
    std::array<unsigned char, 4> Bytes;
    int Count, Score;
  };
  std::vector<TPlace> places;
  std::vector<std::size_t> before;  // the shortest the units before each unit can be
  std::size_t segment = 0, offset = 0;
  for (std::size_t u = 0; u < FUnits.size(); ++u) {
    const TUnit& unit = FUnits[u];
    const auto lengths = std::span(unit.Length).first(static_cast<std::size_t>(unit.Count));
    const auto [shortest, longest] = std::minmax_element(lengths.begin(), lengths.end());
    for (std::size_t b = 0; b < *shortest; ++b) {
      TPlace place{u, b, segment, offset + b, {}, 0, 0};
      for (int v = 0; v < unit.Count; ++v) {
        const unsigned char byte = unit.Bytes[v][b];
        if (std::find(place.Bytes.begin(), place.Bytes.begin() + place.Count, byte) !=
            place.Bytes.begin() + place.Count)
          continue;
        place.Bytes[place.Count++] = byte;
        place.Score += Frequency(byte);
      }
      places.push_back(place);
    }
    before.push_back(FShortest);
    FShortest += *shortest;
    if (*shortest == *longest) {
      offset += *shortest;
    } else {
      ++segment;
      offset = 0;
    }
  }
  // The rarest place, or better the rarest two of one segment: matches are found in the order
  // of their first place, since the characters of a file are units in one way only and every
  // match has as many as the old string. Neighbouring bytes go together (the two bytes of a
  // Cyrillic letter, "ck" in English), so a pair of them counts as far less rare than it seems.
  const auto byScore = [](const TPlace* a, const TPlace* b) { return a->Score < b->Score; };
  std::vector<const TPlace*> rarest;
  for (const TPlace& place : places)
    rarest.push_back(&place);
  std::stable_sort(rarest.begin(), rarest.end(), byScore);
  const TPlace* first = rarest.front();
  const TPlace* second = nullptr;
  // Only the rarest few of each segment can make the best pair.
  std::vector<int> taken(segment + 1, 0);
  std::erase_if(rarest, [&taken](const TPlace* p) { return ++taken[p->Segment] > 8; });
  std::stable_sort(rarest.begin(), rarest.end(),
                   [](const TPlace* a, const TPlace* b) { return a->Segment < b->Segment; });
  long best = -1;
  for (std::size_t i = 0; i < rarest.size(); ++i) {
    for (std::size_t j = i + 1; j < rarest.size() && rarest[j]->Segment == rarest[i]->Segment;
         ++j) {
      const TPlace* a = rarest[i];
      const TPlace* b = rarest[j];
      const long score = long{a->Score} * b->Score *
                         (a->Offset + 1 == b->Offset || b->Offset + 1 == a->Offset ? 8 : 1);
      if (best >= 0 && score >= best) continue;
      best = score;
      first = a->Offset < b->Offset ? a : b;
      second = a->Offset < b->Offset ? b : a;
    }
  }
  FAnchorUnit = first->Unit;
  FAnchor = first->Byte;
  FBeforeAnchor = before[first->Unit];
  FAnchorSet = ScanSetOf(first->Bytes, first->Count);
  if (second != nullptr) {
    FSecondSet = ScanSetOf(second->Bytes, second->Count);
    FSecondDistance = second->Offset - first->Offset;
  }
  PrepareAsciiForms();
}

void TLiteralSearcher::PrepareAsciiForms() {
  // An old string whose characters all have ASCII forms ("Sherlock Holmes") nearly always meets
  // ASCII text. Every candidate is then compared eight bytes at a time with those forms, and the
  // units are walked one by one only where a form beyond ASCII could begin or end at a byte
  // that differs. Telling that by one byte needs at most one such form per character: k and s
  // have one each (the Kelvin sign, the long s), every other ASCII letter none.
  if constexpr (std::endian::native != std::endian::little) return;
  std::string values, masks, leads, lasts;
  for (const TUnit& unit : FUnits) {
    unsigned char ascii[2] = {}, lead = 0, last = 0;
    int asciiCount = 0, beyond = 0;
    for (int v = 0; v < unit.Count; ++v) {
      if (unit.Invalid || unit.Bytes[v][0] >= 0x80) {
        if (unit.Invalid || ++beyond > 1) return;
        lead = unit.Bytes[v][0];
        last = unit.Bytes[v][unit.Length[v] - 1];
      } else {
        if (asciiCount == 2) return;
        ascii[asciiCount++] = unit.Bytes[v][0];
      }
    }
    const auto differ = static_cast<unsigned char>(asciiCount == 2 ? ascii[0] ^ ascii[1] : 0);
    if (asciiCount == 0 || (differ & (differ - 1)) != 0) return;
    values.push_back(static_cast<char>(ascii[0] | differ));
    masks.push_back(static_cast<char>(differ));
    // A byte that differs from every ASCII form can never be equal to the form itself.
    leads.push_back(static_cast<char>(beyond != 0 ? lead : ascii[0]));
    lasts.push_back(static_cast<char>(beyond != 0 ? last : ascii[0]));
  }
  FFormLead = std::move(leads);
  FFormLast = std::move(lasts);
  const std::size_t size = (values.size() + 7) / 8 * 8;
  // Beyond the old string every bit is set on both sides: those bytes always agree.
  values.resize(size, '\xFF');
  masks.resize(size, '\xFF');
  std::string before(size, '\0');
  std::fill_n(before.begin(), FAnchorUnit, '\xFF');
  FWords.resize(size / 8);
  FWordMasks.resize(size / 8);
  FBeforeAnchorBytes.resize(size / 8);
  std::memcpy(FWords.data(), values.data(), size);
  std::memcpy(FWordMasks.data(), masks.data(), size);
  std::memcpy(FBeforeAnchorBytes.data(), before.data(), size);
}

// Compares the ASCII forms with the text at `start`, where a match begins if its units before
// the anchor unit are ASCII characters. Where they differ, a match needs a form beyond ASCII:
// the units after the last difference before the anchor unit and those before the first
// difference from it on are ASCII characters at their places, so such a form ends at the one
// or begins at the other. When the byte there cannot end or begin one, nothing matches here.
TLiteralSearcher::TAsciiVerdict TLiteralSearcher::CompareAsciiForms(
    const unsigned char* start, const unsigned char* end) const {
  if (static_cast<std::size_t>(end - start) < FWords.size() * 8) return TAsciiVerdict::Unsure;
  constexpr std::size_t kNone = ~std::size_t{0};
  std::size_t lastBefore = kNone, firstFrom = kNone;
  for (std::size_t w = 0; w < FWords.size(); ++w) {
    uint64_t bytes;
    std::memcpy(&bytes, start + w * 8, 8);
    const uint64_t differ = (bytes | FWordMasks[w]) ^ FWords[w];
    if (differ == 0) continue;
    if (const uint64_t before = differ & FBeforeAnchorBytes[w]; before != 0)
      lastBefore = w * 8 + static_cast<std::size_t>(63 - __builtin_clzll(before)) / 8;
    if (const uint64_t from = differ & ~FBeforeAnchorBytes[w]; from != 0) {
      firstFrom = w * 8 + static_cast<std::size_t>(__builtin_ctzll(from)) / 8;
      break;
    }
  }
  if (lastBefore == kNone && firstFrom == kNone) return TAsciiVerdict::Match;
  if ((lastBefore != kNone &&
       start[lastBefore] != static_cast<unsigned char>(FFormLast[lastBefore])) ||
      (firstFrom != kNone && start[firstFrom] != static_cast<unsigned char>(FFormLead[firstFrom])))
    return TAsciiVerdict::NoMatch;
  return TAsciiVerdict::Unsure;
}

bool TLiteralSearcher::EqualNoCase(const unsigned char* at, const unsigned char* end) const {
  if (!FWords.empty() && static_cast<std::size_t>(end - at) >= FWords.size() * 8) {
    for (std::size_t w = 0; w < FWords.size(); ++w) {
      uint64_t bytes;
      std::memcpy(&bytes, at + w * 8, 8);
      if ((bytes | FWordMasks[w]) != FWords[w]) return false;
    }
    return true;
  }
  for (std::size_t k = 0; k < FNeedle.size(); ++k) {
    if (FUpper[at[k]] != static_cast<unsigned char>(FNeedle[k])) return false;
  }
  return true;
}

namespace {

// The length of the form of `unit` that begins at `at` in the text [from, end) (FormBefore:
// that ends at `at`), 0 for none. Valid UTF-8 is free of prefixes and of suffixes, so at most
// one form fits either way.
template <typename TUnit>
std::size_t FormAt(const TUnit& unit, const unsigned char* from, const unsigned char* at,
                   const unsigned char* end) {
  int v = 0;
  if (end - at >= 4) {
    uint32_t word;
    std::memcpy(&word, at, 4);
    while (v < unit.Count && (word & unit.AheadMask[v]) != unit.Ahead[v])
      ++v;
  } else {
    while (v < unit.Count && (end - at < unit.Length[v] ||
                              std::memcmp(at, unit.Bytes[v].data(), unit.Length[v]) != 0))
      ++v;
  }
  if (v == unit.Count) return 0;
  return !unit.Invalid || IsLoneByte(from, at, end) ? unit.Length[v] : 0;
}

template <typename TUnit>
std::size_t FormBefore(const TUnit& unit, const unsigned char* from, const unsigned char* at,
                       const unsigned char* end) {
  int v = 0;
  if (at - from >= 4) {
    uint32_t word;
    std::memcpy(&word, at - 4, 4);
    while (v < unit.Count && (word & unit.BehindMask[v]) != unit.Behind[v])
      ++v;
  } else {
    while (v < unit.Count &&
           (at - from < unit.Length[v] ||
            std::memcmp(at - unit.Length[v], unit.Bytes[v].data(), unit.Length[v]) != 0))
      ++v;
  }
  if (v == unit.Count) return 0;
  return !unit.Invalid || IsLoneByte(from, at - 1, end) ? unit.Length[v] : 0;
}

}  // namespace

const unsigned char* TLiteralSearcher::FindFolded(const unsigned char* from,
                                                  const unsigned char* end,
                                                  const unsigned char*& matchEnd) const {
  if (static_cast<std::size_t>(end - from) < FShortest) return nullptr;
  const unsigned char* start = nullptr;
  // The anchor unit and those after it forwards, then those before it backwards.
  const auto verify = [&](const unsigned char* hit) {
    const unsigned char* unitAt = hit - FAnchor;
    if (!FWords.empty()) {
      const unsigned char* asciiStart = unitAt - FAnchorUnit;
      const TAsciiVerdict verdict = CompareAsciiForms(asciiStart, end);
      if (verdict == TAsciiVerdict::NoMatch) return false;
      if (verdict == TAsciiVerdict::Match) {
        start = asciiStart;
        matchEnd = asciiStart + FUnits.size();
        return true;
      }
    }
    const unsigned char* after = unitAt;
    for (std::size_t u = FAnchorUnit; u < FUnits.size(); ++u) {
      const std::size_t length = FormAt(FUnits[u], from, after, end);
      if (length == 0) return false;
      after += length;
    }
    const unsigned char* before = unitAt;
    for (std::size_t u = FAnchorUnit; u-- > 0;) {
      const std::size_t length = FormBefore(FUnits[u], from, before, end);
      if (length == 0) return false;
      before -= length;
    }
    start = before;
    matchEnd = after;
    return true;
  };
  // Every place the scan stops at lies inside the units from the anchor's on, so the scan ends
  // where they no longer fit; the second place lies inside them too.
  const unsigned char* scan = from + FBeforeAnchor + FAnchor;
  const unsigned char* scanEnd = end - (FShortest - FBeforeAnchor) + FAnchor + 1;
  // One scan for each size of the two sets: 1, 2 or 4 bytes (three are padded to four), and
  // none for the second.
  const auto withSize = [](const TScanSet& set, auto&& scanWith) {
    switch (set.Count) {
      case 1:
        return scanWith(std::array{set.Bytes[0]});
      case 2:
        return scanWith(std::array{set.Bytes[0], set.Bytes[1]});
      default:
        return scanWith(set.Bytes);
    }
  };
  const unsigned char* hit = withSize(FAnchorSet, [&](const auto& first) {
    constexpr std::size_t kFirst = std::tuple_size_v<std::decay_t<decltype(first)>>;
    if (FSecondSet.Count == 0)
      return Scan(scan, scanEnd, TScanBytes<kFirst>{first, {}, 0, FAnchorSet.Ignored}, verify);
    return withSize(FSecondSet, [&](const auto& second) {
      constexpr std::size_t kSecond = std::tuple_size_v<std::decay_t<decltype(second)>>;
      return Scan(scan, scanEnd,
                  TScanBytes<kFirst, kSecond>{first, second, FSecondDistance, FAnchorSet.Ignored,
                                              FSecondSet.Ignored},
                  verify);
    });
  });
  return hit == nullptr ? nullptr : start;
}

const char* TLiteralSearcher::Find(const char* from, const char* end, const char*& matchEnd) const {
  if (FFolding) {
    const unsigned char* after = nullptr;
    const unsigned char* start =
        from >= end ? nullptr
                    : FindFolded(reinterpret_cast<const unsigned char*>(from),
                                 reinterpret_cast<const unsigned char*>(end), after);
    matchEnd = reinterpret_cast<const char*>(after);
    return reinterpret_cast<const char*>(start);
  }
  const std::size_t length = FNeedle.size();
  if (from >= end || static_cast<std::size_t>(end - from) < length) return nullptr;
  // Candidates are positions of the anchor byte; the old string starts FAnchor bytes earlier.
  const auto* scan = reinterpret_cast<const unsigned char*>(from) + FAnchor;
  const auto* scanEnd = reinterpret_cast<const unsigned char*>(end - length) + FAnchor + 1;
  const TScanBytes<2> anchor{{FAnchorA, FAnchorB}};
  const unsigned char* hit =
      FIgnoreCase
          ? Scan(scan, scanEnd, anchor,
                 [this, end](const unsigned char* at) {
                   return EqualNoCase(at - FAnchor, reinterpret_cast<const unsigned char*>(end));
                 })
          : Scan(scan, scanEnd, anchor, [this, length](const unsigned char* at) {
              return std::memcmp(at - FAnchor, FNeedle.data(), length) == 0;
            });
  if (hit == nullptr) return nullptr;
  matchEnd = reinterpret_cast<const char*>(hit - FAnchor + length);
  return reinterpret_cast<const char*>(hit - FAnchor);
}

}  // namespace fendrel

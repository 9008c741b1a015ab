#include "ReplacePattern.h"

#include <array>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "regexpr/RegExpr.h"

namespace fendrel {
namespace {

constexpr std::array<bool, 256> kTextBytes = [] {
  std::array<bool, 256> text{};
  for (int c = 0; c < 256; ++c)
    text[c] = c == 9 || c == 10 || c == 13 || (c >= 32 && c <= 127) || c >= 160;
  return text;
}();

struct TWriteFailed {};

// The bytes up to the first zero byte, at most `length` of them.
std::string_view UpToZero(const std::string& bytes, int32_t length) {
  const std::size_t size = length > 0 ? static_cast<std::size_t>(length) : 0;
  return std::string_view(bytes.data(), strnlen(bytes.data(), std::min(size, bytes.size())));
}

#ifdef __SSE2__
// One bit per byte of the 16 at `at`: set for the bytes that are not text.
int BinaryMask(const char* at) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const auto atMost31 = [](__m128i v) {
    return _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(31)), v);
  };
  const __m128i breaks = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(9)),
                                                   _mm_cmpeq_epi8(bytes, _mm_set1_epi8(10))),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8(13)));
  const __m128i control = _mm_andnot_si128(breaks, atMost31(bytes));
  const __m128i high = atMost31(_mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(128))));
  return _mm_movemask_epi8(_mm_or_si128(control, high));
}
#endif

// The end of the run of text (or binary) bytes that starts at `at`. Text files are one long
// text run with few breaks, so whole blocks of 16 bytes are classified at once.
const char* RunEnd(const char* at, const char* end, bool text) {
#ifdef __SSE2__
  for (; end - at >= 16; at += 16) {
    const int other = text ? BinaryMask(at) : ~BinaryMask(at) & 0xFFFF;
    if (other != 0) return at + __builtin_ctz(static_cast<unsigned>(other));
  }
#endif
  while (at < end && kTextBytes[static_cast<unsigned char>(*at)] == text)
    ++at;
  return at;
}

}  // namespace

bool IsTextByte(unsigned char c) {
  return kTextBytes[c];
}

int64_t ReplacePattern(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       std::string& why) {
  TRegExpr regExpr;
  regExpr.SetExpression(UpToZero(task.FromStr, task.FromLen));
  const std::string_view replacement = UpToZero(task.ToStr, task.ToLen);
  const auto write = [&out](std::string_view piece) {
    if (!out.Write(piece.data(), piece.size())) throw TWriteFailed{};
  };
  int64_t count = 0;
  try {
    // The file starts with a text run, empty when its first byte is binary, so the engine
    // always sees the first run (and an invalid pattern fails there).
    const char* position = begin;
    do {
      const char* textEnd = RunEnd(position, end, true);
      regExpr.ReplaceEach(std::string_view(position, textEnd - position), replacement, true, count,
                          write);
      position = RunEnd(textEnd, end, false);
      write(std::string_view(textEnd, position - textEnd));
    } while (position < end);
  } catch (const ERegExpr& error) {
    why = error.what();
    return -3;
  } catch (const TWriteFailed&) {
    return -3;
  }
  return count;
}

}  // namespace fendrel

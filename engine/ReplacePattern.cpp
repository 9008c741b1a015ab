#include "ReplacePattern.h"

#include <array>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/CodePage.h"
#include "regexpr/RegExpr.h"
#include "regexpr/RegExprUnicode.h"

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

#ifdef __SSE2__
int MaskOfHighBytes(const unsigned char* at) {
  return _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
}

// One bit per byte of the 16 at `at`: set for the bytes that are no plain ASCII text (controls
// other than the line breaks and tab, and every byte from 128 on).
int NotAsciiTextMask(const char* at) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i breaks = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(9)),
                                                   _mm_cmpeq_epi8(bytes, _mm_set1_epi8(10))),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8(13)));
  const __m128i control =
      _mm_andnot_si128(breaks, _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(31)), bytes));
  return _mm_movemask_epi8(_mm_or_si128(control, bytes));  // the top bit: 128 and above
}
#endif

// The length of the UTF-8 character at `at` (2 to 4 bytes, within `end`) when it is a valid
// one and no C1 control (U+0080 to U+009F); 0 for a byte that begins no such character.
std::size_t Utf8TextCharacter(const unsigned char* at, const unsigned char* end) {
  char32_t code = 0;
  const int length = DecodeUtf8(at, static_cast<std::size_t>(end - at), code);
  return length > 1 && code >= 0xA0 ? static_cast<std::size_t>(length) : 0;
}

// The end of the run of text (or binary) that starts at `at`. Text files are one long text run
// with few breaks, so whole blocks of 16 bytes are classified at once. In UTF-8 the unit is the
// character: a run never ends inside a valid one, and the C1 controls and bytes that begin no
// valid character are binary.
const char* RunEnd(const char* at, const char* end, bool text, bool utf8) {
  if (!utf8) {
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
  const auto* byte = reinterpret_cast<const unsigned char*>(at);
  const auto* last = reinterpret_cast<const unsigned char*>(end);
  while (byte < last) {
#ifdef __SSE2__
    if (last - byte >= 16) {
      // Text skips blocks of plain ASCII text, binary skips blocks of control bytes.
      const int mask = NotAsciiTextMask(reinterpret_cast<const char*>(byte));
      const int other = text ? mask : (~mask | MaskOfHighBytes(byte)) & 0xFFFF;
      if (other == 0) {
        byte += 16;
        continue;
      }
      byte += __builtin_ctz(static_cast<unsigned>(other));
    }
#endif
    const std::size_t unit =
        *byte < 0x80 ? (kTextBytes[*byte] ? 1 : 0) : Utf8TextCharacter(byte, last);
    if ((unit != 0) != text) break;
    byte += text ? unit : 1;
  }
  return reinterpret_cast<const char*>(byte);
}

}  // namespace

bool IsTextByte(unsigned char c) {
  return kTextBytes[c];
}

TPatternReplacer::TPatternReplacer(const TSnRTast& task)
    : FRegExpr(std::make_unique<TRegExpr>()),
      FReplacement(UpToZero(task.ToStr, task.ToLen)),
      FUtf8(IsUtf8CaseTable(ActiveCaseTable())) {
  FRegExpr->Utf8 = FUtf8;
  FRegExpr->SetExpression(UpToZero(task.FromStr, task.FromLen));
}

TPatternReplacer::~TPatternReplacer() = default;

bool TPatternReplacer::Replace(TByteSink& out, const char* begin, const char* end,
                               std::string& why) {
  const auto write = [&out](std::string_view piece) {
    if (!out.Write(piece.data(), piece.size())) throw TWriteFailed{};
  };
  const bool first = FFirst;
  FFirst = false;
  try {
    // The content starts with a text run, empty when its first byte is binary, so the engine
    // always sees the first run (and an invalid pattern fails there). A UTF-8 byte-order mark
    // is no text: the first line begins after it.
    const char* position = begin;
    if (first && FUtf8 && end - begin >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) {
      write(std::string_view(begin, 3));
      position += 3;
    }
    do {
      const char* textEnd = RunEnd(position, end, true, FUtf8);
      FRegExpr->ReplaceEach(std::string_view(position, textEnd - position), FReplacement, true,
                            FCount, write);
      position = RunEnd(textEnd, end, false, FUtf8);
      write(std::string_view(textEnd, position - textEnd));
    } while (position < end);
  } catch (const ERegExpr& error) {
    why = error.what();
    return false;
  } catch (const TWriteFailed&) {
    return false;
  }
  return true;
}

int64_t ReplacePattern(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       std::string& why) {
  TPatternReplacer replacer(task);
  return replacer.Replace(out, begin, end, why) ? replacer.Count() : -3;
}

const char* LastTextRunStart(const char* begin, const char* end) {
  // Backwards, a character at a time: its first byte is the one that is no continuation byte.
  // The binary characters of valid UTF-8 are the control bytes but tab and the line breaks, and
  // the C1 controls (C2 80 to C2 9F); every other character is text.
  const auto* first = reinterpret_cast<const unsigned char*>(begin);
  const auto* at = reinterpret_cast<const unsigned char*>(end);
  const unsigned char* textAfter = nullptr;  // the text character just after `at`, if any
  while (at > first) {
    const unsigned char* character = at - 1;
    while (character > first && (*character & 0xC0) == 0x80)
      --character;
    const bool binary = *character < 0x80
                            ? !kTextBytes[*character]
                            : *character == 0xC2 && at - character == 2 && character[1] < 0xA0;
    if (binary && textAfter != nullptr) return reinterpret_cast<const char*>(textAfter);
    textAfter = binary ? nullptr : character;
    at = character;
  }
  return nullptr;
}

}  // namespace fendrel

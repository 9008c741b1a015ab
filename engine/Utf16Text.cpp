#include "Utf16Text.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/CodePage.h"
#include "regexpr/RegExprUnicode.h"

namespace fendrel {
namespace {

// Larger than the temporary file's own buffer, so that each full buffer goes to the file as it is.
constexpr std::size_t kBufferSize = 1 << 20;
// Room for the widest step of the encoder: a block of 16 ASCII bytes, 32 bytes of UTF-16.
constexpr std::size_t kStepRoom = 32;
// A piece of 2 MiB of UTF-16: small enough for its decoded text to stay in the cache while it is
// searched and encoded again, large enough that the overlap kept between pieces costs nothing.
std::atomic<std::size_t> pieceUnits{1 << 20};

#ifdef __SSE2__
// The 8 units at `at`, in the machine's order.
__m128i LoadUnits(const unsigned char* at, bool bigEndian) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  return bigEndian ? _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8)) : units;
}

// Writes the 8 units at `at` as 8 bytes when all of them are ASCII.
bool DecodeAsciiBlock(const unsigned char* at, bool bigEndian, unsigned char* out) {
  const __m128i units = LoadUnits(at, bigEndian);
  const __m128i high = _mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80)));
  if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) return false;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
  return true;
}

// Writes the 16 bytes at `at` as 16 units when all of them are ASCII.
bool EncodeAsciiBlock(const unsigned char* at, bool bigEndian, unsigned char* out) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  if (_mm_movemask_epi8(bytes) != 0) return false;
  const __m128i zero = _mm_setzero_si128();
  auto* to = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(to, bigEndian ? _mm_unpacklo_epi8(zero, bytes) : _mm_unpacklo_epi8(bytes, zero));
  _mm_storeu_si128(to + 1,
                   bigEndian ? _mm_unpackhi_epi8(zero, bytes) : _mm_unpackhi_epi8(bytes, zero));
  return true;
}
#endif

// The decoded text of a large file is written once, front to back: huge pages spare most of the
// page faults of its first touch.
void AdviseHugePages(char* data, std::size_t size) {
  constexpr std::uintptr_t kHugePage = 2 << 20;
  const auto at = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (at + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (at + size) & ~(kHugePage - 1);
  if (end > begin) (void)madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

unsigned char* PutUtf8(char32_t c, unsigned char* out) {
  if (c < 0x80) {
    *out++ = static_cast<unsigned char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<unsigned char>(0xC0 | c >> 6);
    *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<unsigned char>(0xE0 | c >> 12);
    *out++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<unsigned char>(0xF0 | c >> 18);
    *out++ = static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
  }
  return out;
}

unsigned char* PutUnit(char32_t unit, bool bigEndian, unsigned char* out) {
  out[bigEndian ? 0 : 1] = static_cast<unsigned char>(unit >> 8);
  out[bigEndian ? 1 : 0] = static_cast<unsigned char>(unit);
  return out + 2;
}

unsigned char* PutUtf16(char32_t c, bool bigEndian, unsigned char* out) {
  if (c < 0x10000) return PutUnit(c, bigEndian, out);
  c -= 0x10000;
  out = PutUnit(0xD800 | c >> 10, bigEndian, out);
  return PutUnit(0xDC00 | (c & 0x3FF), bigEndian, out);
}

}  // namespace

TTextEncoding Utf16MarkOf(std::string_view content) {
  if (content.starts_with("\xFE\xFF")) return TTextEncoding::Utf16Be;
  if (content.starts_with("\xFF\xFE") && !content.starts_with(std::string_view("\xFF\xFE\0\0", 4)))
    return TTextEncoding::Utf16Le;
  return TTextEncoding::AsItIs;
}

TTextEncoding TextEncodingOf(const TSnRTast& task, std::string_view content) {
  if (task.HexInput || !IsUtf8CaseTable(ActiveCaseTable())) return TTextEncoding::AsItIs;
  return Utf16MarkOf(content);
}

const char* TextEncodingName(TTextEncoding encoding) {
  switch (encoding) {
    case TTextEncoding::Utf16Le:
      return "UTF-16 LE";
    case TTextEncoding::Utf16Be:
      return "UTF-16 BE";
    case TTextEncoding::AsItIs:
      break;
  }
  return "";
}

TUtf16Decoder::TUtf16Decoder(std::string_view content, TTextEncoding encoding)
    : FFirst(reinterpret_cast<const unsigned char*>(content.data())),
      FAt(FFirst + std::min<std::size_t>(2, content.size())),
      FEnd(FFirst + content.size()),
      FEncoding(encoding) {
  if (content.size() % 2 != 0)
    Fail("an odd number of bytes (" + std::to_string(content.size()) + ")");
}

void TUtf16Decoder::Fail(const std::string& what) {
  FFailed = true;
  FWhy = std::string("not valid ") + TextEncodingName(FEncoding) + ": " + what;
}

std::size_t TUtf16Decoder::Decode(std::size_t units, char* to) {
  if (FFailed) return 0;
  const bool bigEndian = FEncoding == TTextEncoding::Utf16Be;
  const unsigned char* in = FAt;
  const unsigned char* const end = FEnd;
  const unsigned char* const stop = in + std::min(units, UnitsLeft()) * 2;
  auto* const first = reinterpret_cast<unsigned char*>(to);
  auto* out = first;
  const auto unitAt = [bigEndian](const unsigned char* at) -> char32_t {
    return bigEndian ? char32_t{at[0]} << 8 | at[1] : char32_t{at[1]} << 8 | at[0];
  };
  while (in < stop) {
#ifdef __SSE2__
    if (stop - in >= 16 && DecodeAsciiBlock(in, bigEndian, out)) {
      in += 16;
      out += 8;
      continue;
    }
#endif
    // A block with other characters goes a unit at a time; the low half of a pair at `stop` is
    // read past it.
    for (const unsigned char* blockEnd = std::min(stop, in + 16); in < blockEnd;) {
      char32_t c = unitAt(in);
      if (c >= 0xD800 && c <= 0xDFFF) {
        const char32_t low = end - in >= 4 ? unitAt(in + 2) : 0;
        if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF) {
          FAt = in;
          Fail("an unpaired surrogate at byte " + std::to_string(in - FFirst));
          return 0;
        }
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        in += 2;
      }
      in += 2;
      out = PutUtf8(c, out);
    }
  }
  FAt = in;
  return static_cast<std::size_t>(out - first);
}

std::size_t Utf16Units(std::string_view text) {
  // Every character is one unit but those of four bytes, a surrogate pair: count the bytes that
  // begin a character, and once more those that begin one of four bytes.
  std::size_t units = 0;
  for (const char byte : text) {
    const auto b = static_cast<unsigned char>(byte);
    units += (b & 0xC0) != 0x80;
    units += b >= 0xF0;
  }
  return units;
}

std::size_t Utf16PieceUnits() {
  return pieceUnits.load(std::memory_order_relaxed);
}

void SetUtf16PieceUnits(std::size_t units) {
  pieceUnits.store(std::max<std::size_t>(units, 1), std::memory_order_relaxed);
}

std::unique_ptr<char[]> NewTextBuffer(std::size_t size) {
  // A file too large for memory fails like any other unreadable one; the preview's thread has
  // nobody to catch an exception.
  std::unique_ptr<char[]> data(new (std::nothrow) char[size]);
  if (data) AdviseHugePages(data.get(), size);
  return data;
}

bool DecodeUtf16(std::string_view content, TTextEncoding encoding, TDecodedText& text,
                 std::string& why) {
  TUtf16Decoder decoder(content, encoding);
  if (decoder.Failed()) {
    why = decoder.Why();
    return false;
  }
  const std::size_t units = decoder.UnitsLeft();
  const std::size_t capacity = TUtf16Decoder::Room(units);
  text.Data = NewTextBuffer(capacity);
  if (!text.Data) {
    why = "not enough memory to read the " + std::string(TextEncodingName(encoding)) + " file";
    return false;
  }
  text.Size = decoder.Decode(units, text.Data.get());
  if (decoder.Failed()) why = decoder.Why();
  return !decoder.Failed();
}

std::size_t ValidUtf8Length(std::string_view text) {
  const auto* at = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t valid = 0;
  char32_t c = 0;
  while (valid < text.size()) {
    const int length = DecodeUtf8(at + valid, text.size() - valid, c);
    if (length == 0) break;
    valid += static_cast<std::size_t>(length);
  }
  return valid;
}

TUtf16Sink::TUtf16Sink(TByteSink& out, TTextEncoding writeAs) : FOut(out), FWriteAs(writeAs) {
  if (FWriteAs != TTextEncoding::AsItIs)
    FBuffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
}

bool TUtf16Sink::Invalid() {
  FFailed = true;
  FWhy = "the new text would not be valid UTF-8: a replacement splits a character";
  return false;
}

bool TUtf16Sink::Flush() {
  const bool written = FBuffered == 0 || FOut.Write(FBuffer.get(), FBuffered);
  FBuffered = 0;
  FFailed = FFailed || !written;
  return written;
}

bool TUtf16Sink::Write(const char* data, std::size_t length) {
  if (FFailed) return false;
  const bool encode = FWriteAs != TTextEncoding::AsItIs;
  const bool bigEndian = FWriteAs == TTextEncoding::Utf16Be;
  if (!FStarted && encode) {
    std::memcpy(FBuffer.get(), bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
    FBuffered = 2;
  }
  FStarted = true;
  const auto* at = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* const end = at + length;
  // Each step below writes at most kStepRoom bytes.
  const auto roomForStep = [&] {
    return !encode || FBuffered <= kBufferSize - kStepRoom || Flush();
  };
  const auto emit = [&](char32_t c) {
    if (!encode) return;
    auto* out = reinterpret_cast<unsigned char*>(FBuffer.get()) + FBuffered;
    FBuffered += static_cast<std::size_t>(PutUtf16(c, bigEndian, out) - out);
  };
  char32_t c = 0;
  while (at < end) {
    if (!roomForStep()) return false;
#ifdef __SSE2__
    if (end - at >= 16) {
      auto* out = reinterpret_cast<unsigned char*>(FBuffer.get()) + FBuffered;
      const bool ascii =
          encode ? EncodeAsciiBlock(at, bigEndian, out)
                 : _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))) == 0;
      if (ascii) {
        at += 16;
        FBuffered += encode ? 32 : 0;
        continue;
      }
    }
#endif
    const int taken = DecodeUtf8(at, static_cast<std::size_t>(end - at), c);
    if (taken == 0) return Invalid();
    at += taken;
    emit(c);
  }
  return encode || FOut.Write(data, length);
}

bool TUtf16Sink::PassOn(const char* encoded, std::size_t length) {
  FStarted = true;
  FFailed = FFailed || !FOut.Write(encoded, length);
  return !FFailed;
}

bool TUtf16Sink::Finish() {
  return !FFailed && (FWriteAs == TTextEncoding::AsItIs || Flush());
}

}  // namespace fendrel

// UTF-16 files in the text modes: which content a task reads as UTF-16, and the two conversions
// between such content and the UTF-8 text every matcher works on. Each conversion is one pass
// over its input with no allocation per character, so a large file costs little more than its
// UTF-8 twin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "SnRTast.h"
#include "platform/ByteSink.h"

namespace fendrel {

enum class TTextEncoding : uint8_t {
  AsItIs,   // the bytes as they are: UTF-8 text, a single-byte code page or binary data
  Utf16Le,  // FF FE first (but not FF FE 00 00, which begins UTF-32)
  Utf16Be,  // FE FF first
};

// The UTF-16 encoding whose byte-order mark `content` begins with, or AsItIs.
TTextEncoding Utf16MarkOf(std::string_view content);

// How `task` reads `content`: as UTF-16 only when the task's strings are text (not given in
// hexadecimal), the code page is UTF-8 and the content begins with a UTF-16 byte-order mark.
TTextEncoding TextEncodingOf(const TSnRTast& task, std::string_view content);

// "UTF-16 LE" or "UTF-16 BE", as users know them; empty for AsItIs.
const char* TextEncodingName(TTextEncoding encoding);

// The UTF-8 text of a decoded file, in a buffer sized for the longest text the file could hold
// and written once.
struct TDecodedText {
  std::unique_ptr<char[]> Data;
  std::size_t Size = 0;
  const char* Begin() const { return Data.get(); }
  const char* End() const { return Data.get() + Size; }
};

// A buffer of `size` bytes for decoded text, to be written once front to back; nullptr when
// memory is short.
std::unique_ptr<char[]> NewTextBuffer(std::size_t size);

// The characters after the byte-order mark of UTF-16 `content` as UTF-8. False, with `why` set
// ("not valid UTF-16 LE: an unpaired surrogate at byte 1234", counted in the file), for an odd
// length or a surrogate without its partner.
bool DecodeUtf16(std::string_view content, TTextEncoding encoding, TDecodedText& text,
                 std::string& why);

// Decodes UTF-16 content to UTF-8 a piece at a time, front to back, so that a large file is
// matched through a small buffer instead of a decoded copy of its own size. A surrogate pair is
// never split between two pieces, so each piece is whole characters.
class TUtf16Decoder {
 public:
  // `content` begins with its byte-order mark, which is skipped. An odd length fails at once.
  TUtf16Decoder(std::string_view content, TTextEncoding encoding);

  // The most bytes Decode(units, ...) writes.
  static std::size_t Room(std::size_t units) { return units * 3 + 1; }
  // Decodes the next `units` units (or the rest, if fewer; one more to end a surrogate pair) to
  // `out`, which has Room(units) bytes, and returns how many bytes it wrote. On invalid content
  // Failed() turns true, Why() tells, and nothing more is decoded.
  std::size_t Decode(std::size_t units, char* out);
  // The units not decoded yet.
  std::size_t UnitsLeft() const { return static_cast<std::size_t>(FEnd - FAt) / 2; }
  bool Done() const { return FAt == FEnd || FFailed; }
  bool Failed() const { return FFailed; }
  const std::string& Why() const { return FWhy; }
  // How far the content is decoded: its bytes so far, byte-order mark included.
  std::size_t Offset() const { return static_cast<std::size_t>(FAt - FFirst); }

 private:
  void Fail(const std::string& what);

  const unsigned char* FFirst;
  const unsigned char* FAt;
  const unsigned char* FEnd;
  TTextEncoding FEncoding;
  bool FFailed = false;
  std::string FWhy;
};

// The number of UTF-16 units that the valid UTF-8 `text` takes.
std::size_t Utf16Units(std::string_view text);

// How many units a piece of a UTF-16 file holds when it is matched a piece at a time. Tests make
// it small, so that boundaries fall between and inside matches.
std::size_t Utf16PieceUnits();
void SetUtf16PieceUnits(std::size_t units);

// Sets the piece size for as long as it lives.
class TUtf16PieceUnitsScope {
 public:
  explicit TUtf16PieceUnitsScope(std::size_t units) : FSaved(Utf16PieceUnits()) {
    SetUtf16PieceUnits(units);
  }
  ~TUtf16PieceUnitsScope() { SetUtf16PieceUnits(FSaved); }
  TUtf16PieceUnitsScope(const TUtf16PieceUnitsScope&) = delete;
  TUtf16PieceUnitsScope& operator=(const TUtf16PieceUnitsScope&) = delete;

 private:
  std::size_t FSaved;
};

// The length of the longest prefix of `text` that is valid UTF-8.
std::size_t ValidUtf8Length(std::string_view text);

// Where a matcher writes the new content of a decoded file: it takes the UTF-8 the matcher
// writes and passes it on to `out`, encoded in `writeAs` with its byte-order mark ahead of the
// first write, or, with AsItIs, each write as it came (a preview records changes by where the
// bytes lie). The matchers write whole characters of valid text (their runs and matches never
// end inside one), so a write that is not whole valid UTF-8 fails, and Why() tells.
class TUtf16Sink : public TByteSink {
 public:
  TUtf16Sink(TByteSink& out, TTextEncoding writeAs);
  bool Write(const char* data, std::size_t length) override;
  // Passes on `length` bytes of the file as they are, already in `writeAs` and byte-order mark
  // first: the file's unchanged beginning, which needs no decoding and encoding again. Only before
  // the first Write.
  bool PassOn(const char* encoded, std::size_t length);
  // Passes on what is buffered; false when a write failed or `out` fails.
  bool Finish();
  const std::string& Why() const { return FWhy; }

 private:
  bool Invalid();
  bool Flush();

  TByteSink& FOut;
  TTextEncoding FWriteAs;
  bool FStarted = false;
  bool FFailed = false;
  std::unique_ptr<char[]> FBuffer;  // encoded, not yet passed on
  std::size_t FBuffered = 0;
  std::string FWhy;
};

}  // namespace fendrel

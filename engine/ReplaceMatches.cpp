#include "ReplaceMatches.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "LiteralSearcher.h"
#include "ReplaceLiteral.h"
#include "ReplacePattern.h"

namespace fendrel {
namespace {

constexpr int64_t kFailed = -3;

bool IsUtf8(const std::string& bytes, int32_t length) {
  const std::string_view text(bytes.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
  return ValidUtf8Length(text) == text.size();
}

// The decoded text of a UTF-16 file, a piece at a time: what a piece leaves unmatched at its
// end is carried to the front of the buffer, and the next piece is decoded after it.
class TPieceBuffer {
 public:
  TPieceBuffer(std::string_view content, TTextEncoding encoding)
      : FDecoder(content, encoding), FEncoding(encoding) {}

  TUtf16Decoder& Decoder() { return FDecoder; }
  const char* Begin() const { return FData.get(); }
  const char* End() const { return FData.get() + FSize; }
  std::size_t Size() const { return FSize; }
  // Where in the file the character at `at` of the buffer begins, in bytes.
  std::size_t OffsetOf(const char* at) const {
    return FDecoder.Offset() - 2 * Utf16Units(std::string_view(at, End() - at));
  }

  // Decodes the next `units` units after what the buffer holds; with `roomForRest` the buffer
  // grows at once to hold the rest of the file, a run that no piece can end may be that long.
  // False, with the reason in `why`, when the content is invalid or memory is short.
  bool Fill(std::size_t units, bool roomForRest, std::string& why) {
    units = std::min(units, FDecoder.UnitsLeft());
    std::size_t needed = FSize + TUtf16Decoder::Room(roomForRest ? FDecoder.UnitsLeft() : units);
    if (needed > FCapacity) {
      // A carry longer than a piece (an old string longer than it) grows the buffer twofold, so
      // that it is not copied at every piece; room for the rest is reserved once, as it is.
      if (!roomForRest && FCapacity > 0) needed = std::max(needed, 2 * FCapacity);
      std::unique_ptr<char[]> larger = NewTextBuffer(needed);
      if (!larger) {
        why = "not enough memory to read the " + std::string(TextEncodingName(FEncoding)) + " file";
        return false;
      }
      if (FSize > 0) std::memcpy(larger.get(), FData.get(), FSize);
      FData = std::move(larger);
      FCapacity = needed;
    }
    FSize += FDecoder.Decode(units, FData.get() + FSize);
    if (FDecoder.Failed()) why = FDecoder.Why();
    return !FDecoder.Failed();
  }

  // Where in the content no byte lies that the text of the buffer was decoded from: a byte of
  // UTF-8 comes from at most two of UTF-16.
  std::size_t ReadBefore() const {
    return FDecoder.Offset() - std::min(FDecoder.Offset(), 2 * FSize);
  }

  // Keeps the text from `from` on, moved to the front; the rest has been dealt with.
  void Carry(const char* from) {
    const std::size_t kept = static_cast<std::size_t>(End() - from);
    std::memmove(FData.get(), from, kept);
    FSize = kept;
  }

 private:
  TUtf16Decoder FDecoder;
  TTextEncoding FEncoding;
  std::unique_ptr<char[]> FData;
  std::size_t FSize = 0;
  std::size_t FCapacity = 0;
};

// Decodes what is left of the content, only to find whether it is valid.
bool RestIsValid(TUtf16Decoder& decoder) {
  const std::size_t units = Utf16PieceUnits();
  const auto scratch = std::make_unique_for_overwrite<char[]>(TUtf16Decoder::Room(units));
  while (!decoder.Done())
    decoder.Decode(units, scratch.get());
  return !decoder.Failed();
}

// The start of the character that `at` lies in, in valid UTF-8 text.
const char* CharacterStart(const char* begin, const char* at) {
  while (at > begin && (static_cast<unsigned char>(*at) & 0xC0) == 0x80)
    --at;
  return at;
}

// The literal modes over the pieces of a UTF-16 file. Each piece takes the matches that begin
// so far before its end that no match beginning there could reach beyond it; the text from there
// on is carried into the next piece and searched again. The beginning of the file up to the
// first match is passed on as it is, so that a file without matches writes nothing.
int64_t ReplaceLiteralPieces(TPieceBuffer& text, TUtf16Sink& sink, TByteSink& out,
                             std::string_view content, const TSnRTast& task, std::string& why) {
  if (task.FromLen <= 0) {
    why = "the old string is empty";
    return kFailed;
  }
  const bool ignoreCase = task.SearchMode == smIgnoreCase;
  const TLiteralSearcher searcher(task.FromStr, ignoreCase);
  // Ignoring case, a character may match one of up to four bytes whatever its own length.
  const std::size_t longest = task.FromStr.size() * (ignoreCase ? 4 : 1);
  int64_t count = 0;
  std::size_t unchanged = 2;  // the file's bytes before the buffer's text, while nothing matched
  const auto failed = [&] {
    why.clear();
    return kFailed;
  };
  do {
    if (!text.Fill(Utf16PieceUnits(), false, why)) return kFailed;
    const bool last = text.Decoder().Done();
    const char* const end = text.End();
    const char* safe = end;
    if (!last && longest > 1)
      safe =
          CharacterStart(text.Begin(), text.Size() >= longest ? end - (longest - 1) : text.Begin());
    const char* position = text.Begin();
    const char* matchEnd = nullptr;
    while (const char* match = searcher.Find(position, end, matchEnd)) {
      if (match >= safe) break;
      if (count++ == 0 && !sink.PassOn(content.data(), unchanged)) return failed();
      if (!sink.Write(position, match - position) ||
          !sink.Write(task.ToStr.data(), task.ToStr.size()))
        return failed();
      position = matchEnd;
    }
    const char* kept = std::max(position, safe);
    if (count > 0 && !sink.Write(position, kept - position)) return failed();
    if (count == 0) unchanged = text.OffsetOf(kept);
    text.Carry(kept);
    // The file's beginning is passed on as it is at the first match; after that, what is
    // decoded is never read again.
    if (count > 0) out.SourceRead(content.data() + text.ReadBefore());
  } while (!text.Decoder().Done() || text.Size() > 0);
  return count;
}

// The regular-expression mode over the pieces of a UTF-16 file: a piece ends where its last text
// run after a binary character begins, which no match spans. While no piece has such a place,
// the pieces are decoded one after another into a buffer with room for the rest of the file.
int64_t ReplacePatternPieces(TPieceBuffer& text, TUtf16Sink& sink, TByteSink& out,
                             std::string_view content, const TSnRTast& task, std::string& why) {
  TPatternReplacer replacer(task);
  bool longRun = false;
  do {
    // The part before the last character already read holds no place to end a piece.
    const std::size_t searched =
        text.Size() == 0 ? 0 : CharacterStart(text.Begin(), text.End() - 1) - text.Begin();
    if (!text.Fill(Utf16PieceUnits(), longRun, why)) return kFailed;
    const char* cut =
        text.Decoder().Done() ? text.End() : LastTextRunStart(text.Begin() + searched, text.End());
    longRun = cut == nullptr;
    if (longRun) continue;
    if (!replacer.Replace(sink, text.Begin(), cut, why)) return kFailed;
    text.Carry(cut);
    out.SourceRead(content.data() + text.ReadBefore());
  } while (text.Size() > 0 || !text.Decoder().Done());
  return replacer.Count();
}

}  // namespace

int64_t ReplaceMatchesAsItIs(TByteSink& out, const char* begin, const char* end,
                             const TSnRTast& task, std::string& why) {
  const int64_t result = task.SearchMode == smRegExpr ? ReplacePattern(out, begin, end, task, why)
                                                      : ReplaceLiteral(out, begin, end, task);
  if (result < 0 && why.empty())
    why = task.FromLen <= 0 ? "the old string is empty" : "the search failed";
  return result;
}

int64_t ReplaceMatches(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       std::string& why) {
  const std::string_view content(begin, static_cast<std::size_t>(end - begin));
  const TTextEncoding encoding = TextEncodingOf(task, content);
  if (encoding == TTextEncoding::AsItIs) return ReplaceMatchesAsItIs(out, begin, end, task, why);
  return ReplaceUtf16(out, content, encoding, task, why);
}

int64_t ReplaceUtf16(TByteSink& out, std::string_view content, TTextEncoding encoding,
                     const TSnRTast& task, std::string& why) {
  TPieceBuffer text(content, encoding);
  // Whatever else fails, a file that is not what its mark says is told first, as if it had
  // been decoded whole before the search: the rest of it is checked.
  const auto fail = [&text](std::string& said, const std::string& reason) {
    said = text.Decoder().Failed() || RestIsValid(text.Decoder()) ? reason : text.Decoder().Why();
    return kFailed;
  };
  if (text.Decoder().Failed()) return fail(why, text.Decoder().Why());
  if (!IsUtf8(task.FromStr, task.FromLen))
    return fail(why, "the old string is not valid UTF-8, so a UTF-16 file cannot hold it");
  if (!IsUtf8(task.ToStr, task.ToLen))
    return fail(why, "the new string is not valid UTF-8, so it cannot be written to a UTF-16 file");
  TUtf16Sink sink(out, encoding);
  const int64_t result = task.SearchMode == smRegExpr
                             ? ReplacePatternPieces(text, sink, out, content, task, why)
                             : ReplaceLiteralPieces(text, sink, out, content, task, why);
  if (result >= 0 && sink.Finish()) return result;
  if (!sink.Why().empty()) return fail(why, sink.Why());
  return fail(why, why.empty() ? "the search failed" : why);
}

int64_t ReplaceDecoded(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       TTextEncoding writeAs, std::string& why) {
  if (!IsUtf8(task.FromStr, task.FromLen)) {
    why = "the old string is not valid UTF-8, so a UTF-16 file cannot hold it";
    return kFailed;
  }
  if (!IsUtf8(task.ToStr, task.ToLen)) {
    why = "the new string is not valid UTF-8, so it cannot be written to a UTF-16 file";
    return kFailed;
  }
  TUtf16Sink text(out, writeAs);
  const int64_t result = ReplaceMatchesAsItIs(text, begin, end, task, why);
  if (result >= 0 && text.Finish()) return result;
  if (!text.Why().empty()) why = text.Why();
  return result < 0 ? result : kFailed;
}

}  // namespace fendrel

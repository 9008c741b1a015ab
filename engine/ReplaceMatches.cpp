#include "ReplaceMatches.h"

#include <string_view>

#include "ReplaceLiteral.h"
#include "ReplacePattern.h"

namespace fendrel {
namespace {

constexpr int64_t kFailed = -3;

bool IsUtf8(const std::string& bytes, int32_t length) {
  const std::string_view text(bytes.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
  return ValidUtf8Length(text) == text.size();
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
  TDecodedText text;
  if (!DecodeUtf16(content, encoding, text, why)) return kFailed;
  return ReplaceDecoded(out, text.Begin(), text.End(), task, encoding, why);
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

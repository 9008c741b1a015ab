#include "PreviewText.h"

#include <string_view>

#include "regexpr/RegExprUnicode.h"
#include "ui/editors/UiText.h"

namespace fendrel {
namespace {

// Light backgrounds with a fixed dark text, readable under any colour scheme.
constexpr const char* kOldLine = "background:#ffecec;color:#000";
constexpr const char* kOldMark = "background:#ffaaaa;color:#000;font-weight:bold";
constexpr const char* kNewLine = "background:#e6ffe6;color:#000";
constexpr const char* kNewMark = "background:#99ee99;color:#000;font-weight:bold";
// Lines longer than this show a stretch around their first replacement.
constexpr std::size_t kLongLine = 600;

// The length of the UTF-8 character at `at`, 0 when there is none.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  char32_t c = 0;
  return static_cast<std::size_t>(
      DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()) + at, text.size() - at, c));
}

bool InsideCharacter(std::string_view text, std::size_t at) {
  return at < text.size() && IsUtf8Continuation(static_cast<unsigned char>(text[at]));
}

// [begin, end) of `text` as escaped HTML; control bytes and broken UTF-8 as hex in brackets.
QString Escaped(std::string_view text, std::size_t begin, std::size_t end) {
  QString html;
  std::size_t run = begin;
  const auto flush = [&](std::size_t to) {
    if (to > run)
      html +=
          QString::fromUtf8(text.data() + run, static_cast<qsizetype>(to - run)).toHtmlEscaped();
  };
  for (std::size_t at = begin; at < end;) {
    const auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    bool hex = (byte < 32 && byte != '\t') || byte == 127;
    if (byte >= 0x80) {
      length = Utf8Length(text, at);
      hex = length < 2 || at + length > end;
      if (hex) length = 1;
    }
    if (hex) {
      flush(at);
      html += QString::asprintf("<span style=\"color:#666\">[%02X]</span>", byte);
      run = at + 1;
    }
    at += length;
  }
  flush(end);
  return html;
}

// The lines of one side of a hunk, each after its number and sign, the marks highlighted.
void AppendSide(QString& html, std::string_view text,
                const std::vector<std::pair<std::size_t, std::size_t>>& marks, uint64_t firstLine,
                char sign, const char* lineStyle, const char* markStyle) {
  std::size_t mark = 0;
  uint64_t number = firstLine;
  for (std::size_t begin = 0; begin < text.size(); ++number) {
    std::size_t end = text.find('\n', begin);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::size_t shownEnd = end;
    while (shownEnd > begin && (text[shownEnd - 1] == '\n' || text[shownEnd - 1] == '\r'))
      --shownEnd;
    while (mark < marks.size() && marks[mark].second <= begin && marks[mark].first < begin)
      ++mark;
    std::size_t shownBegin = begin;
    if (shownEnd - begin > kLongLine) {
      const std::size_t first = mark < marks.size() ? std::max(marks[mark].first, begin) : begin;
      shownBegin = first - std::min<std::size_t>(first - begin, kLongLine / 4);
      shownEnd = std::min(shownEnd, shownBegin + kLongLine);
      // The stretch shown begins and ends between characters.
      while (shownBegin < first && InsideCharacter(text, shownBegin))
        ++shownBegin;
      while (shownEnd > shownBegin && InsideCharacter(text, shownEnd))
        --shownEnd;
    }
    html += QString("<div style=\"%1\">%2%3 ").arg(lineStyle).arg(number, 6).arg(sign);
    if (shownBegin > begin) html += QString::fromUtf8("…");
    std::size_t at = shownBegin;
    for (std::size_t m = mark; m < marks.size() && marks[m].first < shownEnd; ++m) {
      const std::size_t from = std::max(marks[m].first, at);
      const std::size_t to = std::min(marks[m].second, shownEnd);
      if (to < from) continue;
      html += Escaped(text, at, from);
      html += QString("<span style=\"%1\">%2</span>").arg(markStyle, Escaped(text, from, to));
      at = to;
    }
    html += Escaped(text, at, shownEnd);
    if (shownEnd < end && text[shownEnd] != '\n' && text[shownEnd] != '\r')
      html += QString::fromUtf8("…");
    html += "</div>";
    begin = end;
  }
}

}  // namespace

QString PreviewHtml(const TFilePreview& preview, int32_t language) {
  QString html = "<div style=\"font-family:monospace;white-space:pre\">";
  // The catalogue's texts are plain text: escaped before the escaped values go in.
  if (preview.Failed()) {
    html += FillUiPlaceholders(UiText(TTextId::PreviewFailed, language).toHtmlEscaped(),
                               {QString::fromStdString(preview.Reason).toHtmlEscaped()});
  }
  // The lines of a UTF-16 file are its decoded text: the name of its encoding says so.
  if (preview.Encoding != TTextEncoding::AsItIs)
    html += QString("<div style=\"color:#666\">(%1)</div>")
                .arg(QString::fromLatin1(TextEncodingName(preview.Encoding)));
  for (const THunk& hunk : preview.Lines.Hunks) {
    AppendSide(html, hunk.Old, hunk.OldMarks, hunk.OldLine, '-', kOldLine, kOldMark);
    AppendSide(html, hunk.New, hunk.NewMarks, hunk.NewLine, '+', kNewLine, kNewMark);
    html += "<div>&nbsp;</div>";
  }
  if (preview.Lines.LinesNotShown > 0) {
    html +=
        UiText(TTextId::PreviewMoreLines, language, {QString::number(preview.Lines.LinesNotShown)})
            .toHtmlEscaped();
  }
  return html + "</div>";
}

QString PreviewSummary(std::size_t filesDone, std::size_t filesTotal, int64_t replacements,
                       std::size_t filesChanged, bool cancelled, int32_t language) {
  const QString text = UiText(TTextId::PreviewSummary, language,
                              {QString::number(filesDone), QString::number(filesTotal),
                               QString::number(replacements), QString::number(filesChanged)});
  return cancelled ? UiText(TTextId::PreviewCancelled, language, {text}) : text;
}

}  // namespace fendrel

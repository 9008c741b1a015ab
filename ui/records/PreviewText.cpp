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
// A change left out of the run: its new text struck through on grey.
constexpr const char* kUntickedMark =
    "background:#dddddd;color:#555;font-weight:bold;text-decoration:line-through";
constexpr const char* kTickLink = "color:#0645ad;text-decoration:none;font-weight:bold";
// The widths, in characters shown, that keep a change on screen: a line wider than kLongLine is
// cut into stretches around its changes, each with kContext characters on either side; a change
// wider than kLongChange shows its first and its last kChangeEnds characters.
constexpr std::size_t kLongLine = 160;
constexpr std::size_t kContext = 24;
constexpr std::size_t kLongChange = 80;
constexpr std::size_t kChangeEnds = 32;
// Rows one line is cut into at most; a binary line may hold a great many changes.
constexpr std::size_t kMaxRows = 100;

// Characters that show nothing of themselves, or look like a space: a change to or from one of
// them must show. C1 controls, no-break and other spaces, zero-width and direction marks, the
// byte-order mark.
bool ShowsNothing(char32_t c) {
  return (c >= 0x80 && c <= 0xA0) || c == 0xAD || c == 0x1680 || c == 0x180E ||
         (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
         (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0xFEFF;
}

// What one place of a line shows: a character as itself, or a mark for a byte or a character
// that would show nothing or only something ambiguous.
struct TUnit {
  std::size_t Length;  // bytes
  std::size_t Width;   // characters shown
  const char* Mark;    // CR, LF, tab: their mark; null otherwise
  bool Hex;            // each byte as [XX]
};

// The unit at `at`; a character that runs past `end` is bytes that are no text.
TUnit UnitAt(std::string_view text, std::size_t at, std::size_t end) {
  const auto byte = static_cast<unsigned char>(text[at]);
  // Arrows every common monospace font holds: the carriage goes back, the line feeds down, the
  // tab moves on to a stop.
  if (byte == '\r') return {1, 1, "\u2190", false};
  if (byte == '\n') return {1, 1, "\u2193", false};
  if (byte == '\t') return {1, 1, "\u21E5", false};
  if (byte < 32 || byte == 127) return {1, 4, nullptr, true};
  if (byte < 0x80) return {1, 1, nullptr, false};
  char32_t c = 0;
  const auto length = static_cast<std::size_t>(
      DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()) + at, end - at, c));
  if (length < 2) return {1, 4, nullptr, true};
  if (ShowsNothing(c)) return {length, 4 * length, nullptr, true};
  return {length, 1, nullptr, false};
}

// [begin, end) of `text` as escaped HTML, each unit as it shows.
QString Escaped(std::string_view text, std::size_t begin, std::size_t end) {
  QString html;
  std::size_t run = begin;
  const auto flush = [&](std::size_t to) {
    if (to > run)
      html +=
          QString::fromUtf8(text.data() + run, static_cast<qsizetype>(to - run)).toHtmlEscaped();
  };
  for (std::size_t at = begin; at < end;) {
    const TUnit unit = UnitAt(text, at, end);
    if (unit.Mark != nullptr || unit.Hex) {
      flush(at);
      html += "<span style=\"color:#666\">";
      if (unit.Mark != nullptr) html += QString::fromUtf8(unit.Mark);
      for (std::size_t k = 0; unit.Hex && k < unit.Length; ++k)
        html += QString::asprintf("[%02X]", static_cast<unsigned char>(text[at + k]));
      html += "</span>";
      run = at + unit.Length;
    }
    at += unit.Length;
  }
  flush(end);
  return html;
}

// The place `width` characters on from `at`, never past `end`.
std::size_t Forward(std::string_view text, std::size_t at, std::size_t end, std::size_t width) {
  for (std::size_t shown = 0; at < end && shown < width;) {
    const TUnit unit = UnitAt(text, at, end);
    shown += unit.Width;
    at += unit.Length;
  }
  return at;
}

// The place `width` characters back from `at`, never before `begin`.
std::size_t Back(std::string_view text, std::size_t begin, std::size_t at, std::size_t end,
                 std::size_t width) {
  for (std::size_t shown = 0; at > begin && shown < width;) {
    std::size_t from = at - 1;
    while (from > begin && at - from < 4 &&
           IsUtf8Continuation(static_cast<unsigned char>(text[from])))
      --from;
    TUnit unit = UnitAt(text, from, end);
    // Bytes that make no character with the ones after them go back one at a time.
    if (from + unit.Length != at) {
      from = at - 1;
      unit = UnitAt(text, from, end);
    }
    shown += unit.Width;
    at = from;
  }
  return at;
}

using TMarks = std::vector<std::pair<std::size_t, std::size_t>>;

// The stretches of the line [begin, end) that are shown, one row each: the whole line when it
// is short, else the stretches around its changes. Stretches that meet join as long as they
// stay short; a gap between two is text left out.
std::vector<std::pair<std::size_t, std::size_t>> Stretches(std::string_view text, std::size_t begin,
                                                           std::size_t end, const TMarks& marks,
                                                           std::size_t firstMark) {
  std::vector<std::pair<std::size_t, std::size_t>> rows;
  if (Forward(text, begin, end, kLongLine + 1) >= end) {
    rows.emplace_back(begin, end);
    return rows;
  }
  const auto add = [&](std::size_t from, std::size_t to) {
    if (!rows.empty() && from <= rows.back().second) {
      if (Forward(text, rows.back().first, end, kLongLine) >= to) {
        rows.back().second = std::max(rows.back().second, to);
        return;
      }
      from = rows.back().second;
      if (from >= to) return;
    }
    rows.emplace_back(from, to);
  };
  for (std::size_t m = firstMark; m < marks.size() && marks[m].first <= end; ++m) {
    // A mark at a line's very end belongs to the next line, when there is one.
    if ((marks[m].second <= begin && marks[m].first < begin) ||
        (marks[m].first == end && end < text.size()))
      continue;
    if (rows.size() >= kMaxRows) break;
    const std::size_t from = std::max(marks[m].first, begin);
    const std::size_t to = std::min(marks[m].second, end);
    if (Forward(text, from, to, kLongChange + 1) < to) {
      add(Back(text, begin, from, end, kContext), Forward(text, from, to, kChangeEnds));
      add(Back(text, from, to, end, kChangeEnds), Forward(text, to, end, kContext));
    } else {
      add(Back(text, begin, from, end, kContext), Forward(text, to, end, kContext));
    }
  }
  // A long line without a change of its own (part of a change over several lines) shows its
  // beginning.
  if (rows.empty()) rows.emplace_back(begin, Forward(text, begin, end, kLongLine));
  return rows;
}

// The changes of one side of a hunk that carry a tick: the first is change `First` of the file.
struct TTicks {
  const std::vector<bool>* Ticked = nullptr;  // none on this side
  std::size_t First = 0;
  bool IsTicked(std::size_t change) const { return change >= Ticked->size() || (*Ticked)[change]; }
};

// The lines of one side of a hunk, each after its number and sign, the marks highlighted, line
// ends, tabs and bytes that are no text marked. A line cut into stretches shows a row for each,
// and "…" where text was left out. With ticks, each change begins with its tick, a link that
// ticks or unticks it.
void AppendSide(QString& html, std::string_view text, const TMarks& marks, uint64_t firstLine,
                char sign, const char* lineStyle, const char* markStyle, const TTicks& ticks = {}) {
  std::size_t mark = 0;
  uint64_t number = firstLine;
  for (std::size_t begin = 0; begin < text.size(); ++number) {
    std::size_t end = text.find('\n', begin);
    end = end == std::string_view::npos ? text.size() : end + 1;
    while (mark < marks.size() && marks[mark].second <= begin && marks[mark].first < begin)
      ++mark;
    const auto rows = Stretches(text, begin, end, marks, mark);
    for (std::size_t row = 0; row < rows.size(); ++row) {
      const auto [rowBegin, rowEnd] = rows[row];
      html += QString("<div style=\"%1\">%2%3 ")
                  .arg(lineStyle)
                  .arg(row == 0 ? QString::number(number) : QString(), 6)
                  .arg(sign);
      if (rowBegin > (row == 0 ? begin : rows[row - 1].second)) html += QString::fromUtf8("…");
      // The marks that end before the row are done with: a long line's rows cost no more
      // than their own marks.
      while (mark < marks.size() && marks[mark].second < rowBegin)
        ++mark;
      std::size_t at = rowBegin;
      for (std::size_t m = mark; m < marks.size() && marks[m].first <= rowEnd; ++m) {
        const std::size_t from = std::max(marks[m].first, at);
        const std::size_t to = std::min(marks[m].second, rowEnd);
        // A replaced stretch cut off by the row shows in the row it lies in.
        if (to < from || (to == from && marks[m].second > marks[m].first)) continue;
        html += Escaped(text, at, from);
        const char* style = markStyle;
        if (ticks.Ticked != nullptr) {
          const std::size_t change = ticks.First + m;
          const bool ticked = ticks.IsTicked(change);
          if (from == marks[m].first)
            html += QString("<a href=\"change:%1\" style=\"%2\">%3</a>")
                        .arg(change)
                        .arg(kTickLink, ticked ? QString(QChar(0x2611)) : QString(QChar(0x2610)));
          if (!ticked) style = kUntickedMark;
        }
        html += QString("<span style=\"%1\">%2</span>").arg(style, Escaped(text, from, to));
        at = to;
      }
      html += Escaped(text, at, rowEnd);
      if (rowEnd < (row + 1 < rows.size() ? rows[row + 1].first : end))
        html += QString::fromUtf8("…");
      html += "</div>";
    }
    begin = end;
  }
}

}  // namespace

QString PreviewHtml(const TFilePreview& preview, int32_t language,
                    const std::vector<bool>& ticked) {
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
  if (!preview.Lines.Hunks.empty())
    html += QString("<div style=\"color:#666\">%1</div>")
                .arg(UiText(TTextId::PreviewTickHint, language).toHtmlEscaped());
  std::size_t change = 0;
  for (const THunk& hunk : preview.Lines.Hunks) {
    AppendSide(html, hunk.Old, hunk.OldMarks, hunk.OldLine, '-', kOldLine, kOldMark);
    AppendSide(html, hunk.New, hunk.NewMarks, hunk.NewLine, '+', kNewLine, kNewMark,
               {&ticked, change});
    change += hunk.NewMarks.size();
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

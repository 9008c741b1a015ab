#include "ChangedLines.h"

#include <algorithm>
#include <cstring>

namespace fendrel {
namespace {

// The start of the line that holds the byte at `at`.
std::size_t LineBegin(std::string_view content, std::size_t at) {
  if (at == 0) return 0;
  const void* lineBreak = memrchr(content.data(), '\n', std::min(at, content.size()));
  return lineBreak != nullptr ? static_cast<const char*>(lineBreak) - content.data() + 1 : 0;
}

// The end, after its break, of the line that holds the byte at `at`.
std::size_t LineEnd(std::string_view content, std::size_t at) {
  if (at >= content.size()) return content.size();
  const void* lineBreak = std::memchr(content.data() + at, '\n', content.size() - at);
  return lineBreak != nullptr ? static_cast<const char*>(lineBreak) - content.data() + 1
                              : content.size();
}

// Whole lines holding changes [First, Last] of the list.
struct TLines {
  std::size_t Begin;
  std::size_t End;
  std::size_t First;
  std::size_t Last;
};

TLines LinesOf(std::string_view content, const TChange& change, std::size_t index) {
  const std::size_t begin = LineBegin(content, change.OldOffset);
  const std::size_t end = change.OldOffset + change.OldLength;
  // A change that ends with a line break ends its line, unless what it writes leaves the line
  // open: then the next line joins it.
  const bool newEndsLine =
      change.NewText.empty() ? change.OldOffset == begin : change.NewText.back() == '\n';
  if (change.OldLength > 0 && content[end - 1] == '\n' && newEndsLine)
    return {begin, end, index, index};
  return {begin, LineEnd(content, end), index, index};
}

std::size_t BackLines(std::string_view content, std::size_t begin, unsigned count) {
  for (; count > 0 && begin > 0; --count)
    begin = LineBegin(content, begin - 1);
  return begin;
}

std::size_t ForwardLines(std::string_view content, std::size_t end, unsigned count) {
  for (; count > 0 && end < content.size(); --count)
    end = LineEnd(content, end);
  return end;
}

THunk MakeHunk(std::string_view content, const TChangeList& changes, const TLines& lines) {
  THunk hunk;
  hunk.Old.assign(content.substr(lines.Begin, lines.End - lines.Begin));
  std::size_t at = lines.Begin;
  for (std::size_t i = lines.First; i <= lines.Last; ++i) {
    const TChange& change = changes[i];
    hunk.New.append(content.substr(at, change.OldOffset - at));
    const std::size_t oldBegin = change.OldOffset - lines.Begin;
    hunk.OldMarks.emplace_back(oldBegin, oldBegin + change.OldLength);
    hunk.NewMarks.emplace_back(hunk.New.size(), hunk.New.size() + change.NewText.size());
    hunk.New += change.NewText;
    at = change.OldOffset + change.OldLength;
  }
  hunk.New.append(content.substr(at, lines.End - at));
  return hunk;
}

}  // namespace

std::pair<std::size_t, std::size_t> ChangedLineSpan(std::string_view content,
                                                    const TChange& change) {
  const std::size_t begin = LineBegin(content, change.OldOffset);
  const std::size_t end = change.OldOffset + change.OldLength;
  // A change that ends with a line break ends its line, unless what it writes leaves the line
  // open: then the next line joins it.
  const bool newEndsLine =
      change.NewText.empty() ? change.OldOffset == begin : change.NewText.back() == '\n';
  if (change.OldLength > 0 && content[end - 1] == '\n' && newEndsLine) return {begin, end};
  return {begin, LineEnd(content, end)};
}

uint64_t LineCount(std::string_view text) {
  const auto breaks = static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n'));
  return breaks + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

THunks ChangedLines(std::string_view content, const TChangeList& changes,
                    const THunkOptions& options, uint64_t notKept) {
  THunks result;
  result.ChangedLines = notKept;
  result.LinesNotShown = notKept;
  // The changed lines, changes on the same line together.
  std::vector<TLines> groups;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const TLines lines = LinesOf(content, changes[i], i);
    if (!groups.empty() && lines.Begin < groups.back().End) {
      groups.back().End = std::max(groups.back().End, lines.End);
      groups.back().Last = i;
    } else {
      groups.push_back(lines);
    }
  }
  // The first of them up to the limit, each with its context; hunks whose context meets join.
  std::vector<TLines> shown;
  uint64_t shownLines = 0;
  bool full = false;
  for (const TLines& group : groups) {
    const uint64_t count =
        std::max<uint64_t>(1, LineCount(content.substr(group.Begin, group.End - group.Begin)));
    result.ChangedLines += count;
    full =
        full || (options.MaxLines > 0 && shownLines > 0 && shownLines + count > options.MaxLines);
    if (full) {
      result.LinesNotShown += count;
      continue;
    }
    shownLines += count;
    TLines hunk = group;
    hunk.Begin = BackLines(content, group.Begin, options.Context);
    hunk.End = ForwardLines(content, group.End, options.Context);
    if (!shown.empty() && hunk.Begin <= shown.back().End) {
      shown.back().End = hunk.End;
      shown.back().Last = hunk.Last;
    } else {
      shown.push_back(hunk);
    }
  }
  // Line numbers, counted once through the content.
  std::size_t counted = 0;
  uint64_t oldLine = 1;
  int64_t newMinusOld = 0;
  for (const TLines& lines : shown) {
    oldLine += static_cast<uint64_t>(
        std::count(content.begin() + counted, content.begin() + lines.Begin, '\n'));
    counted = lines.Begin;
    THunk hunk = MakeHunk(content, changes, lines);
    hunk.OldLine = oldLine;
    hunk.NewLine = static_cast<uint64_t>(static_cast<int64_t>(oldLine) + newMinusOld);
    newMinusOld +=
        static_cast<int64_t>(LineCount(hunk.New)) - static_cast<int64_t>(LineCount(hunk.Old));
    result.Hunks.push_back(std::move(hunk));
  }
  return result;
}

}  // namespace fendrel

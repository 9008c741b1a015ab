#include "IniText.h"

#include <algorithm>

#include "platform/CodePage.h"

namespace fendrel {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kLineBreak = "\r\n";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool HasBreakOrZero(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::vector<TIniLine> SplitIniLines(std::string_view text) {
  std::vector<TIniLine> lines;
  std::size_t pos = text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
  while (pos < text.size()) {
    TIniLine line;
    line.Begin = pos;
    line.End = std::min(text.find_first_of("\r\n", pos), text.size());
    line.Next = line.End;
    if (line.Next < text.size()) {
      // CR LF is one break; a lone CR or LF is one too.
      line.Next +=
          text[line.Next] == '\r' && line.Next + 1 < text.size() && text[line.Next + 1] == '\n' ? 2
                                                                                                : 1;
    }
    lines.push_back(line);
    pos = line.Next;
  }
  return lines;
}

TIniLineInfo ClassifyIniLine(std::string_view line) {
  TIniLineInfo info;
  const std::size_t start = line.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return info;
  if (line[start] == '[') {
    // A header without its closing bracket still names the section up to the line's end.
    const std::size_t close = line.find(']', start + 1);
    const std::size_t end = close == std::string_view::npos ? line.size() : close;
    info.Kind = TIniLineKind::Section;
    info.Name = Trim(line.substr(start + 1, end - start - 1));
    return info;
  }
  const std::size_t equals = line.find('=', start);
  if (equals == std::string_view::npos) return info;
  info.Kind = TIniLineKind::Key;
  info.Name = Trim(line.substr(start, equals - start));
  info.ValueOffset = equals + 1;
  info.RawValue = line.substr(equals + 1);
  return info;
}

std::string FoldIniName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    c = static_cast<char>(CharUpper(static_cast<unsigned char>(c)));
  return folded;
}

bool SameIniName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return CharUpper(static_cast<unsigned char>(x)) ==
                  CharUpper(static_cast<unsigned char>(y));
         });
}

TIniValue NormaliseIniValue(std::string_view raw) {
  std::string_view value = Trim(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  TIniValue result;
  result.Cut = value.size() > kIniReadLimit;
  result.Text = value.substr(0, kIniReadLimit);
  return result;
}

bool IniValueWritable(std::string_view value) {
  return value.size() <= kIniWriteLimit && !HasBreakOrZero(value);
}

bool IniKeyWritable(std::string_view key) {
  const std::string_view name = Trim(key);
  return !name.empty() && IniValueWritable(key) && name.front() != '[' &&
         key.find('=') == std::string_view::npos;
}

bool IniSectionWritable(std::string_view section) {
  return !Trim(section).empty() && IniValueWritable(section) &&
         section.find(']') == std::string_view::npos;
}

std::size_t TIniText::EndLine(std::size_t lineEnd) {
  FContent.insert(lineEnd, kLineBreak);
  return lineEnd + kLineBreak.size();
}

void TIniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view wantedSection = Trim(section);
  const std::string_view wantedKey = Trim(key);
  const std::vector<TIniLine> lines = SplitIniLines(FContent);

  bool inSection = false;
  bool sectionFound = false;
  TIniLine lastFilled;  // the section's last non-blank line, its header at least
  for (const TIniLine& line : lines) {
    const std::string_view text =
        std::string_view(FContent).substr(line.Begin, line.End - line.Begin);
    const TIniLineInfo info = ClassifyIniLine(text);
    if (info.Kind == TIniLineKind::Section) {
      // Reads look only at the first section of a name, so writes go there too.
      if (inSection) break;
      if (!sectionFound && SameIniName(info.Name, wantedSection)) {
        inSection = sectionFound = true;
        lastFilled = line;
      }
      continue;
    }
    if (!inSection) continue;
    if (info.Kind == TIniLineKind::Key && SameIniName(info.Name, wantedKey)) {
      std::string replacement(text.substr(0, info.ValueOffset));
      replacement.append(value).append(kLineBreak);
      FContent.replace(line.Begin, line.Next - line.Begin, replacement);
      return;
    }
    if (info.Kind != TIniLineKind::Other || !Trim(text).empty()) lastFilled = line;
  }

  std::string keyLine(wantedKey);
  keyLine.append("=").append(value).append(kLineBreak);
  if (sectionFound) {
    // Blank lines that end the section stay between it and the next one.
    const std::size_t at =
        lastFilled.Next == lastFilled.End ? EndLine(lastFilled.End) : lastFilled.Next;
    FContent.insert(at, keyLine);
    return;
  }
  if (!lines.empty() && lines.back().Next == lines.back().End) EndLine(lines.back().End);
  FContent.append("[").append(wantedSection).append("]").append(kLineBreak).append(keyLine);
}

}  // namespace fendrel

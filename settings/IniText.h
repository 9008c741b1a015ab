// The text of an ini file as Fendrel reads and edits it: lines, section headers, key lines and
// the rules that turn the text after '=' into a value.
//
// Reading and writing share these rules so that a value written here reads back the way the
// reader will see it; the file-level operations live in Iniregi.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

// Longest value the reader hands out; a longer stored value comes back cut to this length.
inline constexpr std::size_t kIniReadLimit = 298;
// Longest section name, key or value a write accepts; a longer one is refused, never cut.
inline constexpr std::size_t kIniWriteLimit = 400;

// One line of the text: its content is [Begin, End), its line break [End, Next). CR LF, LF and
// CR all end a line; the last line may have no break.
struct TIniLine {
  std::size_t Begin = 0;
  std::size_t End = 0;
  std::size_t Next = 0;
};

enum class TIniLineKind { Other, Section, Key };

// What a line is, with the section's or key's name (blanks around it removed) and, for a key
// line, the raw text after the first '='.
struct TIniLineInfo {
  TIniLineKind Kind = TIniLineKind::Other;
  std::string_view Name;
  std::string_view RawValue;
  // Offset within the line just past the '=' of a key line.
  std::size_t ValueOffset = 0;
};

// The lines of `text`; a UTF-8 byte order mark before the first line is not part of it.
std::vector<TIniLine> SplitIniLines(std::string_view text);
TIniLineInfo ClassifyIniLine(std::string_view line);

// Section and key names compare without regard to case, in the program's code page.
std::string FoldIniName(std::string_view name);
bool SameIniName(std::string_view a, std::string_view b);

struct TIniValue {
  std::string Text;
  // The stored value was longer than kIniReadLimit and Text holds only its beginning.
  bool Cut = false;
};

// The value a reader sees for the raw text after '=': blanks (spaces and tabs) trimmed at both
// ends, then one pair of enclosing quotes (both '"' or both '\'') removed, then cut to
// kIniReadLimit. So a value that begins with a backslash keeps its start as written and is
// never unquoted.
TIniValue NormaliseIniValue(std::string_view raw);

// Whether `text` can be written as a section name, key or value at all: within the write limit
// and without a line break or a zero byte, which would split the line or end it early. Names
// must also be non-empty and must not hold what ends them: a key no '=' and no leading '[', a
// section no ']'.
bool IniValueWritable(std::string_view value);
bool IniKeyWritable(std::string_view key);
bool IniSectionWritable(std::string_view section);

// An ini file's text held for editing. Every line that an edit does not touch keeps its bytes,
// line break included; lines the edit writes end in CR LF.
class TIniText {
 public:
  explicit TIniText(std::string content) : FContent(std::move(content)) {}

  // Sets `key` in the first section named `section`: the key's first line there is rewritten
  // (keeping the key as it is spelled in the file), or a new line is added after the section's
  // last non-blank line, or the section is added at the end of the text. The names and the
  // value must be writable (see above).
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

  const std::string& Content() const { return FContent; }

 private:
  // Makes sure the line ending at `lineEnd` (with no break after it) is ended by CR LF.
  std::size_t EndLine(std::size_t lineEnd);

  std::string FContent;
};

}  // namespace fendrel

// The listing is made from the hunks alone: each holds its lines before and after together with
// the replaced stretches, and the text between two stretches is the same on both sides, so the
// changed lines of each group and the unchanged lines between groups can be told apart exactly.
#include "UnifiedDiff.h"

#include <cstdio>

namespace fendrel {
namespace {

bool AtLineStart(std::string_view text, std::size_t at) {
  return at == 0 || text[at - 1] == '\n';
}

std::size_t LineStartOf(std::string_view text, std::size_t at) {
  if (at == 0) return 0;
  const std::size_t lineBreak = text.rfind('\n', at - 1);
  return lineBreak == std::string_view::npos ? 0 : lineBreak + 1;
}

std::size_t LineEndFrom(std::string_view text, std::size_t at) {
  const std::size_t lineBreak = text.find('\n', at);
  return lineBreak == std::string_view::npos ? text.size() : lineBreak + 1;
}

// Each line of `lines` (whole lines) behind `prefix`.
void AppendLines(std::string& out, char prefix, std::string_view lines) {
  for (std::size_t pos = 0; pos < lines.size();) {
    const std::size_t end = LineEndFrom(lines, pos);
    out.push_back(prefix);
    out.append(lines.substr(pos, end - pos));
    if (lines[end - 1] != '\n') out.append("\n\\ No newline at end of file\n");
    pos = end;
  }
}

// An empty range names the line before it, as `patch` expects.
std::string Range(uint64_t line, uint64_t count) {
  return std::to_string(count == 0 ? line - 1 : line) + "," + std::to_string(count);
}

void AppendHunk(std::string& out, const THunk& hunk) {
  const std::string_view old = hunk.Old;
  const std::string_view now = hunk.New;
  out += "@@ -" + Range(hunk.OldLine, LineCount(old)) + " +" + Range(hunk.NewLine, LineCount(now)) +
         " @@\n";
  // The text since the group before (from oldAt, and its copy on the new side) reads the same on
  // both sides up to the next stretch, and begins a line on both.
  std::size_t oldAt = 0;
  for (std::size_t i = 0; i < hunk.OldMarks.size();) {
    const std::size_t oldBegin = LineStartOf(old, hunk.OldMarks[i].first);
    const std::size_t newBegin = LineStartOf(now, hunk.NewMarks[i].first);
    std::size_t oldEnd = hunk.OldMarks[i].second;
    std::size_t newEnd = hunk.NewMarks[i].second;
    ++i;
    // The group ends where both sides begin a line; until then the common text runs to the next
    // line break, taking in every stretch that begins before it.
    while (oldEnd < old.size() && !(AtLineStart(old, oldEnd) && AtLineStart(now, newEnd))) {
      const std::size_t lineEnd = LineEndFrom(old, oldEnd);
      if (i < hunk.OldMarks.size() && hunk.OldMarks[i].first < lineEnd) {
        oldEnd = hunk.OldMarks[i].second;
        newEnd = hunk.NewMarks[i].second;
        ++i;
      } else {
        newEnd += lineEnd - oldEnd;
        oldEnd = lineEnd;
      }
    }
    AppendLines(out, ' ', old.substr(oldAt, oldBegin - oldAt));
    AppendLines(out, '-', old.substr(oldBegin, oldEnd - oldBegin));
    AppendLines(out, '+', now.substr(newBegin, newEnd - newBegin));
    oldAt = oldEnd;
  }
  AppendLines(out, ' ', old.substr(oldAt));
}

std::string HeaderName(std::string_view name) {
  bool quoted = false;
  bool blank = false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    quoted = quoted || byte < 0x20 || byte == 0x7F || c == '"' || c == '\\';
    blank = blank || c == ' ';
  }
  // Unquoted, a name ends at a tab, or else at its first blank.
  if (!quoted) return blank ? std::string(name) + '\t' : std::string(name);
  std::string out = "\"";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (byte < 0x20 || byte == 0x7F) {
      char octal[5];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      out += octal;
    } else {
      out += c;
    }
  }
  return out + '"';
}

}  // namespace

std::string UnifiedDiff(std::string_view oldName, std::string_view newName, const THunks& hunks) {
  std::string out = "--- " + HeaderName(oldName) + "\n+++ " + HeaderName(newName) + "\n";
  for (const THunk& hunk : hunks.Hunks)
    AppendHunk(out, hunk);
  return out;
}

}  // namespace fendrel

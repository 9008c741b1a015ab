// One line of an ignore file (.gitignore, .ignore, the work tree's info/exclude) as a compiled
// pattern, and the reading of a whole file into such patterns. What the walk does with them
// (which files apply where, and in what precedence) is IgnoreRules.h's.
//
// A line is read as the format of those files documents: blank lines and lines beginning with
// '#' hold no pattern; "\#", "\!" and "\ " stand for the character itself; trailing spaces not
// escaped are dropped; a leading '!' makes the pattern re-include what it matches; a trailing '/'
// restricts it to folders. A pattern with a '/' at its start or in its middle is matched against
// the path below the ignore file's folder, any other against the name alone, at any depth. '*',
// '?' and '[...]' never match a '/'; "**/" at the start or "/**/" in the middle match any number
// of folders, "/**" at the end everything inside. Letters are compared as they are.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

class TIgnorePattern {
 public:
  // The pattern a line holds; nullopt for a blank line, a comment, or one that holds no pattern
  // once its marks are taken off ("!", "/").
  static std::optional<TIgnorePattern> Parse(std::string_view line);

  // Whether the pattern matches `path`, a '/'-separated path below the ignore file's folder
  // (the entry's name when it lies in that folder itself). `isFolder` says whether the entry is
  // one, for the patterns that end in '/'.
  bool Matches(std::string_view path, bool isFolder) const;

  // A pattern that matches re-includes (a line beginning with '!').
  bool Negated() const { return FNegated; }

 private:
  enum class TKind : uint8_t {
    Literal,     // FText of the token, as it is
    AnyChar,     // '?': one character other than '/'
    Class,       // '[...]': one character other than '/' in FSet
    Star,        // '*': any run of characters without '/'
    AnyPath,     // "**" at the end after a '/' (or alone): anything, '/' included
    AnyFolders,  // "**/" at the start or after a '/': nothing, or any path ending in '/'
  };
  struct TToken {
    explicit TToken(TKind kind) : Kind(kind) {}
    TKind Kind;
    std::string Text;             // Literal
    std::array<bool, 256> Set{};  // Class, indexed by the byte's value
  };

  // Turns the pattern's text into tokens; false when it can never match (an unclosed '[', an
  // unknown character class, a '\' with nothing after it).
  bool Compile(std::string_view glob);
  bool MatchesText(std::string_view text) const;

  std::vector<TToken> FTokens;
  bool FNegated = false;
  bool FFolderOnly = false;
  bool FAnchored = false;  // matched against the path below the folder, not the name
  bool FNever = false;     // a pattern the format cannot make sense of matches nothing
};

// The patterns of an ignore file's content in the file's order: lines end at LF (a CR before
// it is dropped) and a UTF-8 byte-order mark at the start is skipped.
std::vector<TIgnorePattern> ParseIgnoreText(std::string_view text);

// What the patterns of one file say about `path` (as for Matches): the last matching pattern
// decides. nullopt when none matches, else whether the path is ignored (false: re-included).
std::optional<bool> IgnoreVerdict(const std::vector<TIgnorePattern>& patterns,
                                  std::string_view path, bool isFolder);

}  // namespace fendrel

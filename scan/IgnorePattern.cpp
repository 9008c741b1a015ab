// The compiler of ignore-file patterns into a short token list, and their matcher: one pass
// over the tokens keeping every position of the text the tokens so far can reach, so a pattern
// with many '*' costs no more than its length times the text's and never backtracks.
#include "IgnorePattern.h"

#include <algorithm>
#include <cctype>

namespace fendrel {
namespace {

// The named classes a bracket expression may hold as "[:name:]", over ASCII alone whatever
// the locale, so a file means the same on every machine.
bool InNamedClass(std::string_view name, unsigned char c, bool& known) {
  static constexpr std::string_view kNames[] = {"alnum", "alpha", "blank", "cntrl",
                                                "digit", "graph", "lower", "print",
                                                "punct", "space", "upper", "xdigit"};
  known = std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
  if (!known || c >= 128) return false;
  if (name == "alnum") return std::isalnum(c) != 0;
  if (name == "alpha") return std::isalpha(c) != 0;
  if (name == "blank") return c == ' ' || c == '\t';
  if (name == "cntrl") return std::iscntrl(c) != 0;
  if (name == "digit") return std::isdigit(c) != 0;
  if (name == "graph") return std::isgraph(c) != 0;
  if (name == "lower") return std::islower(c) != 0;
  if (name == "print") return std::isprint(c) != 0;
  if (name == "punct") return std::ispunct(c) != 0;
  if (name == "space") return std::isspace(c) != 0;
  if (name == "upper") return std::isupper(c) != 0;
  return std::isxdigit(c) != 0;
}

// Reads one member character of a bracket expression at `pos` ('\' takes the next one as it
// is); false at the end of the pattern.
bool ReadMember(std::string_view glob, std::size_t& pos, unsigned char& c) {
  if (glob[pos] == '\\') ++pos;
  if (pos >= glob.size()) return false;
  c = static_cast<unsigned char>(glob[pos++]);
  return true;
}

// Reads the bracket expression whose '[' lies just before `pos` into `set`, leaving `pos` after
// its ']'; false when it never closes or names an unknown class.
bool ReadClass(std::string_view glob, std::size_t& pos, std::array<bool, 256>& set) {
  bool negate = false;
  if (pos < glob.size() && (glob[pos] == '!' || glob[pos] == '^')) {
    negate = true;
    ++pos;
  }
  // A ']' right after the opening (and its '!') is a member, not the end.
  for (bool first = true;; first = false) {
    if (pos >= glob.size()) return false;
    if (glob[pos] == ']' && !first) {
      ++pos;
      break;
    }
    if (glob.substr(pos, 2) == "[:") {
      const std::size_t close = glob.find(']', pos + 2);
      if (close == std::string_view::npos) return false;
      if (close > pos + 2 && glob[close - 1] == ':') {
        const std::string_view name = glob.substr(pos + 2, close - pos - 3);
        bool known = true;
        for (int c = 0; c < 256 && known; ++c) {
          if (InNamedClass(name, static_cast<unsigned char>(c), known)) set[c] = true;
        }
        if (!known) return false;
        pos = close + 1;
        continue;
      }
      // No ":]" before the ']': the '[' is an ordinary member.
    }
    unsigned char low;
    if (!ReadMember(glob, pos, low)) return false;
    unsigned char high = low;
    if (pos + 1 < glob.size() && glob[pos] == '-' && glob[pos + 1] != ']') {
      ++pos;
      if (!ReadMember(glob, pos, high)) return false;
    }
    for (int c = low; c <= high; ++c)
      set[c] = true;
  }
  if (negate) {
    for (bool& member : set)
      member = !member;
  }
  set['/'] = false;
  return true;
}

// The positions the tokens can reach are kept in two rows of flags; texts up to this length
// (every ordinary name and most paths) keep them on the stack.
constexpr std::size_t kShortText = 256;

}  // namespace

std::optional<TIgnorePattern> TIgnorePattern::Parse(std::string_view line) {
  if (line.empty() || line.front() == '#') return std::nullopt;
  // Trailing spaces go unless a '\' keeps them; an escaped character always stays.
  std::size_t keep = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size())
      keep = ++i + 1;
    else if (line[i] != ' ')
      keep = i + 1;
  }
  line = line.substr(0, keep);

  TIgnorePattern pattern;
  if (!line.empty() && line.front() == '!') {
    pattern.FNegated = true;
    line.remove_prefix(1);
  }
  if (!line.empty() && line.back() == '/') {
    pattern.FFolderOnly = true;
    line.remove_suffix(1);
  }
  // Decided before the leading '/' goes: "/name" and "a/b" are both tied to the folder.
  pattern.FAnchored = line.find('/') != std::string_view::npos;
  if (!line.empty() && line.front() == '/') line.remove_prefix(1);
  if (line.empty()) return std::nullopt;
  pattern.FNever = !pattern.Compile(line);
  return pattern;
}

bool TIgnorePattern::Compile(std::string_view glob) {
  const auto appendLiteral = [this](char c) {
    if (FTokens.empty() || FTokens.back().Kind != TKind::Literal)
      FTokens.emplace_back(TKind::Literal);
    FTokens.back().Text.push_back(c);
  };
  std::size_t pos = 0;
  while (pos < glob.size()) {
    const char c = glob[pos];
    if (c == '*') {
      const std::size_t start = pos;
      while (pos < glob.size() && glob[pos] == '*')
        ++pos;
      // Two or more stars are special only as a whole path segment; elsewhere they are one.
      const bool segmentStart = start == 0 || glob[start - 1] == '/';
      if (pos - start >= 2 && segmentStart && pos == glob.size()) {
        FTokens.emplace_back(TKind::AnyPath);
      } else if (pos - start >= 2 && segmentStart && glob[pos] == '/') {
        FTokens.emplace_back(TKind::AnyFolders);
        ++pos;
      } else {
        FTokens.emplace_back(TKind::Star);
      }
    } else if (c == '?') {
      FTokens.emplace_back(TKind::AnyChar);
      ++pos;
    } else if (c == '[') {
      TToken token(TKind::Class);
      ++pos;
      if (!ReadClass(glob, pos, token.Set)) return false;
      FTokens.push_back(std::move(token));
    } else if (c == '\\') {
      if (pos + 1 >= glob.size()) return false;
      appendLiteral(glob[pos + 1]);
      pos += 2;
    } else {
      appendLiteral(c);
      ++pos;
    }
  }
  return true;
}

bool TIgnorePattern::Matches(std::string_view path, bool isFolder) const {
  if (FNever || (FFolderOnly && !isFolder)) return false;
  if (!FAnchored) {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  }
  return MatchesText(path);
}

bool TIgnorePattern::MatchesText(std::string_view text) const {
  // The shapes most lines have ("name", "*.ext", "prefix*") need no table.
  if (FTokens.size() == 1 && FTokens[0].Kind == TKind::Literal) return text == FTokens[0].Text;
  if (FTokens.size() == 2 && FTokens[0].Kind == TKind::Star && FTokens[1].Kind == TKind::Literal)
    return text.ends_with(FTokens[1].Text) &&
           text.substr(0, text.size() - FTokens[1].Text.size()).find('/') == std::string_view::npos;
  if (FTokens.size() == 2 && FTokens[0].Kind == TKind::Literal && FTokens[1].Kind == TKind::Star)
    return text.starts_with(FTokens[0].Text) &&
           text.find('/', FTokens[0].Text.size()) == std::string_view::npos;

  const std::size_t n = text.size();
  std::array<char, 2 * (kShortText + 1)> shortRows;
  std::vector<char> longRows;
  char* rows = shortRows.data();
  if (n > kShortText) {
    longRows.resize(2 * (n + 1));
    rows = longRows.data();
  }
  // reached[i]: the tokens so far can match text[0, i).
  char* reached = rows;
  char* next = rows + n + 1;
  std::fill(reached, reached + n + 1, 0);
  reached[0] = 1;
  for (const TToken& token : FTokens) {
    std::fill(next, next + n + 1, 0);
    bool seen = false;  // some position before the current one was reached
    for (std::size_t i = 0; i <= n; ++i) {
      const bool here = reached[i] != 0;
      const bool inText = i < n;
      const unsigned char c = inText ? static_cast<unsigned char>(text[i]) : 0;
      switch (token.Kind) {
        case TKind::Literal:
          if (here && text.substr(i).starts_with(token.Text)) next[i + token.Text.size()] = 1;
          break;
        case TKind::AnyChar:
          if (here && inText && c != '/') next[i + 1] = 1;
          break;
        case TKind::Class:
          if (here && inText && token.Set[c]) next[i + 1] = 1;
          break;
        case TKind::Star:
          next[i] = here || (i > 0 && next[i - 1] != 0 && text[i - 1] != '/');
          break;
        case TKind::AnyPath:
          next[i] = here || seen;
          break;
        case TKind::AnyFolders:
          next[i] = here || (seen && text[i - 1] == '/');
          break;
      }
      seen = seen || here;
    }
    std::swap(reached, next);
    if (std::find(reached, reached + n + 1, 1) == reached + n + 1) return false;
  }
  return reached[n] != 0;
}

std::vector<TIgnorePattern> ParseIgnoreText(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<TIgnorePattern> patterns;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (auto pattern = TIgnorePattern::Parse(line)) patterns.push_back(std::move(*pattern));
  }
  return patterns;
}

std::optional<bool> IgnoreVerdict(const std::vector<TIgnorePattern>& patterns,
                                  std::string_view path, bool isFolder) {
  for (auto pattern = patterns.rbegin(); pattern != patterns.rend(); ++pattern) {
    if (pattern->Matches(path, isFolder)) return !pattern->Negated();
  }
  return std::nullopt;
}

}  // namespace fendrel

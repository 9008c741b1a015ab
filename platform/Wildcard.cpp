// The file-name mask. Matching keeps one backtrack point (the last '*' seen), so a mask with many
// stars costs at most name length times mask length, never an exponential search.
#include "Wildcard.h"

#include <string>

#include "CodePage.h"

namespace fendrel {

namespace {

bool MatchesPattern(std::string_view name, std::string_view mask) {
  const auto& upper = ActiveCaseMap().Upper;
  auto same = [&upper](char a, char b) {
    return upper[static_cast<unsigned char>(a)] == upper[static_cast<unsigned char>(b)];
  };

  constexpr std::size_t kNoStar = std::string_view::npos;
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t starM = kNoStar;  // mask position just after the last '*'
  std::size_t starN = 0;        // name position that star currently stops before
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starM = ++m;
      starN = n;
    } else if (m < mask.size() && (mask[m] == '?' || same(mask[m], name[n]))) {
      ++m;
      ++n;
    } else if (starM != kNoStar) {
      // The last star swallows one more byte; earlier stars never need to change, since any
      // match found with a longer earlier run is also found with this one.
      m = starM;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

bool MatchesOneMask(std::string_view name, std::string_view mask) {
  // A mask ending in ".*" was written for names with an extension but also lists names without
  // one: "*.*" lists every file, "report.*" also lists "report".
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos &&
      MatchesPattern(name, mask.substr(0, mask.size() - 2)))
    return true;
  return MatchesPattern(name, mask);
}

// Whether `name` matches one of the masks `mask` stands for: one per alternative of its first
// brace group, put in the group's place, and so on for the later groups. A brace without its
// closing one, or a group without a comma, stands for itself.
bool MatchesBraces(std::string_view name, std::string_view mask) {
  const std::size_t open = mask.find('{');
  const std::size_t close = open == std::string_view::npos ? open : mask.find('}', open);
  if (close == std::string_view::npos ||
      mask.substr(open, close - open).find(',') == std::string_view::npos)
    return MatchesOneMask(name, mask);
  const std::string_view before = mask.substr(0, open), after = mask.substr(close + 1);
  for (std::size_t at = open + 1; at <= close;) {
    std::size_t comma = mask.find(',', at);
    if (comma == std::string_view::npos || comma > close) comma = close;
    std::string each(before);
    each += mask.substr(at, comma - at);
    each += after;
    // Later groups are expanded in turn.
    if (MatchesBraces(name, each)) return true;
    at = comma + 1;
  }
  return false;
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask.find_first_of(";{") == std::string_view::npos) return MatchesOneMask(name, mask);
  for (std::size_t at = 0; at <= mask.size();) {
    std::size_t end = mask.find(';', at);
    if (end == std::string_view::npos) end = mask.size();
    const std::string_view one = mask.substr(at, end - at);
    if (!one.empty() && MatchesBraces(name, one)) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace fendrel

// The file-name mask. Matching keeps one backtrack point (the last '*' seen), so a mask with many
// stars costs at most name length times mask length, never an exponential search.
#include "Wildcard.h"

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

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
  // A mask ending in ".*" was written for names with an extension but also lists names without
  // one: "*.*" lists every file, "report.*" also lists "report".
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos &&
      MatchesPattern(name, mask.substr(0, mask.size() - 2)))
    return true;
  return MatchesPattern(name, mask);
}

}  // namespace fendrel

// Compares Fendrel's engine with an independent, widely used engine over every small pattern of
// a grammar both understand, on a set of short subjects: the first match and its groups must be
// the same. Our defaults map onto the other engine as dot-all, '$' only at the very end, and
// greedy repetition.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <gtest/gtest.h>
#include <pcre2.h>

#include <random>

#include "regexpr/RegExpr.h"

namespace fendrel {
namespace {

// Small patterns over a and b: literals, '.', classes, groups, alternation, quantifiers greedy
// and lazy, braces, anchors. Patterns whose groups could repeat empty are left out: which
// captures an empty iteration leaves is a matter of taste between engines.
std::string RandomPattern(std::mt19937& random, int depth) {
  static const char* const kAtoms[] = {"a", "b", ".", "[ab]", "[^a]", "ab", "\\w", "\\d"};
  static const char* const kQuantifiers[] = {"",   "",   "*",   "+",     "?",     "*?",
                                             "+?", "??", "{2}", "{1,2}", "{0,2}?"};
  std::string pattern;
  const int pieces = 1 + static_cast<int>(random() % 3);
  for (int i = 0; i < pieces; ++i) {
    std::string atom;
    if (depth < 2 && random() % 4 == 0) {
      atom = "(" + RandomPattern(random, depth + 1);
      if (random() % 2 == 0) atom += "|" + RandomPattern(random, depth + 1);
      atom += ")";
    } else {
      atom = kAtoms[random() % std::size(kAtoms)];
      if (atom == "ab") {  // a run of two: a quantifier would take only the b
        pattern += atom;
        continue;
      }
    }
    pattern += atom + kQuantifiers[random() % std::size(kQuantifiers)];
  }
  if (depth == 0 && random() % 5 == 0) pattern = "^" + pattern;
  if (depth == 0 && random() % 5 == 0) pattern += "$";
  return pattern;
}

struct TResult {
  bool Found = false;
  std::vector<std::pair<int64_t, int64_t>> Groups;  // start, end (-1, -1 unset)
  bool operator==(const TResult&) const = default;
};

bool OtherEngine(const std::string& pattern, const std::string& subject, TResult& result) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.c_str()), pattern.size(),
                                   PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY, &error, &offset, nullptr);
  if (code == nullptr) return false;
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
  const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.c_str()), subject.size(), 0,
                             0, data, nullptr);
  result.Found = rc > 0;
  if (result.Found) {
    uint32_t count = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &count);
    const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
    for (uint32_t g = 0; g <= count; ++g) {
      if (static_cast<int>(g) < rc && vector[2 * g] != PCRE2_UNSET)
        result.Groups.emplace_back(vector[2 * g], vector[2 * g + 1]);
      else
        result.Groups.emplace_back(-1, -1);
    }
  }
  pcre2_match_data_free(data);
  pcre2_code_free(code);
  return true;
}

TResult OurEngine(TRegExpr& regExpr, const std::string& subject, std::size_t groups) {
  TResult result;
  result.Found = regExpr.Exec(subject);
  if (!result.Found) return result;
  for (std::size_t g = 0; g < groups; ++g) {
    const int32_t offset = regExpr.MatchOffset(static_cast<int>(g));
    if (offset < 0)
      result.Groups.emplace_back(-1, -1);
    else
      result.Groups.emplace_back(offset - 1, offset - 1 + regExpr.MatchLength(static_cast<int>(g)));
  }
  return result;
}

TEST(Differential, FirstMatchAndGroupsAgreeWithAnIndependentEngine) {
  std::mt19937 random(7);
  const std::string subjects[] = {"",     "a",    "b",   "ab",   "ba",   "aab",
                                  "abab", "bbaa", "a1b", "abba", "aaaa", "b2a"};
  int compared = 0, rejected = 0;
  for (int round = 0; round < 5000; ++round) {
    const std::string pattern = RandomPattern(random, 0);
    TRegExpr regExpr;
    regExpr.SetExpression(pattern);
    try {
      regExpr.Compile();
    } catch (const ERegExpr&) {
      ++rejected;  // e.g. a quantified group that can match empty
      continue;
    }
    for (const std::string& subject : subjects) {
      TResult theirs;
      if (!OtherEngine(pattern, subject, theirs)) break;
      TResult ours;
      try {
        ours = OurEngine(regExpr, subject, theirs.Groups.size());
      } catch (const ERegExpr& e) {
        FAIL() << e.what() << ": pattern " << pattern << " subject " << subject;
      }
      ++compared;
      ASSERT_EQ(ours.Found, theirs.Found) << "pattern " << pattern << " subject " << subject;
      for (std::size_t g = 0; g < theirs.Groups.size(); ++g) {
        ASSERT_EQ(ours.Groups[g], theirs.Groups[g])
            << "group " << g << " of pattern " << pattern << " subject " << subject;
      }
    }
  }
  std::printf("compared %d pattern/subject pairs, %d patterns refused by our compiler\n", compared,
              rejected);
  EXPECT_GT(compared, 20000);
}

}  // namespace
}  // namespace fendrel

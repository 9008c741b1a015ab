// The thread matcher against the backtracker on the cases where the order of ways and the groups
// of loops are easy to get wrong: the first match from every start offset and all its groups
// must be the same. (Random patterns of every grammar: AgreementTest.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "regexpr/RegExpr.h"
#include "regexpr/RegExprThreadMatcher.h"

namespace fendrel {
namespace {

std::string Visible(std::string_view text) {
  std::string out;
  for (char c : text)
    out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
  return "\"" + out + "\"";
}

struct TOutcome {
  bool Found = false;
  int64_t Starts[kREGroupCount], Ends[kREGroupCount];
  bool operator==(const TOutcome& other) const {
    if (Found != other.Found) return false;
    if (!Found) return true;
    for (int g = 0; g < kREGroupCount; ++g)
      if (Starts[g] != other.Starts[g] || Ends[g] != other.Ends[g]) return false;
    return true;
  }
};

std::ostream& operator<<(std::ostream& out, const TOutcome& outcome) {
  if (!outcome.Found) return out << " no match";
  for (int g = 0; g < kREGroupCount; ++g)
    if (outcome.Starts[g] >= 0 || outcome.Ends[g] >= 0)
      out << " " << g << ":(" << outcome.Starts[g] << "," << outcome.Ends[g] << ")";
  return out;
}

// The backtracker's answer through the public interface; a group left unset reads
// as (-1, -1).
TOutcome Backtracker(TRegExpr& regExpr, int64_t offset) {
  TOutcome outcome;
  outcome.Found = regExpr.ExecPos(static_cast<int32_t>(offset + 1));
  for (int g = 0; g < kREGroupCount; ++g) {
    const int32_t at = regExpr.MatchOffset(g);
    outcome.Starts[g] = at < 0 ? -1 : at - 1;
    outcome.Ends[g] = at < 0 ? -1 : at - 1 + regExpr.MatchLength(g);
  }
  return outcome;
}

TOutcome ThreadMatcher(TThreadMatcher& matcher, const std::string& subject, int64_t offset) {
  TOutcome outcome;
  outcome.Found = matcher.Search(subject, offset, false, outcome.Starts, outcome.Ends);
  for (int g = 0; g < kREGroupCount; ++g) {
    // As the engine reports them: a group with only one end set is unset.
    if (!outcome.Found || outcome.Starts[g] < 0 || outcome.Ends[g] < 0)
      outcome.Starts[g] = outcome.Ends[g] = -1;
  }
  return outcome;
}

struct TTally {
  int Compiled = 0, Accepted = 0, Pairs = 0, Errors = 0, Differences = 0;
};

// Compares the two at every start offset of every subject; false when the threads cannot run
// the program.
bool Compare(const std::string& pattern, const std::string& modifiers,
             const std::vector<std::string>& subjects, TTally& tally) {
  TRegExpr regExpr;
  regExpr.MatcherChoice = TRegExpr::TMatcherChoice::Backtracker;
  regExpr.SetModifierStr(modifiers);
  regExpr.SetExpression(pattern);
  regExpr.Compile();
  ++tally.Compiled;
  TThreadSettings settings;
  if (!ThreadSettingsOf(regExpr, settings) || !ThreadsCanRun(regExpr.Program())) return false;
  ++tally.Accepted;
  TThreadMatcher matcher(regExpr.Program(), settings);
  for (const std::string& subject : subjects) {
    regExpr.SetInputString(subject);
    for (int64_t offset = 0; offset <= static_cast<int64_t>(subject.size()); ++offset) {
      TOutcome theirs;
      try {
        theirs = Backtracker(regExpr, offset);
      } catch (const ERegExpr&) {
        ++tally.Errors;  // the backtracker gave up: nothing to compare
        continue;
      }
      const TOutcome ours = ThreadMatcher(matcher, subject, offset);
      ++tally.Pairs;
      if (ours == theirs) continue;
      if (++tally.Differences <= 10)
        ADD_FAILURE() << "pattern " << pattern << " modifiers '" << modifiers << "' subject "
                      << Visible(subject) << " from " << offset << ": thread matcher" << ours
                      << ", backtracker" << theirs;
    }
  }
  return true;
}

struct TCase {
  const char* Pattern;
  const char* Modifiers;
  std::vector<std::string> Subjects;
};

// Where the order of ways and the groups of loops are easy to get wrong.
const TCase kTrickyCases[] = {
    {"(a|)b", "", {"ab", "b"}},  // an empty alternative, first and last
    {"(|a)b{2}", "", {"abb", "bb"}},
    {"(a{0,1})*b", "", {"aab", "b", "ac", ""}},  // iterations that may be empty
    {"(a{0,1}|b)*c", "", {"abc", "c", "ab"}},
    {"(a{0,1})+?b", "", {"aab", "b"}},
    {"(a{0,2})*b", "", {"aab", "b", "x"}},
    {"(a{0,2})+b", "", {"aab", "b"}},
    {"(a{0,2}?)*?b", "", {"aab", "b"}},
    {"((a)|b)*", "", {"ab", "ba", "abab"}},  // group 2 kept from an earlier turn
    {"((a)|b)*c", "", {"abc", "babc"}},
    {"(a)?(b(a)?)*", "", {"abab", "ba"}},       // group 3 not taken in the last turn
    {"((a)|(b))*?c", "", {"abc", "bac", "c"}},  // lazy complex loop
    {"((a)|(b))+", "", {"ab", "ba", "aab"}},
    {"(a|ab)(c|bcd)(d*)", "", {"abcd", "abcdd"}},  // leftmost-first, not longest
    {"(a+|b+)*c", "", {"aabbc", "abab"}},
    {"(ab|a)*?b", "", {"abab", "aab"}},
    {"(a{0,2}b){2,3}", "", {"abbaab", "bbbb"}},  // complex loop with finite bounds
    {"(a|b){2}?c", "", {"abc", "ac"}},
    {"(a|(b{0,1})){3}c", "", {"ac", "c", "bc"}},  // empty iterations under a finite maximum
    {"(\\ba{0,1}|a)+?x", "", {"ax", "x", "a x"}},
    {"(^a{0,1}|a)+$", "m", {"a\na", "\r\n", "aa"}},
    {"(a$|b)+", "m", {"ba\r\nb", "ab\nb"}},
    {"x*", "", {"", "xx", "ax"}},
    {"a{2,}?", "", {"aaaa"}},
    {"[ab]{1,3}?b", "", {"aaab", "bbbb"}},
    {"(?i)(A|b)+", "", {"aBAb"}},
    {"(.)*", "-s", {"ab\r\nc"}},
    {"(a|b|c{0,1})+c", "", {"abc", "c", "ab"}},
    {"((a{0,1})(b{0,1}))*c", "", {"abc", "bac", "c"}},
};

TEST(ThreadMatcher, AgreesWithTheBacktrackerOnTrickyCases) {
  TTally tally;
  for (const TCase& c : kTrickyCases) {
    SCOPED_TRACE(c.Pattern);
    try {
      EXPECT_TRUE(Compare(c.Pattern, c.Modifiers, c.Subjects, tally)) << "not accepted";
    } catch (const ERegExpr& e) {
      ADD_FAILURE() << e.what();
    }
  }
  EXPECT_EQ(tally.Differences, 0);
  EXPECT_EQ(tally.Errors, 0);
}

TEST(ThreadMatcher, RefusesWhatItCannotRunExactly) {
  struct TRefusal {
    const char* Pattern;
    bool Accepted;
  };
  const TRefusal kRefusals[] = {
      {"(a)\\1", false},        // the future depends on the text a group took
      {"(a)b*\\1", false},      //
      {"a{0,5000}", false},     // too many counts to keep apart
      {"(ab){2,5000}", false},  //
      {"(ab){2,500}", true},    //
      {"a{3,}b*?", true},       //
      {"(a|b)*c|x", true},
      {"(((((((((((a)+?)+?)+?)+?)+?)+?)+?)+?)+?)+?)+?", false},  // deeper than the loop stack
      {"(a)+?(b)+?(c)+?(d)+?(e)+?(f)+?(g)+?(h)+?(i)+?(j)+?(k)+?", true},  // one after another //
  };
  for (const TRefusal& r : kRefusals) {
    TRegExpr regExpr;
    regExpr.SetExpression(r.Pattern);
    regExpr.Compile();
    EXPECT_EQ(ThreadsCanRun(regExpr.Program()), r.Accepted) << r.Pattern;
  }
  EXPECT_FALSE(ThreadsCanRun(""));
  EXPECT_FALSE(ThreadsCanRun("\x01\x00\x00\x00\x00\x00"));  // no magic byte
}

// Where the backtracker runs out of steps or memory, the thread matcher answers, and the states
// it keeps do not grow with the subject.
TEST(ThreadMatcher, AnswersInLinearTimeAndBoundedMemory) {
  struct TLong {
    const char* Pattern;
    std::string Subject;
    int64_t Start, End;  // of the match expected, or -1
  };
  std::string alternating;
  for (int i = 0; i < 700; ++i)
    alternating += "ab";
  std::string repeated;
  for (int i = 0; i < 1'500'000; ++i)
    repeated += "ab";
  const TLong kLong[] = {
      {"(a|b)*c|x", alternating + "x", 1400, 1401},
      {"(a|b)*c|x", alternating, -1, -1},
      {"(ab)*a", repeated, 0, 3'000'000 - 1},
      {"(ab)*a", repeated + "a", 0, 3'000'001},
  };
  for (const TLong& l : kLong) {
    TRegExpr regExpr;
    regExpr.SetExpression(l.Pattern);
    TThreadSettings settings;
    ASSERT_TRUE(ThreadSettingsOf(regExpr, settings));
    ASSERT_TRUE(ThreadsCanRun(regExpr.Program()));
    TThreadMatcher matcher(regExpr.Program(), settings);
    int64_t starts[kREGroupCount], ends[kREGroupCount];
    const bool found = matcher.Search(l.Subject.substr(0, 64), 0, false, starts, ends);
    (void)found;
    const std::size_t statesShort = matcher.StatesKnown();
    EXPECT_EQ(matcher.Search(l.Subject, 0, false, starts, ends), l.Start >= 0) << l.Pattern;
    if (l.Start >= 0) {
      EXPECT_EQ(starts[0], l.Start) << l.Pattern;
      EXPECT_EQ(ends[0], l.End) << l.Pattern;
    }
    EXPECT_LE(matcher.StatesKnown(), statesShort + 8) << l.Pattern;
  }
}

}  // namespace
}  // namespace fendrel

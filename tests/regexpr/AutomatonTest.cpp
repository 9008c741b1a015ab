// The automaton and the thread matcher against the backtracker: the same matches, groups included, over a search chain,
// under the settings that change what a character means to it; and its memory bound.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "regexpr/RegExpr.h"
#include "regexpr/RegExprAutomaton.h"
#include "regexpr/RegExprThreadMatcher.h"

namespace fendrel {
namespace {

using TChoice = TRegExpr::TMatcherChoice;

// Every match of a search chain with every group, as "start,end" pairs per match.
std::vector<std::string> Chain(TRegExpr& regExpr, const std::string& subject, TChoice choice) {
  regExpr.MatcherChoice = choice;
  std::vector<std::string> matches;
  regExpr.SetInputString(subject);
  for (bool found = regExpr.ExecPos(1); found && matches.size() < 100; found = regExpr.ExecNext()) {
    std::string groups;
    for (int g = 0; g < kREGroupCount; ++g)
      groups += std::to_string(regExpr.MatchOffset(g)) + "," +
                std::to_string(regExpr.MatchLength(g)) + " ";
    matches.push_back(groups);
  }
  return matches;
}

TEST(Automaton, FindsWhatTheBacktrackerFinds) {
  struct TCase {
    const char* Pattern;
    std::string Subject;
    const char* LineBreaks = "\r\n";
    const char* Pair = "\r\n";
    const char* Modifiers = "";
    bool Utf8 = false;
  };
  // UTF-8 text: ASCII runs longer than the 32 places looked at a time, letters of two, three and
  // four bytes, a lone CR, a broken sequence.
  const std::string mixed =
      "0123456789abcdefghij0123456789abcdefghij\xC3\xA9\xD0\xB6\xE2\x82\xAC\xF0\x9F\x98\x80x\r"
      "y\r\n\xC3(z0123456789abcdefghij0123456789abcdefghij\xC3\xA9";
  const std::string longRun(70'000, 'a');  // longer than the cursors the automaton remembers
  const TCase kCases[] = {
      // The paired separator is one symbol only when its tail follows.
      {"(?m)^.*$", "ab\r\ncd\r\re\n\r"},
      {"(?m)\\r$|^\\n", "a\r\nb\r"},
      {".+", "x\r\ry\r\nz"},
      {"(?m)$", "\r\n\r\n"},
      {"(?m)^(.)", "a;b;;c", ";", ""},
      {"(?m)^(.)", "a;:b;:c", ";:", ";:"},
      // Lines longer than the 16 places a line's end is looked for at a time; a lone head of
      // the pair that is no break of its own stays inside the line.
      {"(?-s).*", "0123456789abcdefghij\r0123456789abcdefghij\r\nxyz\n\n0123456789abcdefg", "\n"},
      {"(?-s).+", "0123456789abcdef;0123456789abcdef;:;", ";", ";:"},
      {"[a-z]*", "abcdefghijklmnopqrstuvwxyz0abc"},
      {"(?-s).*", mixed, "\n", "\r\n", "", true},
      {"(?-s).+", mixed, "\r\n", "", "", true},
      {"(?s).*", mixed, "\r\n", "\r\n", "", true},
      {"(?-s).+(\xC3\xA9|x)", mixed, "\n", "\r\n", "", true},
      {"(?-s)(.+)\\w\\b", mixed, "\n", "\r\n", "", true},
      {"(?-s).+x", "x\nxx\xC3\xA9x", "\n", "\r\n", "", true},
      // Letters of two bytes told by their bits: members and their neighbours that are none.
      {"[а-яё]+", "жукЖУК яѐёЁюѠ éü ж", "\r\n", "\r\n", "", true},
      {"\\w+", "Straße Ωmega ǅ ж1_ §x ߀߁ ߺ", "\r\n", "\r\n", "", true},
      // Starts found back through the threads, near and far.
      {"(\\w+)\\s+Holmes", "Mr  Sherlock   Holmes, Holmes and  Holmes"},
      {"a+b", longRun + "b"},
      {"(a|b)*c", longRun + "bc"},
      {"(\\w+)\\s+(\\w+)$", longRun + " " + longRun},
      // Literal and single-character starts skipped to; empty and anchored matches.
      {"Holmes(\\w*)", "Holmes Holmesian holmes"},
      {"x(y|z)*", "axyzxzzq"},
      {"x*", "axxb"},
      {"\\b", "ab cd"},
      {"^ab|b", "abab"},
      {"(?i)sherlock|holmes", "SHERLOCK Holmes"},
      {"(ab)*a", "abababa"},
      {"(a|ab)(c|bcd)(d*)", "abcd"},
      {"(a+?)(a*)", "aaa"},
      {"(?-g)(a+)(a*)", "aaa"},
  };
  for (const TCase& c : kCases) {
    TRegExpr regExpr;
    regExpr.Utf8 = c.Utf8;
    regExpr.LineBreakChars = c.LineBreaks;
    regExpr.SetLinePairedSeparator(c.Pair);
    regExpr.SetModifierStr(c.Modifiers);
    regExpr.SetExpression(c.Pattern);
    const auto theirs = Chain(regExpr, c.Subject, TChoice::Backtracker);
    EXPECT_EQ(Chain(regExpr, c.Subject, TChoice::Automatic), theirs) << c.Pattern;
    EXPECT_EQ(Chain(regExpr, c.Subject, TChoice::ThreadMatcher), theirs) << c.Pattern;
    regExpr.MatcherChoice = TChoice::Automatic;
    ASSERT_TRUE(regExpr.Exec(c.Subject) || theirs.empty()) << c.Pattern;
    if (!theirs.empty()) {  // the groups a template asks for are found after the match
      EXPECT_EQ(regExpr.ExpandTemplate("$1"),
                regExpr.MatchOffset(1) < 0
                    ? ""
                    : c.Subject.substr(regExpr.MatchOffset(1) - 1, regExpr.MatchLength(1)))
          << c.Pattern;
    }
  }
}

// The groups of a match the automaton found are worked out when first asked for: a change of
// the program or of its settings before that still gives the groups of that match.
TEST(Automaton, GroupsAskedForLaterBelongToTheirMatch) {
  const std::string subject = std::string(200'000, 'a') + "c";
  const std::function<void(TRegExpr&)> kChanges[] = {
      [](TRegExpr& re) { re.SetExpression("x(y)"); },
      [](TRegExpr& re) { re.SetModifierStr("i"); },
      [](TRegExpr& re) {
        re.LineBreakChars = "\n";
        EXPECT_EQ(re.ExpandTemplate("$1"), "a");
      },
  };
  for (const auto& change : kChanges) {
    TRegExpr regExpr;
    regExpr.SetExpression("(a|b)*c");
    ASSERT_TRUE(regExpr.Exec(subject));
    change(regExpr);
    EXPECT_EQ(regExpr.MatchOffset(1), static_cast<int32_t>(subject.size()) - 1);
    EXPECT_EQ(regExpr.MatchLength(1), 1);
  }
}

// Eight characters back decide, so the program has 512 states: a text that goes through them
// in turn stays within a memory bound by forgetting states, a random text makes a state nearly
// every character and is given up.
TEST(Automaton, StaysWithinItsMemoryAndGivesUpWhenStatesNeverRepeat) {
  TRegExpr regExpr;
  regExpr.SetExpression("a[ab]{8}c");
  TThreadSettings settings;
  ASSERT_TRUE(ThreadSettingsOf(regExpr, settings));
  std::string phases, random;
  for (int period = 3; period <= 5; ++period)
    for (int bits = 0; bits < (1 << period); ++bits)
      for (int i = 0; i < 3000; ++i)
        phases += (bits >> (i % period)) & 1 ? 'a' : 'b';
  std::mt19937 generator(7);
  for (int i = 0; i < 200'000; ++i)
    random += "ab"[generator() % 2];
  const std::string end = "abbbbbbbbc";

  struct TBound {
    const std::string& Subject;
    std::size_t Bytes;
    TAutomaton::TOutcome Outcome;
    bool Resets;
  };
  const TBound kBounds[] = {
      {phases, 8u << 20, TAutomaton::TOutcome::Found, false},
      {phases, 64u << 10, TAutomaton::TOutcome::Found, true},
      {random, 64u << 10, TAutomaton::TOutcome::GaveUp, false},
  };
  for (const TBound& b : kBounds) {
    const std::string subject = b.Subject + end;
    TAutomaton automaton(regExpr.Program(), settings, {}, b.Bytes);
    int64_t start = -1, finish = -1;
    EXPECT_EQ(automaton.Search(subject, 0, false, start, finish), b.Outcome) << b.Bytes;
    EXPECT_EQ(automaton.Resets() > 0, b.Resets) << b.Bytes;
    if (b.Outcome != TAutomaton::TOutcome::Found) continue;
    EXPECT_EQ(start, static_cast<int64_t>(b.Subject.size()));
    EXPECT_EQ(finish, static_cast<int64_t>(subject.size()));
  }
}

}  // namespace
}  // namespace fendrel

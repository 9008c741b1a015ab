// Searching with compiled programs: positions of matches and groups, the search strategies, the
// execution errors, and the limits that keep every search finite.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <random>
#include <vector>

#include "regexpr/RegExpr.h"
#include "regexpr/RegExprLiteralFinder.h"

namespace fendrel {
namespace {

struct TFind {
  const char* Pattern;
  std::string Subject;
  int32_t Offset, Length;                        // of the whole match; offset -1 for no match
  int32_t Group1Offset = -2, Group1Length = -2;  // -2: not checked
  bool Utf8 = false;
};

TEST(Matcher, FirstMatchAndGroups) {
  const TFind cases[] = {
      {"b+", "abbbc", 2, 3},
      {"a*ab", "aaab", 1, 4},
      {"a*?a", "aaa", 1, 1},
      {"x*", "abc", 1, 0},
      {"Holmes", "Sherlock Holmes", 10, 6},
      // A match's leading literal is found by its rarest byte: candidates that overlap, that
      // share only that byte, or that do not fit before the end.
      {"aab+", "aaab", 2, 3},
      {"xQy", "Qy xQ xQy", 7, 3},
      {"abcQ", "abc abcQ", 5, 4},
      {"ab?Q", "a aQ", 3, 2},
      // Subjects long enough to be scanned 16 places at a time.
      {"abcQ", std::string(33, 'a') + "abcQ", 34, 4},
      {"QxxZ", std::string(20, '-') + "QabZ" + std::string(20, '-') + "QxxZ", 45, 4},
      {"QxxZ", std::string(50, '-') + "QxxZ", 51, 4},
      {"QxxZ", std::string(50, '-') + "QxxZQ", 51, 4},
      {"QxxZ", std::string(50, '-') + "QxxQ", -1, 0},
      // Ignoring case, each byte in either case; a candidate that matches only in one case
      // of a byte's two is no match.
      {"(?i)todo:", std::string(40, '-') + "TODX: ToDo:", 47, 5},
      {"(?im-s)todo:?\\s*(.*)$", std::string(20, '-') + "tOdO fix\nx", 21, 8, 26, 3},
      {"(?i)QxxZ", std::string(50, '-') + "qXxZ" + std::string(80, '-'), 51, 4},
      {"(?i)QxxZ", std::string(50, '-') + "qXyZ" + std::string(80, '-'), -1, 0},
      {"(?i)Q@xZ", std::string(50, '-') + "q`XZ Q@Xz" + std::string(80, '-'), 56, 4},
      {"QxxZ", std::string(50, '-') + "QxxQ qxxZ QxxZ" + std::string(80, '-'), 61, 4},
      // A literal at a fixed distance from the start: the places before its occurrences whose
      // character cannot begin a match, or that the nodes before it do not fit, are passed.
      {"\\d{2}-x", "1-x a2-x 12-x", 10, 4},
      {"\\bExec\\(", "xExec( Exec(", 8, 5},
      {"[ab]{2}Q", "Q cbQ abQ", 7, 3},
      {"(\\d{4})-(\\d{2})", std::string(40, '-') + "2026-12", 41, 7, 41, 4},
      // What every match needs, looked for from the end: found 16 places at a time, before and
      // behind a block, or not at all behind the start.
      {"x+%", std::string(40, 'x') + "%" + std::string(20, 'x'), 1, 41},
      {"x+[%#]", std::string(40, 'x') + "#" + std::string(3, 'x'), 1, 41},
      {"[%#]x", "x#x" + std::string(40, 'x'), 2, 2},
      {"x[%#]", "%x" + std::string(40, 'x'), -1, 0},
      {"#\\d{2}", "#1 #12", 4, 3},
      {"#\\d{2}", "#12 #1", 1, 3},
      {"\xD1\x87\xD1\x82\xD0\xBE (\\w)", "\xD0\xBF \xD1\x87\xD1\x82\xD0\xBE x", 4, 8, 11, 1},
      {"^abc", "xabc", -1, 0},
      {"^abc", "abcx", 1, 3},
      {"a.c", "a\nc", 1, 3},
      {"(?-s)a.c", "a\nc", -1, 0},
      {"(?-s)a.b", "a\r\nb a\rb", -1, 0},
      {"a$", "a\r\n", -1, 0},
      {"a\\Z", "a\r\n", -1, 0},
      {"(?m)a$", "a\r\nb", 1, 1},
      {"(?m)^b", "a\r\nb", 4, 1},
      // Line starts are looked for behind the line breaks: not inside a paired CR LF, nor where
      // the character cannot begin a match, and at the end behind a last break.
      {"(?m)^\\s*#x", "a #x\n b\n  #x", 9, 4},
      {"(?m)^$", "a\nb\n", 5, 0},
      // A literal reached over repetitions of classes: a match begins in the run of their
      // characters before the literal's next occurrence, or there; the run may hold the literal.
      {"[ab]+\\s*Q", "ccQ aab Q", 5, 5},
      {"\\s*#x", "a#x", 2, 2},
      {"[xb]*b", "cxxbxb", 2, 5},
      {"(?m)^\\s*#x", "#y\n  x #x\n\t#x", 11, 3},
      {"\\w+\\s+что", "Я ль жук  что", 9, 14, -2, -2, true},
      {"(?m)^$", "a\r\n\r\nb", 4, 0},
      {"\\bfoo\\b", "a foo.", 3, 3},
      {"\\bfoo\\b", "afoo", -1, 0},
      {"(a)\\1", "aa", 1, 2, 1, 1},
      {"(a)\\1", "aA", -1, 0},
      {"(?i)(a)\\1", "aA", 1, 2, 1, 1},
      {"(a)|b\\1", "b", -1, 0},
      {"(\\2x)?(a)b", "aaxab", 4, 2, -1, -1},  // a failed start leaves no group behind
      {"x(y)?z", "xz", 1, 2, -1, -1},
      {"(a|ab)(c|bcd)", "abcd", 1, 4, 1, 1},
      {"(ab)+", "ababab", 1, 6, 5, 2},
      {"(ab)+?", "ababab", 1, 2, 1, 2},
      {"(ab){2,3}?c", "abababc", 1, 7, 5, 2},
      {"(a|b)*c", "abbac", 1, 5, 4, 1},
      {"(a{0,5})*b", "aaaaaaab", 1, 8},
      {"(a|b{0,1})+?c", "abc", 1, 3},
      {"(a{0,2})+b", "aaab", 1, 4},
      {"(a*)\\1*b", "b", 1, 1, 1, 0},
      {"(ab)\\1*x", "abababx", 1, 7},
      {"(a?)\\1{2}", "b", 1, 0, 1, 0},  // empty text meets any minimum
      {"(a?)\\1{2}b", "ab", 2, 1},
      {"(a{0,1})*b\\1$", "aba", 1, 3, 1, 1},  // the exit before an empty iteration
      {"(a{0,1})*b\\1", "ab", 1, 2, 2, 0},
      // A failed start inside a run skips the starts behind it only where that cannot matter.
      {"(\\w+)\\s+\\1", "xab ab", 2, 5, 2, 2},
      // Later starts in the run are compared at the back-reference the first one came to: the
      // group from each start, or one set behind the run; ignoring case, in UTF-8.
      {"(?i)(\\w+)\\s+\\1", "xAb ab", 2, 5, 2, 2},
      {"(\\w+)\\s+\\1", "жук ук", 3, 9, 3, 4, true},
      {"\\w+\\s(\\w)\\s*\\1", "ab c d c c", 6, 5, 8, 1},
      // A back-reference begins as its group: blanks given back where the group may begin so.
      {"(\\s?b)\\s+\\1", "a b  b", 2, 5, 2, 2},
      {"(b|)\\s+\\1x", "b  x", 2, 3},
      {"(b|)x\\s+\\1\\s", "x  ", 1, 3},
      {"[a-z]{2,3}X", "abcdX", 2, 4},
      {"\\w+\\s+Holmes", "Mr Sherlock  Holmes", 4, 16},
      {"a*b", "aaac aab", 6, 3},
      {"(?m)^\\w+x", "ab\nabx", 4, 3},
      {"\\w+?x", "aaax", 1, 4},
      {"(\\w{2})+\\w$", "abab", 2, 3, 2, 2},  // the repetition runs again in the loop
      {"[^\\x00]", "q", 1, 1},
      {"a\\x00b", "ab", -1, 0},
      {"\\d+\\D", "x123y", 2, 4},
      {"[[:]+", "a[::", 2, 3},
  };
  for (const TFind& c : cases) {
    TRegExpr regExpr;
    regExpr.Utf8 = c.Utf8;
    regExpr.SetExpression(c.Pattern);
    const bool found = regExpr.Exec(c.Subject);
    EXPECT_EQ(found, c.Offset > 0) << c.Pattern << " on " << c.Subject;
    if (!found) continue;
    EXPECT_EQ(regExpr.MatchOffset(0), c.Offset) << c.Pattern;
    EXPECT_EQ(regExpr.MatchLength(0), c.Length) << c.Pattern;
    if (c.Group1Offset != -2) {
      EXPECT_EQ(regExpr.MatchOffset(1), c.Group1Offset) << c.Pattern;
      EXPECT_EQ(regExpr.MatchLength(1), c.Group1Length) << c.Pattern;
    }
  }
}

// Lines end where the settings say. Without a paired separator CR LF is no longer one line
// break: each line-break character ends a line on its own, and a character that is none ends
// nothing. A paired separator ends a line even where its characters are no line breaks, and the
// search tries a match before it.
TEST(Matcher, LinesEndWhereTheSettingsSay) {
  const struct {
    const char* Breaks;
    const char* Pair;
    const char* Pattern;
    int32_t Offset;  // in "a\r\n", from 1; -1 for no match
  } cases[] = {
      {"\n", "", "(?-s)a.", 1},    {"\n", "", "(?m)a$", -1},     {"\r\n", "", "(?m)^\n", 3},
      {"\r\n", "", "(?m)\r$", 2},  {";", "\r\n", "(?m)$", 2},    {"", "\r\n", "(?m)$", 2},
      {";", "\r\n", "(?m)$\r", 2}, {";", "\r\n", "(?m)^\n", -1},
  };
  for (const auto& c : cases) {
    TRegExpr regExpr;
    regExpr.LineBreakChars = c.Breaks;
    regExpr.SetLinePairedSeparator(c.Pair);
    regExpr.SetExpression(c.Pattern);
    EXPECT_EQ(regExpr.Exec("a\r\n") ? regExpr.MatchOffset(0) : -1, c.Offset)
        << c.Pattern << " breaks " << c.Breaks;
  }
}

// A search behind a match goes on with the line breaks, word letters and case flip its chain
// began with, whichever matcher runs it: a change applies from the next Exec or ExecPos.
TEST(Matcher, ExecNextKeepsTheSettingsItsChainBeganWith) {
  TCaseFlipTable aIsB = TRegExpr::DefaultCaseFlip();
  aIsB['a'] = 'b';
  aIsB['b'] = 'a';
  const struct {
    const char* Pattern;
    const char* Subject;
    std::function<void(TRegExpr&)> Change;
    std::vector<int32_t> Offsets;  // of every match of the chain
  } cases[] = {
      {"(?-s).+", "ab\ncd;ef", [](TRegExpr& re) { re.LineBreakChars = ";\n"; }, {1, 4}},
      {"\\bx", "x -x ax", [](TRegExpr& re) { re.WordLetters += '-'; }, {1, 4}},
      {"x(?i)a", "xa xA xb", [&](TRegExpr& re) { re.CaseFlip = aIsB; }, {1, 4}},
  };
  using TChoice = TRegExpr::TMatcherChoice;
  const TChoice kChoices[] = {TChoice::Backtracker, TChoice::ThreadMatcher, TChoice::Automatic};
  const char* const kNames[] = {"backtracker", "thread matcher", "automatic"};
  for (const auto& c : cases)
    for (int m = 0; m < 3; ++m) {
      TRegExpr regExpr;
      regExpr.MatcherChoice = kChoices[m];
      regExpr.SetExpression(c.Pattern);
      std::vector<int32_t> offsets;
      for (bool found = regExpr.Exec(c.Subject); found; found = regExpr.ExecNext()) {
        offsets.push_back(regExpr.MatchOffset(0));
        c.Change(regExpr);
      }
      EXPECT_EQ(offsets, c.Offsets) << c.Pattern << ", " << kNames[m];
    }
}

TEST(Matcher, ExecNextNeverRepeatsAnEmptyMatch) {
  TRegExpr regExpr;
  regExpr.SetExpression("x*");
  std::vector<int32_t> offsets;
  for (bool found = regExpr.Exec("abc"); found; found = regExpr.ExecNext())
    offsets.push_back(regExpr.MatchOffset(0));
  EXPECT_EQ(offsets, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_THROW(regExpr.ExecNext(), ERegExpr);

  EXPECT_TRUE(regExpr.Exec("abc"));
  EXPECT_TRUE(regExpr.ExecPos(4));
  EXPECT_EQ(regExpr.MatchOffset(0), 4);
  EXPECT_FALSE(regExpr.ExecPos(5));
  EXPECT_EQ(regExpr.MatchOffset(0), -1);  // no match: no groups
  EXPECT_TRUE(regExpr.Exec("abc"));
  EXPECT_EQ(regExpr.MatchOffset(15), -1);
  EXPECT_EQ(regExpr.MatchLength(-1), -1);
}

TEST(Matcher, ExecutionErrors) {
  auto codeOf = [](const std::function<void()>& run) {
    try {
      run();
    } catch (const ERegExpr& e) {
      return e.ErrorNumber;
    }
    return 0;
  };
  TRegExpr unset;
  EXPECT_EQ(codeOf([&] { unset.Exec("a"); }), 1003);
  TRegExpr regExpr;
  regExpr.SetExpression("a");
  EXPECT_EQ(codeOf([&] { regExpr.ExecPos(1); }), 1005);
  EXPECT_EQ(codeOf([&] { regExpr.Exec("b"); }), 0);
  EXPECT_EQ(codeOf([&] { regExpr.ExecNext(); }), 1007);
  EXPECT_EQ(codeOf([&] { regExpr.ExecPos(0); }), 1006);

  // Eleven nested loops that must each run once.
  regExpr.SetExpression("(((((((((((a)+?)+?)+?)+?)+?)+?)+?)+?)+?)+?)+?");
  EXPECT_EQ(codeOf([&] { regExpr.Exec("a"); }), 1014);
}

TEST(Matcher, CatastrophicPatternsEndWithAnError) {
  // Each fails only after trying exponentially many ways to split the run of a's. With a
  // back-reference neither the automaton nor the thread matcher can take over (the thread
  // matcher chosen alone hands the search to the backtracker): the search ends with an error, as
  // a search of the backtracker chosen alone does without one too.
  const std::string as(5000, 'a');
  using TChoice = TRegExpr::TMatcherChoice;
  const struct {
    const char* Pattern;
    std::string Subject;
    TChoice Choice = TChoice::Automatic;
  } cases[] = {
      {"(a|aa)*b\\1", as + "cb"},
      {"(a+)+$\\1", as + "b"},
      {"(a|a)*c\\1", as + "bc"},
      {"(a|aa)*b\\1", as + "cb", TChoice::ThreadMatcher},
      {"(a|aa)*b", as + "cb", TChoice::Backtracker},
      // Compact repetitions that give back the same characters from every start: each count
      // tried is a step, so the budget ends a search that would take n squared. (What every
      // match needs is there, at the end: no attempt can be left out.)
      {"(\\w+)\\w\\s+\\1", std::string(20000, 'a') + " b"},
      // A back-reference's text compared again from every start, each character a step.
      {"(\\w+)\\s+\\1",
       std::string(20000, 'a') + " " + std::string(10000, 'a') + "b" + std::string(20000, 'c')},
      {"x*x+y", std::string(40000, 'x') + "zy", TChoice::Backtracker},
  };
  for (const auto& [pattern, subject, choice] : cases) {
    TRegExpr regExpr;
    regExpr.MatcherChoice = choice;
    regExpr.SetExpression(pattern);
    try {
      regExpr.Exec(subject);
      ADD_FAILURE() << pattern << " ended without an error";
    } catch (const ERegExpr& e) {
      EXPECT_EQ(e.ErrorNumber, 1016) << pattern;
      EXPECT_STREQ(e.what(), "TRegExpr(exec): Backtracking Limit Exceeded");
    }
  }
}

// A stop asked of the thread ends a long search with error 1017, whichever matcher runs it, and
// a search after the scope is gone runs as before.
TEST(Matcher, AStopEndsALongSearch) {
  using TChoice = TRegExpr::TMatcherChoice;
  // What every match needs is there at the end: every start must be tried.
  const std::string as = std::string(200000, 'a') + " d b";
  const struct {
    const char* Pattern;
    TChoice Choice;
  } cases[] = {
      {"(\\w+)\\w\\s+\\1", TChoice::Automatic},
      {"(a|aa)*[bc]", TChoice::Backtracker},
      {"(a|aa)*[bc]", TChoice::ThreadMatcher},
  };
  for (const auto& c : cases) {
    TRegExpr regExpr;
    regExpr.MatcherChoice = c.Choice;
    regExpr.SetExpression(c.Pattern);
    int asked = 0;
    {
      const TSearchStopScope stop([&asked] { return ++asked == 2; });
      try {
        regExpr.Exec(as);
        ADD_FAILURE() << c.Pattern << " was not stopped";
      } catch (const ERegExpr& e) {
        EXPECT_EQ(e.ErrorNumber, 1017) << c.Pattern;
        EXPECT_STREQ(e.what(), "TRegExpr(exec): Search Stopped");
      }
    }
    EXPECT_EQ(asked, 2) << c.Pattern;
    EXPECT_TRUE(regExpr.Exec("aa c ab ab")) << c.Pattern;
  }
}

TEST(Matcher, CatastrophicPatternsAreAnswered) {
  // The automaton answers at once, or the backtracker runs out of steps (or of memory for its
  // choices) and the automaton or the thread matcher answers as it would have: where matches
  // begin at a literal, the backtracker searches first. A run the first repetition took is
  // not taken again from each later start within it, back-reference or not.
  const std::string as(5000, 'a');
  std::string alternating, pairs;
  for (int i = 0; i < 700; ++i)
    alternating += "ab";
  for (int i = 0; i < 1'500'000; ++i)
    pairs += "ab";
  struct TCase {
    const char* Pattern;
    std::string Subject;
    int32_t Offset, Length;  // of the match in bytes, -1 for none
    bool Utf8 = false;
  };
  std::string zhe;  // Cyrillic letters, two bytes each in UTF-8
  for (int i = 0; i < 20000; ++i)
    zhe += "ж";
  const TCase cases[] = {
      {"(a|aa)*b", as + "cb", 5002, 1},
      {"(a+)+$", as + "b", -1, -1},
      {"(a|a)*c", as + "bc", 5002, 1},
      {"(a|b)*c|x", alternating, -1, -1},
      {"(a|b)*c|x", alternating + "x", 1401, 1},
      {"(ab)*a", pairs, 1, 2'999'999},
      {"X(a|aa)*c", "X" + as + "bXc", 5003, 2},
      // Quadratic for the backtracker alone, as its steps show: the automaton takes over.
      {"x*x+y", "y" + std::string(40000, 'x'), -1, -1},
      {"(x+x+)+y", "y" + std::string(40000, 'x'), -1, -1},
      {"(\\w+)\\s+\\1", std::string(1 << 20, 'a') + " b", -1, -1},
      {"(\\w+)\\s+\\1", "x" + std::string(20000, 'a') + " aaa", 19999, 7},
      {"(\\w+)\\s+\\1", "x" + zhe + " жжж", 39996, 13, true},
  };
  for (const TCase& c : cases) {
    TRegExpr regExpr;
    regExpr.Utf8 = c.Utf8;
    regExpr.SetExpression(c.Pattern);
    EXPECT_EQ(regExpr.Exec(c.Subject), c.Offset > 0) << c.Pattern;
    EXPECT_EQ(regExpr.MatchOffset(0), c.Offset) << c.Pattern;
    EXPECT_EQ(regExpr.MatchLength(0), c.Length) << c.Pattern;
  }

  // Where the subject lacks behind some place what every match needs (a literal, a character of
  // a class), no attempt begins there: over a megabyte, the backtracker takes next to no steps.
  const std::string xs(1 << 20, 'x');
  const struct {
    const char* Pattern;
    std::string Subject;
  } hopeless[] = {
      {"(x+x+)+y", "y" + xs},
      {"x*x+y", "y" + xs},
      {"(\\w+)\\s+\\1", xs},
      {"(x+)+\\d{2}", "12" + xs},
      {"(x|xx)+[#%]", "%" + xs},
      // Ignoring case, the literal's rare byte in either case; found by the differential suite,
      // over seven characters, before the literal was required.
      {"(?i)((a{0,2}?|\\w*?)\\2??.)*?((.?_+|\\W*?bab){1,2}\\W{1,2}_{1,2}){1,2}((_{1,2}|-)+?_*?b+?)",
       "1_ -1-_"},
      {"(?i)(x+x+)+Y", "y" + xs},
      // A class inside a loop every match runs; found by the differential suite over five
      // characters, before the loop's body was looked into.
      {"(\\W?"
       "?(b*?|[^a]+?)(\\2*a{0,2}?){2})*(b[^a]{2}){2}",
       "aa-aa"},
      {"(x+x+)+(zq){1,3}", xs},
      // The class's last byte with too few behind it for what a match holds there.
      {"(\\W?"
       "?(b*?|[^a]+?)(\\2*a{0,2}?){2})*(b[^a]{2}){2}",
       "a a ab"},
      {"(x+x+)+y\\d{3}", xs + "y12"},
      {"(?i)(\\W?"
       "?(b*?|[^a]+?)(\\2*a{0,2}?){2})*(b[^a]{2}){2}",
       "a a ab"},
  };
  for (const auto& c : hopeless) {
    TRegExpr regExpr;
    regExpr.MatcherChoice = TRegExpr::TMatcherChoice::Backtracker;
    regExpr.SetExpression(c.Pattern);
    EXPECT_FALSE(regExpr.Exec(c.Subject)) << c.Pattern;
    EXPECT_LT(regExpr.LastSearchSteps(), 100) << c.Pattern;
  }

  // A repetition of a repetition of any character between X's: found, or not, either way.
  const struct {
    const char* Pattern;
    const char* Subject;
    bool Found;
  } nested[] = {
      {".X(.+)+X", "bbbbXcXaaaaaaaa", true},
      {".X(.+)+XX", "bbbbXcXXaaaaaaaa", true},
      {".XX(.+)+X", "bbbbXXcXaaaaaaaa", true},
      {".X(.+)+X", "bbbbXXaaaaaaaaa", false},
      {".X(.+)+XX", "bbbbXXXaaaaaaaaa", false},
      {".XX(.+)+X", "bbbbXXXaaaaaaaaa", false},
      {".X(.+)+[X]", "bbbbXcXaaaaaaaa", true},
      {".X(.+)+[X][X]", "bbbbXcXXaaaaaaaa", true},
      {".XX(.+)+[X]", "bbbbXXcXaaaaaaaa", true},
      {".X(.+)+[X]", "bbbbXXaaaaaaaaa", false},
      {".X(.+)+[X][X]", "bbbbXXXaaaaaaaaa", false},
      {".XX(.+)+[X]", "bbbbXXXaaaaaaaaa", false},
      {".[X](.+)+[X]", "bbbbXcXaaaaaaaa", true},
      {".[X](.+)+[X][X]", "bbbbXcXXaaaaaaaa", true},
      {".[X][X](.+)+[X]", "bbbbXXcXaaaaaaaa", true},
      {".[X](.+)+[X]", "bbbbXXaaaaaaaaa", false},
      {".[X](.+)+[X][X]", "bbbbXXXaaaaaaaaa", false},
      {".[X][X](.+)+[X]", "bbbbXXXaaaaaaaaa", false},
  };
  for (const auto& c : nested) {
    TRegExpr regExpr;
    regExpr.SetExpression(c.Pattern);
    EXPECT_EQ(regExpr.Exec(c.Subject), c.Found) << c.Pattern << " on " << c.Subject;
  }
}

// The finders a search skips ahead with find what a byte-by-byte look finds, whichever way they
// take: a few bytes compared, a larger set told by its bytes' two halves, or one with too many
// kinds of halves, looked up a byte at a time.
TEST(Matcher, ByteSetFindersFindWhatALookAtEveryByteFinds) {
  const auto setOf = [](const std::function<bool(int)>& in) {
    TCharSet set;
    for (int c = 1; c < 256; ++c)
      set[static_cast<std::size_t>(c)] = in(c);
    return set;
  };
  const TCharSet sets[] = {
      setOf([](int c) { return c == '#' || c == 0xD0; }),
      setOf([](int c) { return std::isalnum(c) != 0 || c == '_'; }),
      setOf([](int c) { return c >= 0x80; }),
      setOf([](int c) { return c % 7 == 3; }),  // more kinds of halves than a table holds
  };
  std::mt19937 random(7);
  for (const TCharSet& set : sets) {
    const TByteSetFinder finder(set);
    for (int round = 0; round < 20; ++round) {
      // Mostly bytes outside the set, so that blocks without one are passed over.
      std::string subject(static_cast<std::size_t>(random() % 300), ' ');
      for (char& c : subject)
        if (random() % 23 == 0) c = static_cast<char>(1 + random() % 255);
      int64_t expectedLast = -1;
      for (std::size_t i = 0; i < subject.size(); ++i)
        if (set[static_cast<unsigned char>(subject[i])]) expectedLast = static_cast<int64_t>(i);
      EXPECT_EQ(finder.Last(subject), expectedLast);
      for (std::size_t from = 0; from <= subject.size(); from += 5) {
        int64_t expected = -1;
        for (std::size_t i = from; i < subject.size() && expected < 0; ++i)
          if (set[static_cast<unsigned char>(subject[i])]) expected = static_cast<int64_t>(i);
        ASSERT_EQ(finder.Next(subject, static_cast<int64_t>(from)), expected) << from;
        // With a byte at a distance behind: a common one and a rare one.
        for (const auto& [byte, distance] : {std::pair{' ', 3}, std::pair{'#', 1}}) {
          expected = -1;
          for (std::size_t i = from; i + distance < subject.size() && expected < 0; ++i)
            if (set[static_cast<unsigned char>(subject[i])] && subject[i + distance] == byte)
              expected = static_cast<int64_t>(i);
          ASSERT_EQ(finder.NextBefore(subject, static_cast<int64_t>(from),
                                      static_cast<unsigned char>(byte), distance),
                    expected)
              << from << " " << byte;
        }
      }
    }
  }
}

TEST(Matcher, LongSubjectsNeedNoDeepStack) {
  // 1.2 million characters: more choices than the backtracker would keep for a loop that can still
  // be backtracked into, so the loops that end the pattern must keep none of them.
  std::string subject;
  for (int i = 0; i < 600000; ++i)
    subject += "ab";
  const std::pair<const char*, int64_t> cases[] = {
      {"(ab)*", 2}, {"(a|b)*", 1}, {"((a|b)+)", 1}, {"(a|b){2,}", 1}, {"(x|(ab))*", 2}};
  for (const auto& [pattern, lastGroupLength] : cases) {
    TRegExpr regExpr;
    regExpr.SetExpression(pattern);
    ASSERT_TRUE(regExpr.Exec(subject)) << pattern;
    EXPECT_EQ(regExpr.MatchLength(0), static_cast<int32_t>(subject.size())) << pattern;
    // Group 1 holds the last iteration, as if every earlier choice had been kept.
    const int last = pattern[1] == '(' ? 2 : 1;
    EXPECT_EQ(regExpr.MatchLength(last), lastGroupLength) << pattern;
  }
  // A loop that can still be backtracked into keeps its choices, within bounds.
  TRegExpr tail;
  tail.SetExpression("(ab)*?$");
  ASSERT_TRUE(tail.Exec(subject.substr(0, 200000)));
  EXPECT_EQ(tail.MatchLength(0), 200000);
}

}  // namespace
}  // namespace fendrel

namespace fendrel {
namespace {

TEST(Substitution, ReplaceAllMatchesAndTemplates) {
  struct TCase {
    const char* Pattern;
    std::string Input;
    const char* Replacement;
    bool UseTemplate;
    std::string Result;
    int64_t Count;
  };
  const TCase cases[] = {
      {"b+", "abbbcb", "X", true, "aXcX", 2},
      {"(\\w+)=(\\w+)", "ab=cd", "$2.$1", true, "cd.ab", 1},
      {"(\\w+)=(\\w+)", "ab=cd", "$2.$1", false, "$2.$1", 1},
      {"x*", "ab", "-", true, "-a-b-", 3},
      {"b", "abc", "\\$1", true, "a$1c", 1},
      {"b", "abc", "$", true, "a$c", 1},
      {"b", "abc", "${2", true, "a${2c", 1},
      {"(b)", "abc", "$9|${1}0|$&|${}|$x|\\\\", true, "a|b0|b|b|$x|\\c", 1},
      {"(b)", "abc", "$12|$15|$1", true, "a||bc", 1},
      {"b", std::string("ab\0b", 4), "X", true, std::string("aX\0b", 4), 1},
  };
  for (const TCase& c : cases) {
    int64_t counter = 10;
    EXPECT_EQ(ReplaceAllMatches(c.Pattern, c.Input, c.Replacement, c.UseTemplate, counter),
              c.Result)
        << c.Pattern << " " << c.Replacement;
    EXPECT_EQ(counter, 10 + c.Count) << c.Pattern;
  }
}

TEST(Substitution, CounterKeepsItsIncrementsWhenAnErrorIsRaised) {
  int64_t counter = 0;
  EXPECT_THROW(ReplaceAllMatches("a(", "aaa", "x", true, counter), ERegExpr);
  EXPECT_EQ(counter, 0);
  // The first match succeeds; the search for the second exhausts the budget (with a
  // back-reference, so neither the automaton nor the thread matcher takes over).
  const std::string subject = "b" + std::string(3000, 'a') + "c";
  EXPECT_THROW(ReplaceAllMatches("b|(a|aa)*d\\1", subject, "x", true, counter), ERegExpr);
  EXPECT_EQ(counter, 1);
}

}  // namespace
}  // namespace fendrel

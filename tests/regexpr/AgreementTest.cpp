// The backtracker judges the other ways of searching: the thread matcher alone and the engine's
// own choice must answer exactly what the backtracker answers, for every match of a subject.
//
// The patterns come from the grammars the independent engine judges (RandomPatterns.h), and
// from three more that only our engine understands, since they change its settings: line breaks
// of any characters with any paired separator or none, word letters of any set, and a case flip
// of a single-byte code page. For each pattern and subject every matcher runs the search chain
// (Exec, then ExecNext until nothing is found) and ExecPos from a few later offsets; the whole
// match and groups 0-14 of every search must be the same. A pair whose search exhausts the
// backtracker's budget (error 1016) is counted and left out: the others answer it in its place.
//
// FENDREL_DIFFERENTIAL_SCALE multiplies the pattern counts and FENDREL_DIFFERENTIAL_SEED shifts
// every seed, as for the comparison with the independent engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "RandomPatterns.h"
#include "regexpr/RegExpr.h"
#include "regexpr/RegExprThreadMatcher.h"

namespace fendrel {
namespace {

constexpr const char kDefaultWordLetters[] =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";

// Pairs the capitals first-last with the small letters 32 places on.
void Flip(TCaseFlipTable& table, int first, int last) {
  for (int c = first; c <= last; ++c) {
    table[c] = static_cast<unsigned char>(c + 32);
    table[c + 32] = static_cast<unsigned char>(c);
  }
}

struct TCaseFlip {
  const char* Name;
  TCaseFlipTable Table;
};

TCaseFlip CaseFlipOf(const char* name, bool ascii, bool cyrillic, bool latin1) {
  TCaseFlip flip{name, {}};
  for (int c = 0; c < 256; ++c)
    flip.Table[c] = static_cast<unsigned char>(c);
  if (ascii) Flip(flip.Table, 'A', 'Z');
  if (cyrillic) {  // code page 1251: capitals 0xC0-0xDF and 0xA8, small letters 0xE0-0xFF and 0xB8
    Flip(flip.Table, 0xC0, 0xDF);
    flip.Table[0xA8] = 0xB8;
    flip.Table[0xB8] = 0xA8;
  }
  if (latin1) {  // capitals 0xC0-0xDE and small letters 0xE0-0xFE, but for 0xD7 and 0xF7
    Flip(flip.Table, 0xC0, 0xD6);
    Flip(flip.Table, 0xD8, 0xDE);
  }
  return flip;
}

const TCaseFlip kAsciiCase = CaseFlipOf("ASCII", true, false, false);
const TCaseFlip kLatin1Case = CaseFlipOf("Latin-1", true, false, true);
const TCaseFlip kCyrillicCases[] = {CaseFlipOf("code page 1251", true, true, false),
                                    CaseFlipOf("code page 1251 without ASCII", false, true, false),
                                    kLatin1Case};

// The settings a grammar varies; each matcher searches under the same.
struct TSettings {
  std::string LineBreakChars = "\r\n";
  std::string Pair = "\r\n";
  std::string WordLetters = kDefaultWordLetters;
  const TCaseFlip* CaseFlip = &kAsciiCase;

  void ApplyTo(TRegExpr& regExpr) const {
    regExpr.LineBreakChars = LineBreakChars;
    regExpr.SetLinePairedSeparator(Pair);
    regExpr.WordLetters = WordLetters;
    regExpr.CaseFlip = CaseFlip->Table;
  }

  // Those that differ from the default, for a message.
  std::string Described() const {
    const TSettings standard;
    std::string out;
    if (LineBreakChars != standard.LineBreakChars)
      out += " LineBreakChars " + Visible(LineBreakChars);
    if (Pair != standard.Pair) out += " LinePairedSeparator " + Visible(Pair);
    if (WordLetters != standard.WordLetters) out += " WordLetters " + Visible(WordLetters);
    if (CaseFlip != standard.CaseFlip) out += std::string(" CaseFlip ") + CaseFlip->Name;
    return out;
  }
};

template <typename T, std::size_t N>
const T& Pick(TPatternMaker& maker, const T (&choices)[N]) {
  return choices[maker.Random(N)];
}

TSettings LineBreakSettings(TPatternMaker& maker) {
  static const char* const kBreaks[] = {"\n", "\r\n", ";", "\x85", ";\x85\n", ":", ""};
  static const char* const kPairs[] = {"\r\n", "", ";:", ":;", "\n\r", "\r;"};
  TSettings settings;
  settings.LineBreakChars = Pick(maker, kBreaks);
  settings.Pair = Pick(maker, kPairs);
  return settings;
}

std::string Latin1WordLetters() {
  std::string letters = kDefaultWordLetters;
  for (int c = 0xC0; c <= 0xFF; ++c)
    if (c != 0xD7 && c != 0xF7) letters += static_cast<char>(c);
  return letters;
}

TSettings WordLetterSettings(TPatternMaker& maker) {
  static const std::string kLetters[] = {kDefaultWordLetters,
                                         std::string(kDefaultWordLetters) + "-",
                                         std::string(kDefaultWordLetters + 10),  // no digits
                                         Latin1WordLetters(),
                                         "ab-",
                                         ""};
  TSettings settings;
  settings.WordLetters = Pick(maker, kLetters);
  if (maker.Random(2) == 0) settings.CaseFlip = &kLatin1Case;
  return settings;
}

TSettings CaseFlipSettings(TPatternMaker& maker) {
  TSettings settings;
  settings.CaseFlip = &Pick(maker, kCyrillicCases);
  return settings;
}

struct TAgreementGrammar {
  TGrammar Grammar;
  TSettings (*Settings)(TPatternMaker&) = nullptr;  // none: the default settings
};

void PrintTo(const TAgreementGrammar& grammar, std::ostream* out) {
  *out << grammar.Grammar.Name;
}

std::vector<TAgreementGrammar> AgreementGrammars() {
  std::vector<TAgreementGrammar> grammars;
  for (const TGrammar& grammar : kGrammars)
    grammars.push_back({grammar});
  grammars.push_back({{"CustomLineBreaks",
                       23,
                       5000,
                       Join(kBaseAtoms, {{"^", TKind::kAssertion},
                                         {"$", TKind::kAssertion},
                                         {"\\n"},
                                         {"\\r"},
                                         {";"},
                                         {":"},
                                         {"\\x85"},
                                         {"[^;]"},
                                         {"[;:]"},
                                         {"[^\\n]"},
                                         {";:", TKind::kRun},
                                         {"(?m)", TKind::kModifier},
                                         {"(?-m)", TKind::kModifier},
                                         {"(?s)", TKind::kModifier},
                                         {"(?-s)", TKind::kModifier}}),
                       "ms",
                       {"", ";", ":", ";:", ":;", "\r\n", "\n\r", "a;b", "a;:b", "a:;b", "\x85",
                        "a\x85\x85", "ab;:\r\nba", ";;::", "\r;\n"},
                       "ab\r\n;:\x85",
                       4},
                      LineBreakSettings});
  grammars.push_back({{"CustomWordLetters",
                       29,
                       4000,
                       Join(kBaseAtoms, {{"\\b", TKind::kAssertion},
                                         {"\\B", TKind::kAssertion},
                                         {"\\W"},
                                         {"-"},
                                         {" "},
                                         {"1"},
                                         {"\xE9"},
                                         {"\xC9"},
                                         {"[\\w-]"},
                                         {"[^\\w\xE9]"},
                                         {"\\1", TKind::kBackReference}}),
                       "i",
                       {"", "a-b", "-a-", "1a1",
                        "\xE9"
                        "a\xE9",
                        "a \xC9"
                        "b",
                        "b1-2a", "_\xE9_", "ab ba", "a--b", "\xC9\xE9"},
                       "ab1_- \xE9\xC9",
                       4},
                      WordLetterSettings});
  // Bytes of no valid sequence, alone, in a row, behind a lead byte: only \xHH takes them.
  grammars.push_back({{"Utf8InvalidBytes",
                       41,
                       4000,
                       Join(Join(kBaseAtoms, kUtf8Atoms), {{"\\xFF"}, {"\\x80"}, {"\\xD0"}}),
                       "is",
                       {"\xFF", "\x80ж",
                        "ж\x80\x80"
                        "a",
                        "\xD0"
                        "a\xD0",
                        "a\xE2\x82", "\xFF\xFFж "},
                       "aж€😀 \xFF\x80\xD0\xE2",
                       4,
                       true}});
  grammars.push_back({{"CustomCaseFlip",
                       31,
                       4000,
                       Join(kBaseAtoms, {{"A"},
                                         {"\xC0"},
                                         {"\xE0"},
                                         {"\xDF"},
                                         {"\xFF"},
                                         {"\xA8"},
                                         {"\xB8"},
                                         {"\\xE1"},
                                         {"[\xC0-\xC3]"},
                                         {"[\xE0-\xE3]"},
                                         {"[\xE0-\xFF]"},  // with r also ё
                                         {"[\xC0-\xDF]"},  // with r also Ё
                                         {"[\xE0-\xDF]"},  // with r both cases, without it refused
                                         {"[^\xC1\xE0]"},
                                         {"[\xA8-\xC1]"},
                                         {"\xC0\xE1", TKind::kRun},
                                         {"\xE0\xC1\xFF", TKind::kRun},
                                         {"\\1", TKind::kBackReference},
                                         {"(?i)", TKind::kModifier},
                                         {"(?-i)", TKind::kModifier},
                                         {"(?-r)", TKind::kModifier}}),
                       "ir",
                       {"", "\xC0", "\xE0", "\xC0\xE0", "\xE0\xC1\xFF", "\xDF\xFF\xA8\xB8",
                        "a\xC0"
                        "A\xE0",
                        "\xC1\xE1\xC0\xE0", "\xB8\xA8", "A\xE1\xC9\xE9"},
                       "aA\xC0\xE0\xC1\xE1\xC3\xE3\xDF\xFF\xA8\xB8\xC9\xE9",
                       4},
                      CaseFlipSettings});
  return grammars;
}

// One search's result: found, and MatchOffset and MatchLength of groups 0-14.
struct TSearch {
  int32_t Offset = 0;  // of ExecPos; 0 in the search chain
  bool Found = false;
  std::array<std::pair<int32_t, int32_t>, kREGroupCount> Groups{};
  bool operator==(const TSearch&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TSearch& search) {
  if (!search.Found) return out << " no match";
  for (int g = 0; g < kREGroupCount; ++g)
    if (search.Groups[g].first >= 0)
      out << " " << g << ":(" << search.Groups[g].first << "," << search.Groups[g].second << ")";
  return out;
}

// What one matcher answers for a subject: the search chain, then ExecPos from each offset; the
// error that ended it, if any.
struct TAnswer {
  std::vector<TSearch> Searches;
  int32_t Error = 0;
};

TSearch Searched(const TRegExpr& regExpr, bool found, int32_t offset = 0) {
  TSearch search;
  search.Offset = offset;
  search.Found = found;
  for (int g = 0; g < kREGroupCount; ++g)
    search.Groups[g] = {regExpr.MatchOffset(g), regExpr.MatchLength(g)};
  return search;
}

TAnswer Answer(TRegExpr& regExpr, const std::string& subject, const std::vector<int32_t>& offsets) {
  TAnswer answer;
  try {
    bool found = regExpr.Exec(subject);
    answer.Searches.push_back(Searched(regExpr, found));
    // Every further match starts at least one character later.
    for (std::size_t n = 0; found && n <= subject.size(); ++n) {
      found = regExpr.ExecNext();
      answer.Searches.push_back(Searched(regExpr, found));
    }
    for (int32_t offset : offsets)
      answer.Searches.push_back(Searched(regExpr, regExpr.ExecPos(offset), offset));
  } catch (const ERegExpr& e) {
    answer.Error = e.ErrorNumber;
  }
  return answer;
}

// The first search in which `answer` differs from the backtracker's, described; empty when
// they are the same.
std::string FirstDifference(const TAnswer& answer, const TAnswer& backtracker) {
  const auto& ours = answer.Searches;
  const auto& theirs = backtracker.Searches;
  std::ostringstream out;
  for (std::size_t k = 0; k < std::max(ours.size(), theirs.size()); ++k) {
    if (k < ours.size() && k < theirs.size() && ours[k] == theirs[k]) continue;
    const TSearch& which = k < theirs.size() ? theirs[k] : ours[k];
    if (which.Offset != 0)
      out << "ExecPos(" << which.Offset << ")";
    else
      out << (k == 0 ? "Exec" : "ExecNext #" + std::to_string(k));
    out << ":";
    if (k < ours.size())
      out << ours[k];
    else
      out << " error " << answer.Error;
    out << ", backtracker";
    if (k < theirs.size())
      out << theirs[k];
    else
      out << " error " << backtracker.Error;
    return out.str();
  }
  if (answer.Error != backtracker.Error)
    out << "error " << answer.Error << ", backtracker error " << backtracker.Error;
  return out.str();
}

constexpr int32_t kBacktrackingLimit = 1016;

// Whether `at` lies inside a valid UTF-8 character of `text`.
bool InsideCharacter(const std::string& text, int64_t at) {
  for (int64_t back = 1; back <= 3 && at - back >= 0; ++back) {
    const auto lead = static_cast<unsigned char>(text[static_cast<std::size_t>(at - back)]);
    if ((lead & 0xC0) == 0x80) continue;
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    if (length <= back) return false;
    for (int k = 1; k < length; ++k) {  // only a whole sequence is a character
      const std::size_t i = static_cast<std::size_t>(at - back + k);
      if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return false;
    }
    return true;
  }
  return false;
}

class Matchers : public testing::TestWithParam<TAgreementGrammar> {};

TEST_P(Matchers, ThreadMatcherAndAutomaticSearchesAnswerWhatTheBacktrackerAnswers) {
  const TGrammar& grammar = GetParam().Grammar;
  // A tenth of the patterns the independent engine judges: every pair runs three matchers over
  // every match of longer subjects.
  const int patterns = grammar.Patterns / 10 * EnvNumber("FENDREL_DIFFERENTIAL_SCALE", 1);
  const auto seed = grammar.Seed + static_cast<uint32_t>(EnvNumber("FENDREL_DIFFERENTIAL_SEED", 0));
  // Patterns and short subjects are those the independent engine judges; the long subjects and
  // the offsets come from a stream of their own.
  std::mt19937 random(seed), moreRandom(seed * 7 + 1);
  TPatternMaker maker(grammar, random), more(grammar, moreRandom);
  using TChoice = TRegExpr::TMatcherChoice;
  const TChoice kChoices[] = {TChoice::Backtracker, TChoice::ThreadMatcher, TChoice::Automatic};
  const char* const kNames[] = {"backtracker", "thread matcher", "automatic"};
  int64_t compared = 0, searches = 0, costly = 0, rejected = 0, threadsRun = 0;
  int differences[3] = {};
  for (int round = 0; round < patterns && differences[1] + differences[2] < 10; ++round) {
    const TSettings settings = GetParam().Settings ? GetParam().Settings(maker) : TSettings();
    TStart start;
    const TPattern pattern = maker.Make(start);
    std::vector<std::string> subjects = grammar.Subjects;
    for (int i = 0; i < grammar.RandomSubjects; ++i)
      subjects.push_back(maker.Subject(8));
    for (int i = 0; i < 2; ++i)
      subjects.push_back(more.Subject(60));

    TRegExpr regExprs[3];
    try {
      for (int m = 0; m < 3; ++m) {
        settings.ApplyTo(regExprs[m]);
        regExprs[m].Utf8 = grammar.Utf8;
        regExprs[m].SetModifierStr(start.PropertyLetters);
        regExprs[m].MatcherChoice = kChoices[m];
        regExprs[m].SetExpression(pattern.Text);
        regExprs[m].Compile();
      }
    } catch (const ERegExpr&) {
      ++rejected;  // a repetition of what cannot consume a character, a reversed range
      continue;
    }
    if (ThreadsCanRun(regExprs[0].Program())) ++threadsRun;
    for (const std::string& subject : subjects) {
      std::vector<int32_t> offsets;
      for (int i = 0; i < 2 && !subject.empty(); ++i)
        offsets.push_back(2 + more.Random(subject.size()));
      const TAnswer backtracker = Answer(regExprs[0], subject, offsets);
      if (backtracker.Error == kBacktrackingLimit) {
        ++costly;
        continue;
      }
      ++compared;
      searches += static_cast<int64_t>(backtracker.Searches.size());
      // \xHH is one byte wherever it stands.
      if (grammar.Utf8 && pattern.Text.find("\\x") == std::string::npos)
        for (const TSearch& search : backtracker.Searches)
          if (search.Found &&
              (InsideCharacter(subject, search.Groups[0].first - 1) ||
               InsideCharacter(subject, search.Groups[0].first - 1 + search.Groups[0].second)))
            ADD_FAILURE() << "pattern " << Visible(pattern.Text) << " subject " << Visible(subject)
                          << ": a match begins or ends inside a character" << search;
      for (int m = 1; m < 3; ++m) {
        const std::string difference =
            FirstDifference(Answer(regExprs[m], subject, offsets), backtracker);
        if (difference.empty()) continue;
        if (++differences[m] <= 5)
          ADD_FAILURE() << kNames[m] << " pattern " << Visible(pattern.Text) << " modifiers "
                        << (start.PropertyLetters.empty() ? "default" : start.PropertyLetters)
                        << settings.Described() << " subject " << Visible(subject) << " "
                        << difference;
      }
    }
  }
  std::printf(
      "%s: compared %lld pattern/subject pairs (%lld searches each matcher), %lld too costly for "
      "the backtracker; of %d patterns the compiler refused %lld, the thread matcher runs %lld; "
      "differences: thread matcher %d, automatic %d\n",
      grammar.Name, static_cast<long long>(compared), static_cast<long long>(searches),
      static_cast<long long>(costly), patterns, static_cast<long long>(rejected),
      static_cast<long long>(threadsRun), differences[1], differences[2]);
  RecordProperty("compared", std::to_string(compared));
  // The grammar must stay mostly valid, and the budget rarely spent, or the comparison would
  // prove little.
  EXPECT_GT(compared, patterns * static_cast<int64_t>(grammar.Subjects.size()) / 2);
}

// Every pattern of up to two operators over a small alphabet: the cases a random grammar may
// never draw. Each is written with the fewest parentheses, so precedence is tried too.
std::vector<std::string> SmallPatterns() {
  struct TExpr {
    std::string Text;
    bool Atom;         // takes a postfix operator as it stands
    bool Alternation;  // needs parentheses inside a concatenation
  };
  const char* const kAtoms[] = {"a", "b", ".", "[ab]", "^", "$", "\\b"};
  const char* const kPostfix[] = {"*", "+", "?", "*?", "+?", "??", "{2}", "{0,2}", "{1,}?"};
  std::vector<std::vector<TExpr>> byOperators(3);
  for (const char* atom : kAtoms)
    byOperators[0].push_back({atom, true, false});
  const auto grouped = [](const TExpr& e) { return "(" + e.Text + ")"; };
  for (int n = 1; n <= 2; ++n) {
    std::vector<TExpr>& made = byOperators[static_cast<std::size_t>(n)];
    for (const TExpr& e : byOperators[static_cast<std::size_t>(n - 1)]) {
      made.push_back({grouped(e), true, false});
      for (const char* op : kPostfix)
        made.push_back({(e.Atom ? e.Text : grouped(e)) + op, false, false});
    }
    for (int left = 0; left < n; ++left)
      for (const TExpr& l : byOperators[static_cast<std::size_t>(left)])
        for (const TExpr& r : byOperators[static_cast<std::size_t>(n - 1 - left)]) {
          made.push_back(
              {(l.Alternation ? grouped(l) : l.Text) + (r.Alternation ? grouped(r) : r.Text), false,
               false});
          made.push_back({l.Text + "|" + r.Text, false, true});
        }
  }
  std::vector<std::string> patterns;
  for (const auto& level : byOperators)
    for (const TExpr& e : level)
      patterns.push_back(e.Text);
  return patterns;
}

// Each small pattern against every subject of up to four characters of "abc", each matcher the
// whole chain. FENDREL_AGREEMENT_EXHAUSTIVE=1 takes every pattern; by default every 16th, from
// an offset FENDREL_DIFFERENTIAL_SEED shifts.
TEST(Agreement, SmallPatternsOnEveryShortSubject) {
  std::vector<std::string> subjects{""};
  for (std::size_t begin = 0, length = 1; length <= 4; ++length) {
    const std::size_t end = subjects.size();
    for (std::size_t i = begin; i < end; ++i)
      for (const char c : {'a', 'b', 'c'})
        subjects.push_back(subjects[i] + c);
    begin = end;
  }
  const std::vector<std::string> patterns = SmallPatterns();
  const std::size_t step = EnvNumber("FENDREL_AGREEMENT_EXHAUSTIVE", 0) != 0 ? 1 : 16;
  using TChoice = TRegExpr::TMatcherChoice;
  const TChoice kChoices[] = {TChoice::Backtracker, TChoice::ThreadMatcher, TChoice::Automatic};
  int64_t compared = 0;
  int failures = 0;
  for (std::size_t p = static_cast<std::size_t>(EnvNumber("FENDREL_DIFFERENTIAL_SEED", 0)) % step;
       p < patterns.size() && failures < 10; p += step) {
    TRegExpr regExprs[3];
    try {
      for (int m = 0; m < 3; ++m) {
        regExprs[m].MatcherChoice = kChoices[m];
        regExprs[m].SetExpression(patterns[p]);
        regExprs[m].Compile();
      }
    } catch (const ERegExpr&) {
      continue;  // a repetition of what takes no character
    }
    for (const std::string& subject : subjects) {
      const TAnswer backtracker = Answer(regExprs[0], subject, {2, 3});
      ++compared;
      for (int m = 1; m < 3; ++m) {
        const std::string difference =
            FirstDifference(Answer(regExprs[m], subject, {2, 3}), backtracker);
        if (!difference.empty() && ++failures <= 10)
          ADD_FAILURE() << (m == 1 ? "thread matcher" : "automatic") << " pattern " << patterns[p]
                        << " subject \"" << subject << "\" " << difference;
      }
    }
  }
  std::printf("small patterns: %zu made, %lld pattern/subject pairs compared\n", patterns.size(),
              static_cast<long long>(compared));
}

INSTANTIATE_TEST_SUITE_P(Agreement, Matchers, testing::ValuesIn(AgreementGrammars()),
                         [](const testing::TestParamInfo<TAgreementGrammar>& param) {
                           return std::string(param.param.Grammar.Name);
                         });

}  // namespace
}  // namespace fendrel

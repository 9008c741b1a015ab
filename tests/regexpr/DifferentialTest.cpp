// Compares Fendrel's engine with an independent, widely used engine over random small patterns of
// grammars both understand, on short subjects: the first match and its groups must be the same.
//
// Our settings map onto the other engine's options: s on is dot-all; '$' without m matches only
// at the very end; m is multi-line, with '^' also behind a line break that ends the subject, as
// ours; i is caseless. Our line breaks, CR, LF and the pair CR LF, are its newline convention
// "CR, LF or CR LF". Repetition stays greedy (g on). Word letters are ASCII letters, digits and
// '_' in both, and subjects keep to ASCII, where the two also agree on case; the UTF-8 grammar
// searches characters, with Unicode's classes on the other side.
//
// Where the engines differ by design, the comparison follows our rule:
//  - Our pair CR LF is one line break, so in multi-line mode no line starts or ends between its
//    CR and its LF. The other engine lets '^' match behind the CR and '$' before the LF:
//    "(?m)\r$" finds "\r" in "a\r\nb" there, nothing here. For subjects holding the pair it is
//    given '^' and '$' spelled out with our rule as lookarounds.
//  - Its search skips the LF of a pair as a start unless the pattern names CR or LF: "\Wb" finds
//    nothing in "\r\nb" there, "\nb" here, as a search that tries every start must. Subjects
//    holding the pair are searched there one start at a time, anchored.
//  - Our compiler refuses to repeat what cannot consume a character, "(a?)*" or "(a|\b)+"; those
//    patterns are counted and left out. A group that can still repeat empty, "(a{0,1})*" or
//    "(x?)(a|\1)*", is compared: the captures of its empty iterations agree.
//  - Our budget of backtracking steps is smaller than the other engine's, and it has shortcuts
//    that end some exponential searches at once; a search that exhausts our budget is counted
//    and left out when the other engine, without shortcuts, needs many steps too.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <gtest/gtest.h>
#include <pcre2.h>

#include <memory>
#include <ostream>
#include <random>
#include <string_view>

#include "RandomPatterns.h"
#include "regexpr/RegExpr.h"

namespace fendrel {
namespace {

struct TResult {
  bool Found = false;
  std::vector<std::pair<int64_t, int64_t>> Groups;  // start, end (-1, -1 unset)
  bool operator==(const TResult&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TResult& result) {
  if (!result.Found) return out << " no match";
  for (const auto& [start, end] : result.Groups) {
    if (start < 0)
      out << " unset";
    else
      out << " (" << start << "," << end << ")";
  }
  return out;
}

constexpr int32_t kBacktrackingLimit = 1016;       // our error for a search over its budget
constexpr uint32_t kOtherMatchLimit = 10'000'000;  // the other engine's default
// Steps that the other engine, without shortcuts, may take before a search of a few characters
// counts as a backtracking explosion.
constexpr uint32_t kCostlySteps = 10'000;

class TOtherEngine {
 public:
  TOtherEngine() { pcre2_set_newline(FContext.get(), PCRE2_NEWLINE_ANYCRLF); }

  // Compiles both texts of `pattern` under our `modifiers`; false when the engine refuses.
  bool Compile(const TPattern& pattern, uint32_t modifiers, bool utf8 = false) {
    FPattern = pattern;
    FOptions = PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_CIRCUMFLEX;
    // Unicode's classes for \w \d \s; a byte of no valid sequence matches nothing.
    if (utf8) FOptions |= PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF;
    if ((modifiers & kModS) != 0) FOptions |= PCRE2_DOTALL;
    if ((modifiers & kModM) != 0) FOptions |= PCRE2_MULTILINE;
    if ((modifiers & kModI) != 0) FOptions |= PCRE2_CASELESS;
    FCode = CompileText(pattern.Text, FOptions);
    FPairedCode = CompileText(pattern.Paired, FOptions);
    if (FCode == nullptr || FPairedCode == nullptr) return false;
    FData.reset(pcre2_match_data_create_from_pattern(FCode.get(), nullptr));
    pcre2_pattern_info(FCode.get(), PCRE2_INFO_CAPTURECOUNT, &FCaptures);
    return true;
  }

  // The result code of a search for `subject`; the match is in Result().
  int Search(const std::string& subject) {
    return Search(subject, FCode.get(), FPairedCode.get(), kOtherMatchLimit);
  }

  // Whether the search needs more than `steps` backtracking steps without the engine's shortcuts
  // (a required character, automatic possessive repetition), which make some searches that
  // explode in ours fail at once there.
  bool Costly(const std::string& subject, uint32_t steps) {
    const uint32_t bare =
        FOptions | PCRE2_NO_START_OPTIMIZE | PCRE2_NO_AUTO_POSSESS | PCRE2_NO_DOTSTAR_ANCHOR;
    const TCode code = CompileText(FPattern.Text, bare);
    const TCode paired = CompileText(FPattern.Paired, bare);
    return Search(subject, code.get(), paired.get(), steps) == PCRE2_ERROR_MATCHLIMIT;
  }

  TResult Result(int rc) const {
    TResult result;
    EXPECT_TRUE(rc > 0 || rc == PCRE2_ERROR_NOMATCH) << "error " << rc;
    result.Found = rc > 0;
    if (!result.Found) return result;
    const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(FData.get());
    for (uint32_t g = 0; g <= FCaptures; ++g) {
      if (static_cast<int>(g) < rc && vector[2 * g] != PCRE2_UNSET)
        result.Groups.emplace_back(vector[2 * g], vector[2 * g + 1]);
      else
        result.Groups.emplace_back(-1, -1);
    }
    return result;
  }

  std::size_t Groups() const { return FCaptures + 1; }

 private:
  struct TFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
  };
  using TCode = std::unique_ptr<pcre2_code, TFree>;

  TCode CompileText(const std::string& text, uint32_t options) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    return TCode(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.c_str()), text.size(), options,
                               &error, &offset, FContext.get()));
  }

  // A subject holding CR LF is searched with `paired`, one start at a time.
  int Search(const std::string& subject, const pcre2_code* code, const pcre2_code* paired,
             uint32_t steps) {
    pcre2_set_match_limit(FMatchContext.get(), steps);
    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.c_str());
    if (subject.find("\r\n") == std::string::npos)
      return pcre2_match(code, text, subject.size(), 0, 0, FData.get(), FMatchContext.get());
    int rc = PCRE2_ERROR_NOMATCH;
    for (std::size_t start = 0; start <= subject.size() && rc == PCRE2_ERROR_NOMATCH; ++start) {
      rc = pcre2_match(paired, text, subject.size(), start, PCRE2_ANCHORED, FData.get(),
                       FMatchContext.get());
    }
    return rc;
  }

  std::unique_ptr<pcre2_compile_context, TFree> FContext{pcre2_compile_context_create(nullptr)};
  std::unique_ptr<pcre2_match_context, TFree> FMatchContext{pcre2_match_context_create(nullptr)};
  TPattern FPattern;
  uint32_t FOptions = 0;
  TCode FCode, FPairedCode;
  std::unique_ptr<pcre2_match_data, TFree> FData;
  uint32_t FCaptures = 0;
};

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

class Grammar : public testing::TestWithParam<TGrammar> {};

TEST_P(Grammar, FirstMatchAndGroupsAgreeWithAnIndependentEngine) {
  const TGrammar& grammar = GetParam();
  const int patterns = grammar.Patterns * EnvNumber("FENDREL_DIFFERENTIAL_SCALE", 1);
  std::mt19937 random(grammar.Seed +
                      static_cast<uint32_t>(EnvNumber("FENDREL_DIFFERENTIAL_SEED", 0)));
  TPatternMaker maker(grammar, random);
  TOtherEngine other;
  int compared = 0, rejected = 0, refused = 0, costly = 0, differences = 0;
  for (int round = 0; round < patterns && differences < 10; ++round) {
    TStart start;
    const TPattern pattern = maker.Make(start);
    std::vector<std::string> subjects = grammar.Subjects;
    for (int i = 0; i < grammar.RandomSubjects; ++i)
      subjects.push_back(maker.Subject(8));

    TRegExpr regExpr;
    regExpr.Utf8 = grammar.Utf8;
    regExpr.SetModifierStr(start.PropertyLetters);
    regExpr.SetExpression(pattern.Text);
    try {
      regExpr.Compile();
    } catch (const ERegExpr&) {
      ++rejected;  // a repetition of what cannot consume a character
      continue;
    }
    if (!other.Compile(pattern, start.Property, grammar.Utf8)) {
      ++refused;
      continue;
    }
    for (const std::string& subject : subjects) {
      const int rc = other.Search(subject);
      if (rc == PCRE2_ERROR_MATCHLIMIT) {
        ++costly;
        continue;
      }
      const TResult theirs = other.Result(rc);
      TResult ours;
      try {
        ours = OurEngine(regExpr, subject, other.Groups());
      } catch (const ERegExpr& e) {
        // Nested repetitions can take exponential time in both engines. Ours gives up within its
        // backtracking budget; that is right when the other engine needs many steps too, and a
        // fault when it needs few.
        if (e.ErrorNumber == kBacktrackingLimit && other.Costly(subject, kCostlySteps)) {
          ++costly;
          continue;
        }
        ADD_FAILURE() << e.what() << ": pattern " << pattern.Text << " subject "
                      << Visible(subject);
        ++differences;
        continue;
      }
      ++compared;
      if (ours == theirs) continue;
      ++differences;
      ADD_FAILURE() << "pattern " << pattern.Text
                    << (pattern.Paired == pattern.Text ? ""
                                                       : " (other engine: " + pattern.Paired + ")")
                    << " modifiers "
                    << (start.PropertyLetters.empty() ? "default" : start.PropertyLetters)
                    << " subject " << Visible(subject) << ": ours" << ours << ", theirs" << theirs;
    }
  }
  std::printf(
      "%s: compared %d pattern/subject pairs, %d too costly for both; of %d patterns "
      "our compiler refused %d, the other engine %d\n",
      grammar.Name, compared, costly, patterns, rejected, refused);
  RecordProperty("compared", compared);
  RecordProperty("refusedByOurs", rejected);
  RecordProperty("refusedByTheirs", refused);
  RecordProperty("tooCostly", costly);
  // The grammar must stay mostly valid, or the comparison would prove little.
  EXPECT_GT(compared, patterns * static_cast<int>(grammar.Subjects.size()) / 2);
}

// Every match of a search chain, as (start, end) pairs.
using TMatches = std::vector<std::pair<int64_t, int64_t>>;

TMatches OurMatches(const std::string& pattern, const std::string& subject,
                    TRegExpr::TMatcherChoice choice) {
  TRegExpr regExpr;
  regExpr.Utf8 = true;
  regExpr.MatcherChoice = choice;
  regExpr.SetExpression(pattern);
  TMatches matches;
  for (bool found = regExpr.Exec(subject); found; found = regExpr.ExecNext())
    matches.emplace_back(regExpr.MatchOffset(0) - 1,
                         regExpr.MatchOffset(0) - 1 + regExpr.MatchLength(0));
  return matches;
}

// The other engine's chain: on behind each match, one character further behind an empty one.
TMatches TheirMatches(const std::string& pattern, const std::string& subject) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.c_str()), pattern.size(),
                    PCRE2_UTF | PCRE2_UCP | PCRE2_DOLLAR_ENDONLY, &error, &offset, nullptr);
  EXPECT_NE(code, nullptr) << pattern;
  TMatches matches;
  if (code == nullptr) return matches;
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
  for (PCRE2_SIZE start = 0; start <= subject.size();) {
    if (pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.c_str()), subject.size(), start, 0,
                    data, nullptr) < 0)
      break;
    const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
    matches.emplace_back(vector[0], vector[1]);
    start = vector[1];
    if (vector[0] == vector[1]) {
      ++start;
      while (start < subject.size() && (static_cast<unsigned char>(subject[start]) & 0xC0) == 0x80)
        ++start;
    }
  }
  pcre2_match_data_free(data);
  pcre2_code_free(code);
  return matches;
}

std::string Listed(const TMatches& matches) {
  std::string text;
  for (const auto& [start, end] : matches)
    text += " (" + std::to_string(start) + "," + std::to_string(end) + ")";
  return text.empty() ? " none" : text;
}

// Text as users have it, in German, Russian, Greek, emoji and CJK: every match of a search
// chain, by each of our matchers, is the independent engine's (with Unicode's classes). Where
// the two differ by design, our answer is pinned with the reason.
TEST(Utf8Text, EveryMatchIsTheIndependentEnginesOrADifferenceByDesign) {
  struct TCase {
    const char* Pattern;
    const char* Subject;
    const char* Ours = nullptr;  // a difference by design: our matches, listed
    const char* Why = nullptr;
  };
  const TCase kCases[] = {
      {"[ив]", "привет мир"},
      {"Stra\\S+", "Die Straße"},
      {"(?m)^", "Straße eins\nхлеб"},
      {"(?m)^\\w", "Он\r\nже\n"},
      {"пр.вет", "привет"},
      {"^.{6}$", "привет"},
      {"\\w+", "привет, мир! Grüße"},
      {"(?i)ÄPFEL", "äpfel"},
      {"(?i)привет", "Привет привет ПРИВЕТ"},
      {"(?i)(п)ривет (м)ир", "Привет мир, привет Мир!"},
      {"(?i)[αβ]σ", "ΑΣ βς Βσ"},
      {"[^ß]", "aßb"},
      {"[б-гё]+", "где ёж"},
      {"\\bмир\\b", "«мир», мирный мир"},
      {"\\B.", "ёж 😀x"},
      {"\\d+", "12٣٤ ७"},
      {"\\s+", "a\u00A0\u2003b"},
      {"\\W+", "😀 — €"},
      {".", "😀a"},
      {"日本.", "日本語の日本人"},
      {"x*", "жx€"},
      {"ж+", "жжж"},
      {"(?i)ж{2}", "ЖжЖ"},
      {"[\\w-]+", "Straßen-Bahn"},
      {"(\\w)\\1", "жжaa"},
      {"(?i)(ж)\\1", "жЖ"},
      {"(?i)[^ж]", "Жжa"},
      {"(?s).{2}", "ж\n😀"},
      {"(?i)k", "K\u212A", " (0,1)", "ASCII letters keep their ASCII cases"},
      {"[а-я]+", "ёж", " (0,4)", "the r modifier adds ё to а-я"},
      {"\\w+", "e\u0301t", " (0,4)", "combining marks are word letters"},
  };
  using TChoice = TRegExpr::TMatcherChoice;
  for (const TCase& c : kCases) {
    const TMatches theirs = TheirMatches(c.Pattern, c.Subject);
    for (const TChoice choice :
         {TChoice::Backtracker, TChoice::ThreadMatcher, TChoice::Automatic}) {
      const TMatches ours = OurMatches(c.Pattern, c.Subject, choice);
      if (c.Why == nullptr) {
        EXPECT_EQ(ours, theirs) << c.Pattern << " in " << Visible(c.Subject) << ": ours"
                                << Listed(ours) << ", theirs" << Listed(theirs);
      } else {
        EXPECT_EQ(Listed(ours), c.Ours) << c.Pattern << " (" << c.Why << ")";
        EXPECT_NE(ours, theirs) << c.Pattern << " no longer differs: " << c.Why;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Differential, Grammar, testing::ValuesIn(kGrammars),
                         [](const testing::TestParamInfo<TGrammar>& param) {
                           return std::string(param.param.Name);
                         });

}  // namespace
}  // namespace fendrel

// Finds every match of typical patterns in real English text with Fendrel's engine and, in the
// same program over the same bytes, with the PCRE2 interpreter, PCRE2's JIT and std::regex; the
// last pattern is a replace-all with a "$1" template instead of a count.
//
// Every engine walks the matches the way TRegExpr::ExecNext does: the next search starts where
// the previous match ended, one byte further after an empty match. Counts that differ from ours
// mean two engines did different work, and the peer's benchmark fails with the two counts
// instead of reporting a time.
//
// Settings are mapped to ours: '.' matches line breaks by default (PCRE2_DOTALL) unless a
// pattern switches modifier s off, '$' matches only at the very end (PCRE2_DOLLAR_ENDONLY), and
// CR and LF both end a line ('.' without s skips both). Neither UTF nor UCP, and the C locale for
// std::regex: \w is [0-9A-Za-z_], our WordLetters, and case folds ASCII letters only, as our
// default case table does. std::regex has no "(?i)": a leading one becomes std::regex::icase.
// Our engine also runs every case over UTF-8 characters ("fendrel_utf8"), against PCRE2's JIT with
// UTF and UCP and RE2 over UTF-8, which then step over a character after an empty match.
//
// The texts come from $FENDREL_BENCH_DATA/en-sampled.txt and ru-sampled.txt (default: the shared
// data folder beside the repository): one copy, short lines, so std::regex's recursive matcher
// never runs deep on '.*'. An exception from any engine fails that benchmark with its message.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "regexpr/RegExpr.h"

#ifdef FENDREL_BENCH_RE2
#include <re2/re2.h>
#endif

namespace {

// A C++ source tree: Fendrel's own sources, the program's folders in name order, the generated
// tables left out, about 1.3 MB.
constexpr const char* kSourceTree = "cpp-sources";

std::string SourceTree() {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (const char* folder : {"cli", "engine", "platform", "records", "regexpr", "scan",
                             "settings", "ui", "tests"})
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(FENDREL_SOURCE_DIR) / folder)) {
      const fs::path& path = entry.path();
      if (entry.is_regular_file() && (path.extension() == ".cpp" || path.extension() == ".h") &&
          path.filename().string().find("Tables") == std::string::npos)
        files.push_back(path);
    }
  std::sort(files.begin(), files.end());
  std::string all;
  for (const fs::path& path : files) {
    if (all.size() >= 1'300'000) break;
    std::ifstream in(path, std::ios::binary);
    all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return all;
}

// The text of one data file, read once.
const std::string& Haystack(const std::string& file = "en-sampled.txt") {
  static std::map<std::string, std::string> texts;
  auto known = texts.find(file);
  if (known != texts.end()) return known->second;
  const std::string& text = texts[file] = [&file] {
    if (file == kSourceTree) return SourceTree();
    const char* dir = std::getenv("FENDREL_BENCH_DATA");
    const std::string path = std::string(dir ? dir : FENDREL_BENCH_DATA_DEFAULT) + "/" + file;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s (set FENDREL_BENCH_DATA)\n", path.c_str());
      std::exit(1);
    }
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (all.find('\0') != std::string::npos) {
      // Our engine ends a subject at its first NUL, the peers do not.
      std::fprintf(stderr, "%s holds a NUL byte\n", path.c_str());
      std::exit(1);
    }
    return all;
  }();
  return text;
}

struct TCase {
  const char* Label;
  const char* Pattern;    // as our engine and PCRE2 take it
  const char* Modifiers;  // for TRegExpr::SetModifierStr on top of our defaults; "" for none
  const char* Template;   // a replace-all with this template instead of counting; null for none
  long long Expected;     // our count over the whole text, checked once; -1 when not known
  const char* File = "en-sampled.txt";  // the text searched
};

// The data README gives 513 for "Sherlock Holmes". A replace-all's pattern never matches the
// empty string: pcre2_substitute and std::regex_replace step over empty matches their own way.
constexpr TCase kCases[] = {
    {"literal", "Sherlock Holmes", "", nullptr, 513},
    {"alternation", "Sherlock Holmes|John Watson|Irene Adler|Inspector Lestrade|Professor Moriarty",
     "", nullptr, -1},
    {"alternation_i",
     "(?i)Sherlock Holmes|John Watson|Irene Adler|Inspector Lestrade|Professor Moriarty", "",
     nullptr, -1},
    {"long_word", "\\b\\w{12,}\\b", "", nullptr, -1},
    {"letters_8_13", "[A-Za-z]{8,13}", "", nullptr, -1},
    {"word_holmes", "\\w+\\s+Holmes", "", nullptr, -1},
    {"repeated_word", "(\\w+)\\s+\\1", "", nullptr, -1},
    {"lines_dot_star", ".*", "-s", nullptr, -1},
    {"replace_holmes", "(\\w+)\\s+Holmes", "", "Mr. $1", -1},
    // UTF-8 Cyrillic: nearly every letter begins with the byte D0 or D1.
    {"ru_literal",
     "\xD0\xBF\xD0\xBE\xD1\x82\xD0\xBE\xD0\xBC\xD1\x83 "
     "\xD1\x87\xD1\x82\xD0\xBE",
     "", nullptr, -1, "ru-sampled.txt"},
    {"ru_word_then", "\\S+\\s+\xD1\x87\xD1\x82\xD0\xBE", "", nullptr, -1, "ru-sampled.txt"},
    // Searched as characters, where they differ from bytes (the UTF-8 runs below).
    {"ru_alternation_i", "(?i)сэр|мистер|доктор|капитан|полковник", "", nullptr, -1,
     "ru-sampled.txt"},
    {"ru_letters", "[а-яё]{6,}", "", nullptr, -1, "ru-sampled.txt"},
    {"ru_words", "\\w+", "", nullptr, -1, "ru-sampled.txt"},
    {"ru_lines", ".*", "-s", nullptr, -1, "ru-sampled.txt"},
    {"ru_replace_word", "(\\w+)\\s+что", "", "$1, что", -1, "ru-sampled.txt"},
    // Everyday patterns: a case-insensitive scan of lines, a class of rare bytes first,
    // line-anchored, word and class starts, in English and Russian text and in C++ sources.
    {"todo_i", "(?im-s)todo:?\\s*(.*)$", "", nullptr, -1},
    {"ru_todo_i", "(?im-s)todo:?\\s*(.*)$", "", nullptr, -1, "ru-sampled.txt"},
    {"src_todo_i", "(?im-s)todo:?\\s*(.*)$", "", nullptr, -1, kSourceTree},
    {"rare_bytes", "([\\xD0\\xD1][\\x80-\\xBF])+", "", nullptr, -1},
    {"include", "(?m)^\\s*#include\\s+\"([^\"]+)\"", "", nullptr, -1},
    {"ru_include", "(?m)^\\s*#include\\s+\"([^\"]+)\"", "", nullptr, -1, "ru-sampled.txt"},
    {"src_include", "(?m)^\\s*#include\\s+\"([^\"]+)\"", "", nullptr, -1, kSourceTree},
    {"src_exec_call", "\\bExec\\(", "", nullptr, -1, kSourceTree},
    {"two_names", "[A-Z][a-z]+ [A-Z][a-z]+", "", nullptr, -1},
    {"date", "(\\d{4})-(\\d{2})-(\\d{2})", "", nullptr, -1},
    {"src_date", "(\\d{4})-(\\d{2})-(\\d{2})", "", nullptr, -1, kSourceTree},
};

// Whether '.' matches line breaks under the case's modifiers, as our engine reads them.
bool DotAll(const TCase& c) {
  fendrel::TRegExpr regExpr;
  regExpr.SetModifierStr(c.Modifiers);
  return (regExpr.Modifiers & fendrel::kModS) != 0;
}

// ---- Fendrel

// Each case runs twice for our engine: over bytes, as single-byte code pages have it, and over
// UTF-8 characters; each with its own reference figures.
enum TText { kBytes, kUtf8 };

void Prepare(fendrel::TRegExpr& regExpr, const TCase& c, TText text) {
  regExpr.Utf8 = text == kUtf8;
  regExpr.SetModifierStr(c.Modifiers);
  regExpr.SetExpression(c.Pattern);
  regExpr.Compile();
}

// The subject is viewed in place, as a rewrite's text runs are; Exec would copy it first.
long long CountOurs(fendrel::TRegExpr& regExpr, std::string_view text) {
  long long matches = 0;
  regExpr.SetInputView(text);
  for (bool found = regExpr.ExecPos(1); found; found = regExpr.ExecNext())
    ++matches;
  return matches;
}

// Into `result`, whose capacity is kept between passes as the peers keep their buffers.
long long ReplaceOurs(fendrel::TRegExpr& regExpr, std::string_view text,
                      std::string_view replacement, std::string& result) {
  result.clear();
  int64_t counter = 0;
  regExpr.ReplaceEach(text, replacement, true, counter,
                      [&result](std::string_view piece) { result += piece; });
  return counter;
}

// Our figures for a case over `text`, found once outside every timing: what the peers must
// reproduce.
struct TReference {
  long long Count = -1;
  // Backtracking steps: of all searches for each character, and the most one search took for
  // each character from its start to the end (what the budget of a search grows with).
  double StepsPerChar = 0, MaxSearchStepsPerChar = 0;
  std::string Replaced;
  std::string Error;
};

TReference OursOnce(const TCase& c, std::string_view text, TText unit = kBytes) {
  TReference ref;
  try {
    fendrel::TRegExpr regExpr;
    Prepare(regExpr, c, unit);
    if (c.Template)
      ref.Count = ReplaceOurs(regExpr, text, c.Template, ref.Replaced);
    else
      ref.Count = CountOurs(regExpr, text);
    if (!c.Template) {
      double steps = 0, searchStart = 0;
      regExpr.SetInputView(text);
      for (bool found = regExpr.ExecPos(1);; found = regExpr.ExecNext()) {
        const double fromStart = std::max(1.0, static_cast<double>(text.size()) - searchStart + 1);
        const double spent = static_cast<double>(regExpr.LastSearchSteps());
        steps += spent;
        ref.MaxSearchStepsPerChar = std::max(ref.MaxSearchStepsPerChar, spent / fromStart);
        if (!found) break;
        const int32_t length = regExpr.MatchLength(0);
        searchStart = regExpr.MatchOffset(0) - 1 + length + (length == 0 ? 1 : 0);
      }
      ref.StepsPerChar = steps / static_cast<double>(text.size());
    }
  } catch (const fendrel::ERegExpr& e) {
    ref.Error = std::string("Fendrel error ") + std::to_string(e.ErrorNumber) + ": " + e.what();
  }
  return ref;
}

// `c` is an element of kCases.
const TReference& Reference(const TCase& c, TText unit) {
  static std::optional<TReference> known[2][std::size(kCases)];
  std::optional<TReference>& ref = known[unit][&c - kCases];
  if (!ref) ref = OursOnce(c, Haystack(c.File), unit);
  return *ref;
}

// Sets the counters and fails the benchmark when `count` (and `replaced`, for a replace-all)
// differ from ours over the same text.
void Report(benchmark::State& state, const TCase& c, std::string_view text, long long count,
            const std::string* replaced, TText unit = kBytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters[c.Template ? "replacements" : "matches"] = static_cast<double>(count);
  if (replaced) state.counters["output_bytes"] = static_cast<double>(replaced->size());
  const TReference& ref = Reference(c, unit);
  std::string error;
  if (!ref.Error.empty()) {
    error = ref.Error;
  } else if (count != ref.Count) {
    error = "count " + std::to_string(count) + ", Fendrel's " + std::to_string(ref.Count);
  } else if (replaced && *replaced != ref.Replaced) {
    error = "replaced text differs from Fendrel's (" + std::to_string(replaced->size()) +
            " bytes, Fendrel's " + std::to_string(ref.Replaced.size()) + ")";
  } else if (c.Expected >= 0 && count != c.Expected && unit == kBytes) {
    error = "count " + std::to_string(count) + ", expected " + std::to_string(c.Expected);
  }
  if (!error.empty()) state.SkipWithError(error.c_str());
}

void BM_Ours(benchmark::State& state, const TCase* which, TText unit) {
  const TCase& c = *which;
  const std::string_view text = Haystack(c.File);
  fendrel::TRegExpr regExpr;
  long long count = -1;
  std::string replaced;
  try {
    Prepare(regExpr, c, unit);
    for (auto _ : state) {
      if (c.Template)
        count = ReplaceOurs(regExpr, text, c.Template, replaced);
      else
        count = CountOurs(regExpr, text);
      benchmark::DoNotOptimize(count);
    }
  } catch (const fendrel::ERegExpr& e) {
    const std::string error = "error " + std::to_string(e.ErrorNumber) + ": " + e.what();
    state.SkipWithError(error.c_str());
    return;
  }
  Report(state, c, text, count, c.Template ? &replaced : nullptr, unit);
  if (!c.Template) {
    state.counters["steps_per_char"] = Reference(c, unit).StepsPerChar;
    state.counters["max_search_steps_per_char"] = Reference(c, unit).MaxSearchStepsPerChar;
  }
}

// ---- PCRE2

struct TPcre2 {
  pcre2_code* Code = nullptr;
  pcre2_match_data* Data = nullptr;
  std::string Error;

  // With `unit` kUtf8 by characters, \w \d \s \b by Unicode's classes.
  TPcre2(const TCase& c, bool jit, TText unit = kBytes) {
    // CR and LF end a line, as our LineBreakChars: '.' without s skips both.
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
    const uint32_t options = PCRE2_DOLLAR_ENDONLY | (DotAll(c) ? PCRE2_DOTALL : 0) |
                             (unit == kUtf8 ? PCRE2_UTF | PCRE2_UCP : 0);
    int code = 0;
    PCRE2_SIZE offset = 0;
    Code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(c.Pattern), PCRE2_ZERO_TERMINATED, options,
                         &code, &offset, context);
    pcre2_compile_context_free(context);
    if (!Code) {
      Error = "PCRE2 compile error at " + std::to_string(offset) + ": " + Message(code);
      return;
    }
    if (jit && (code = pcre2_jit_compile(Code, PCRE2_JIT_COMPLETE)) != 0) {
      Error = "PCRE2 JIT compile: " + Message(code);
      return;
    }
    Data = pcre2_match_data_create_from_pattern(Code, nullptr);
  }
  ~TPcre2() {
    pcre2_match_data_free(Data);
    pcre2_code_free(Code);
  }
  TPcre2(const TPcre2&) = delete;
  TPcre2& operator=(const TPcre2&) = delete;

  static std::string Message(int code) {
    PCRE2_UCHAR buffer[256];
    pcre2_get_error_message(code, buffer, sizeof buffer);
    return reinterpret_cast<const char*>(buffer);
  }
};

// Counts the matches; a negative result is a PCRE2 error code. pcre2_match runs the JIT code
// when the pattern has some, the interpreter otherwise.
// The search after an empty match starts one character further (a byte over bytes).
std::size_t Behind(std::string_view text, std::size_t at, TText unit) {
  ++at;
  while (unit == kUtf8 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
    ++at;
  return at;
}

long long CountPcre2(const TPcre2& re, std::string_view text, TText unit = kBytes) {
  const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  long long matches = 0;
  for (PCRE2_SIZE start = 0; start <= text.size();) {
    // The texts are valid UTF-8: checking the whole text again at every match would make the
    // count quadratic.
    const int rc = pcre2_match(re.Code, subject, text.size(), start,
                               unit == kUtf8 ? PCRE2_NO_UTF_CHECK : 0, re.Data, nullptr);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) return rc;
    const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(re.Data);
    ++matches;
    start = vector[1] == vector[0] ? Behind(text, vector[1], unit) : vector[1];
  }
  return matches;
}

// pcre2_substitute into `buffer` (kept between passes, grown when too small), the result's
// length in `length`; returns the number of replacements or a PCRE2 error code.
int SubstitutePcre2(const TPcre2& re, std::string_view text, const char* replacement,
                    std::string& buffer, PCRE2_SIZE& length) {
  for (;;) {
    length = buffer.size();
    const int rc =
        pcre2_substitute(re.Code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0,
                         PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH, re.Data,
                         nullptr, reinterpret_cast<PCRE2_SPTR>(replacement), PCRE2_ZERO_TERMINATED,
                         reinterpret_cast<PCRE2_UCHAR*>(buffer.data()), &length);
    if (rc != PCRE2_ERROR_NOMEMORY) return rc;
    buffer.resize(length);
  }
}

void BM_Pcre2(benchmark::State& state, const TCase* which, bool jit, TText unit) {
  const TCase& c = *which;
  const std::string_view text = Haystack(c.File);
  const TPcre2 re(c, jit, unit);
  if (!re.Error.empty()) {
    state.SkipWithError(re.Error.c_str());
    return;
  }
  long long count = -1;
  std::string buffer(c.Template ? text.size() * 2 : 0, '\0');
  PCRE2_SIZE length = 0;
  for (auto _ : state) {
    if (c.Template) {
      count = SubstitutePcre2(re, text, c.Template, buffer, length);
    } else {
      count = CountPcre2(re, text, unit);
    }
    benchmark::DoNotOptimize(count);
    if (count < 0) break;
  }
  if (count < 0) {
    const std::string error = "PCRE2 error: " + TPcre2::Message(static_cast<int>(count));
    state.SkipWithError(error.c_str());
    return;
  }
  const std::string replaced = buffer.substr(0, length);
  Report(state, c, text, count, c.Template ? &replaced : nullptr, unit);
}

// ---- std::regex

long long CountStdRegex(const std::regex& re, std::string_view text) {
  const char* begin = text.data();
  std::cmatch match;
  long long matches = 0;
  for (std::size_t start = 0; start <= text.size();) {
    // The text before `start` is still there: \b and ^ must see it, as with the other engines.
    const auto flags =
        start == 0 ? std::regex_constants::match_default : std::regex_constants::match_prev_avail;
    if (!std::regex_search(begin + start, begin + text.size(), match, re, flags)) break;
    ++matches;
    const auto end = static_cast<std::size_t>(match[0].second - begin);
    start = match.length(0) == 0 ? end + 1 : end;
  }
  return matches;
}

void BM_StdRegex(benchmark::State& state, const TCase* which) {
  const TCase& c = *which;
  const std::string_view text = Haystack(c.File);
  std::string_view pattern = c.Pattern;
  auto flags = std::regex::ECMAScript;
  if (pattern.starts_with("(?i)")) {
    pattern.remove_prefix(4);
    flags |= std::regex::icase;
  }
  long long count = -1;
  std::string replaced;
  try {
    const std::regex re(pattern.begin(), pattern.end(), flags);
    for (auto _ : state) {
      if (c.Template) {
        replaced.clear();
        std::regex_replace(std::back_inserter(replaced), text.begin(), text.end(), re, c.Template);
        benchmark::DoNotOptimize(replaced.data());
      } else {
        count = CountStdRegex(re, text);
        benchmark::DoNotOptimize(count);
      }
    }
    // regex_replace does not count; the same pattern's matches, untimed.
    if (c.Template) count = CountStdRegex(re, text);
  } catch (const std::exception& e) {
    const std::string error = std::string("std::regex exception: ") + e.what();
    state.SkipWithError(error.c_str());
    return;
  }
  Report(state, c, text, count, c.Template ? &replaced : nullptr);
}

}  // namespace

// Patterns beyond the timed set whose backtracking steps show what the budget of a search must
// allow: nested and lazy repetitions that stay linear in the text, and one that does not.
constexpr TCase kSizingCases[] = {
    {"words_then_holmes", "(\\w+\\s+)+Holmes", "", nullptr, -1},
    {"three_fields", "(.*?,){3}", "-s", nullptr, -1},
    {"quoted", "\"[^\"]*\"", "", nullptr, -1},
    {"word_ing", "[a-z]+ing\\b", "", nullptr, -1},
    {"a_or_b_then_c", "(a|b)*c", "", nullptr, -1},
    {"mail", "\\w+@\\w+\\.com", "", nullptr, -1},
    {"cubic", "(.*)(.*)(.*)x", "", nullptr, -1},
};

// `--steps`: prints the backtracking steps of every case over the text instead of timing.
void PrintSteps() {
  std::printf("%-20s %12s %14s  %s\n", "case", "steps/char", "max per search", "result");
  const auto print = [](const TCase& c, const TReference& ref) {
    std::printf(
        "%-20s %12.3f %14.3f  %s\n", c.Label, ref.StepsPerChar, ref.MaxSearchStepsPerChar,
        ref.Error.empty() ? (std::to_string(ref.Count) + " matches").c_str() : ref.Error.c_str());
  };
  for (const TCase& c : kCases)
    if (!c.Template) print(c, Reference(c, kBytes));
  for (const TCase& c : kSizingCases)
    print(c, OursOnce(c, Haystack()));
}

#ifdef FENDREL_BENCH_RE2
// ---- RE2: byte by byte (Latin-1) as our engine reads, '.' as ours; no back-references.

bool HasBackReference(const TCase& c) {
  return std::string_view(c.Pattern).find("\\1") != std::string_view::npos;
}

// Matches stepped over as ours: after an empty match the next search starts one further.
long long CountRe2(const RE2& re, std::string_view text, TText unit) {
  long long matches = 0;
  re2::StringPiece match;
  const re2::StringPiece subject(text.data(), text.size());
  for (std::size_t start = 0; start <= text.size();) {
    if (!re.Match(subject, start, text.size(), RE2::UNANCHORED, &match, 1)) break;
    ++matches;
    const auto end = static_cast<std::size_t>(match.data() - text.data()) + match.size();
    start = match.empty() ? Behind(text, end, unit) : end;
  }
  return matches;
}

// Over UTF-8 its \w and \s are ASCII: they are spelled out with Unicode's classes, as ours
// have them. Its \b stays ASCII, so it is not a peer for the cases that use one.
std::string Re2Pattern(const TCase& c, TText unit) {
  std::string pattern = c.Pattern;
  if (unit == kBytes) return pattern;
  const std::pair<const char*, const char*> kSpelled[] = {{"\\w", "[\\p{L}\\p{M}\\p{Nd}\\p{Pc}]"},
                                                          {"\\W", "[^\\p{L}\\p{M}\\p{Nd}\\p{Pc}]"},
                                                          {"\\s", "[\\t-\\r\\x{85}\\p{Z}]"},
                                                          {"\\S", "[^\\t-\\r\\x{85}\\p{Z}]"}};
  for (const auto& [from, to] : kSpelled)
    for (std::size_t at = 0; (at = pattern.find(from, at)) != std::string::npos; at += 1)
      pattern.replace(at, 2, to);
  return pattern;
}

void BM_Re2(benchmark::State& state, const TCase* which, TText unit) {
  const TCase& c = *which;
  const std::string_view text = Haystack(c.File);
  RE2::Options options;
  options.set_encoding(unit == kUtf8 ? RE2::Options::EncodingUTF8 : RE2::Options::EncodingLatin1);
  options.set_dot_nl(DotAll(c));
  options.set_log_errors(false);
  const RE2 re(Re2Pattern(c, unit), options);
  if (!re.ok()) {
    state.SkipWithError(("RE2: " + re.error()).c_str());
    return;
  }
  // RE2 writes group references as \1.
  std::string rewrite = c.Template ? c.Template : "";
  for (std::size_t at = 0; (at = rewrite.find('$', at)) != std::string::npos;)
    rewrite[at] = '\\';
  long long count = 0;
  std::string replaced;
  for (auto _ : state) {
    if (c.Template) {
      replaced.assign(text);
      count = RE2::GlobalReplace(&replaced, re, rewrite);
    } else {
      count = CountRe2(re, text, unit);
    }
    benchmark::DoNotOptimize(count);
  }
  Report(state, c, text, count, c.Template ? &replaced : nullptr, unit);
}
#endif

int main(int argc, char** argv) {
  for (const TCase& c : kCases)
    Haystack(c.File);  // read once, outside every timing
  if (argc > 1 && std::string_view(argv[1]) == "--steps") {
    PrintSteps();
    return 0;
  }
  for (const TCase& c : kCases) {
    const std::string name = std::string(c.Template ? "replace/" : "match/") + c.Label + "/";
    benchmark::RegisterBenchmark((name + "fendrel").c_str(), BM_Ours, &c, kBytes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "fendrel_utf8").c_str(), BM_Ours, &c, kUtf8)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "pcre2").c_str(), BM_Pcre2, &c, false, kBytes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "pcre2_jit").c_str(), BM_Pcre2, &c, true, kBytes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "pcre2_jit_utf8").c_str(), BM_Pcre2, &c, true, kUtf8)
        ->Unit(benchmark::kMillisecond);
    // std::regex knows no inline modifiers but a leading "(?i)", which becomes icase.
    const std::string_view pattern = c.Pattern;
    if (pattern.find("(?", pattern.starts_with("(?i)") ? 4 : 0) == std::string_view::npos)
      benchmark::RegisterBenchmark((name + "std_regex").c_str(), BM_StdRegex, &c)
          ->Unit(benchmark::kMillisecond);
#ifdef FENDREL_BENCH_RE2
    if (!HasBackReference(c)) {
      benchmark::RegisterBenchmark((name + "re2").c_str(), BM_Re2, &c, kBytes)
          ->Unit(benchmark::kMillisecond);
      if (std::string_view(c.Pattern).find("\\b") == std::string_view::npos)
        benchmark::RegisterBenchmark((name + "re2_utf8").c_str(), BM_Re2, &c, kUtf8)
            ->Unit(benchmark::kMillisecond);
    }
#endif
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

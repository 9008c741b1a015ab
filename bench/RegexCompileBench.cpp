// Compiling typical patterns: two linear passes and one allocation per pattern.
#include <benchmark/benchmark.h>

#include <set>
#include <string>

#include "regexpr/RegExpr.h"

namespace {

// What users type: words, alternations, classes, groups with repetition, template captures.
const char* const kPatterns[] = {
    "Sherlock Holmes",
    "colou?r",
    "\\bfoo\\b",
    "(Sherlock|Holmes|Watson)",
    "[A-Z][a-z]+ [A-Z][a-z]+",
    "^\\s*#\\s*include\\s*[<\"]([^>\"]+)[>\"]",
    "(\\w+)=(\\w+)",
    "\\d{4}-\\d{2}-\\d{2}",
    "(?i)copyright\\s+\\d{4}(,\\s*\\d{4})*",
    "(a|b)*?c{2,5}[^\\r\\n]*$",
};

void BM_CompileTypicalPatterns(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* pattern : kPatterns) {
      fendrel::TRegExpr regExpr;
      regExpr.SetExpression(pattern);
      regExpr.Compile();
      benchmark::DoNotOptimize(regExpr.Program().data());
    }
  }
  state.counters["ns_per_pattern"] =
      benchmark::Counter(static_cast<double>(state.iterations() * std::size(kPatterns)),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CompileTypicalPatterns);

// The same with one object, recompiling: the cost of the compile alone, without construction.
void BM_RecompileOnePattern(benchmark::State& state) {
  fendrel::TRegExpr regExpr;
  const char* pattern = kPatterns[state.range(0)];
  for (auto _ : state) {
    regExpr.SetExpression("");
    regExpr.SetExpression(pattern);
    regExpr.Compile();
    benchmark::DoNotOptimize(regExpr.Program().data());
  }
  state.SetLabel(pattern);
}
BENCHMARK(BM_RecompileOnePattern)->DenseRange(0, std::size(kPatterns) - 1);

// A long list of words as one alternation, as users build to replace many names at once:
// 16,666 distinct made-up words of 3 to 9 letters, 116 KB of pattern.
const std::string& WordAlternation() {
  static const std::string pattern = [] {
    std::set<std::string> words;
    unsigned seed = 12345;
    while (words.size() < 16666) {
      std::string word;
      const unsigned length = 3 + (seed >> 16) % 7;
      for (unsigned i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        word += static_cast<char>('a' + (seed >> 16) % 26);
      }
      words.insert(word);
    }
    std::string joined;
    for (const std::string& word : words)
      joined += (joined.empty() ? "" : "|") + word;
    return joined;
  }();
  return pattern;
}

void BM_CompileWordAlternation(benchmark::State& state) {
  const std::string& pattern = WordAlternation();
  for (auto _ : state) {
    fendrel::TRegExpr regExpr;
    regExpr.SetExpression(pattern);
    regExpr.Compile();
    benchmark::DoNotOptimize(regExpr.Program().data());
  }
  state.SetLabel(std::to_string(pattern.size()) + " bytes");
}
BENCHMARK(BM_CompileWordAlternation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Compiling typical patterns: two linear passes and one allocation per pattern.
#include <benchmark/benchmark.h>

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

}  // namespace

BENCHMARK_MAIN();

// Times TLiteralSearcher::Find walking every match of a literal through 64 copies of real
// English text held in memory, exactly and ignoring case, so the two modes can be compared
// without the disk in the way. The literals differ in what makes a search slow: many matches,
// a short needle, almost no matches, and bytes that are all common in English.
//
// The text comes from $FENDREL_BENCH_DATA/en-sampled.txt (default: the shared data folder
// beside the repository).
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/LiteralSearcher.h"
#include "platform/CodePage.h"

namespace {

constexpr int kCopies = 64;

const std::string& Haystack() {
  static const std::string text = [] {
    const char* dir = std::getenv("FENDREL_BENCH_DATA");
    const std::string path =
        std::string(dir ? dir : FENDREL_BENCH_DATA_DEFAULT) + "/en-sampled.txt";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s (set FENDREL_BENCH_DATA)\n", path.c_str());
      std::exit(1);
    }
    const std::string one((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string all;
    all.reserve(one.size() * kCopies);
    for (int i = 0; i < kCopies; ++i)
      all += one;
    return all;
  }();
  return text;
}

struct TCase {
  const char* Label;
  const char* Needle;
  long long ExactPerCopy;  // matches per copy when case matters, -1 when not checked
};

// The data README gives 513 for "Sherlock Holmes"; a count that differs means the benchmark
// is not timing the search it claims to.
constexpr TCase kCases[] = {
    {"sherlock_holmes", "Sherlock Holmes", 513},
    {"short_the", "the", -1},
    {"rare_quixotic", "quixotic", 1},
    {"common_evening", "evening", -1},
};

void FindAll(benchmark::State& state, const TCase& c, bool ignoreCase) {
  const std::string& text = Haystack();
  const fendrel::TLiteralSearcher searcher(c.Needle, ignoreCase);
  const std::size_t length = std::char_traits<char>::length(c.Needle);
  long long matches = 0;
  for (auto _ : state) {
    matches = 0;
    const char* end = text.data() + text.size();
    for (const char* at = text.data(); (at = searcher.Find(at, end)) != nullptr; at += length)
      ++matches;
    benchmark::DoNotOptimize(matches);
  }
  if (!ignoreCase && c.ExactPerCopy >= 0 && matches != c.ExactPerCopy * kCopies)
    state.SkipWithError("unexpected number of matches");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["matches"] = static_cast<double>(matches);
}

}  // namespace

int main(int argc, char** argv) {
  // The same case table as fendrel-cli in this environment.
  const bool localeLoaded = std::setlocale(LC_CTYPE, "") != nullptr;
  fendrel::SelectCaseTable(fendrel::CaseTableFromLocale(localeLoaded));
  Haystack();  // read once, outside every timing
  for (const TCase& c : kCases) {
    for (const bool ignoreCase : {false, true}) {
      const std::string name = std::string("find/") + (ignoreCase ? "ci/" : "cs/") + c.Label;
      benchmark::RegisterBenchmark(name.c_str(), FindAll, c, ignoreCase)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

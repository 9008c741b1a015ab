// Times TLiteralSearcher::Find walking every match of a literal through 64 copies of real text
// held in memory, exactly and ignoring case, so the two modes can be compared without the disk
// in the way. The literals differ in what makes a search slow: many matches, a short needle,
// almost no matches, bytes that are all common in English, letters with forms beyond ASCII
// (the k and s of "Sherlock Holmes"), and Cyrillic words in Russian text, where ignoring case
// compares characters by their case folding.
//
// The texts come from $FENDREL_BENCH_DATA/en-sampled.txt and ru-sampled.txt (default: the shared
// data folder beside the repository).
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "engine/LiteralSearcher.h"
#include "platform/CodePage.h"

namespace {

constexpr int kCopies = 64;

const std::string& Haystack(const std::string& name) {
  static std::map<std::string, std::string> texts;
  std::string& all = texts[name];
  if (!all.empty()) return all;
  const char* dir = std::getenv("FENDREL_BENCH_DATA");
  const std::string path = std::string(dir ? dir : FENDREL_BENCH_DATA_DEFAULT) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s (set FENDREL_BENCH_DATA)\n", path.c_str());
    std::exit(1);
  }
  const std::string one((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  all.reserve(one.size() * kCopies);
  for (int i = 0; i < kCopies; ++i)
    all += one;
  return all;
}

struct TCase {
  const char* Label;
  const char* Text;
  const char* Needle;
  long long ExactPerCopy;   // matches per copy when case matters, -1 when not checked
  long long FoldedPerCopy;  // and ignoring case
};

// The data README gives 513 for "Sherlock Holmes"; a count that differs means the benchmark
// is not timing the search it claims to.
constexpr TCase kCases[] = {
    {"sherlock_holmes", "en-sampled.txt", "Sherlock Holmes", 513, 522},
    {"short_the", "en-sampled.txt", "the", -1, -1},
    {"rare_quixotic", "en-sampled.txt", "quixotic", 1, -1},
    {"common_evening", "en-sampled.txt", "evening", -1, -1},
    {"ru_sherlock_holmes", "ru-sampled.txt", "Шерлок Холмс", 724, 746},
    {"ru_privet", "ru-sampled.txt", "привет", 37, 173},
    {"ru_common_chto", "ru-sampled.txt", "что", 3197, 3974},
};

void FindAll(benchmark::State& state, const TCase& c, bool ignoreCase) {
  const std::string& text = Haystack(c.Text);
  const fendrel::TLiteralSearcher searcher(c.Needle, ignoreCase);
  long long matches = 0;
  for (auto _ : state) {
    matches = 0;
    const char* end = text.data() + text.size();
    const char* matchEnd = nullptr;
    for (const char* at = text.data(); searcher.Find(at, end, matchEnd) != nullptr; at = matchEnd)
      ++matches;
    benchmark::DoNotOptimize(matches);
  }
  const long long expected = ignoreCase ? c.FoldedPerCopy : c.ExactPerCopy;
  if (expected >= 0 && matches != expected * kCopies)
    state.SkipWithError("unexpected number of matches");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["matches"] = static_cast<double>(matches);
}

}  // namespace

int main(int argc, char** argv) {
  // The same case table as fendrel-cli in this environment.
  const bool localeLoaded = std::setlocale(LC_CTYPE, "") != nullptr;
  fendrel::SelectCaseTable(fendrel::CaseTableFromLocale(localeLoaded));
  for (const TCase& c : kCases) {
    Haystack(c.Text);  // read once, outside every timing
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

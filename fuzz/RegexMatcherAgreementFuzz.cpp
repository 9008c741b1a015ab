// Runs an arbitrary pattern over an arbitrary subject with the backtracker alone, the thread
// matcher alone and the engine's own choice, under arbitrary line breaks, word letters and case
// flip: every match of the search chain (Exec, then ExecNext until nothing is found) and its
// groups must be the same in all three, or the program stops with the case on stderr. A search
// that exhausts the backtracker's budget (error 1016) leaves nothing to compare.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "regexpr/RegExpr.h"

namespace {

using fendrel::ERegExpr;
using fendrel::TRegExpr;

constexpr const char kDefaultWordLetters[] =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
constexpr int kGroups = 15;
constexpr int kMostSearches = 64;  // of one chain: enough to pass every kind of step
constexpr int32_t kBacktrackingLimit = 1016;

const char* const kLineBreaks[] = {"\r\n", "\n", "\r", ";", "\x85", ";\n", ":\r\n\x85", ""};
const char* const kPairs[] = {"\r\n", "", ";:", "\n\r"};

std::string WordLettersOf(int choice) {
  std::string letters = kDefaultWordLetters;
  if (choice == 1) letters += '-';
  if (choice == 2) letters.erase(0, 10);  // no digits
  if (choice == 3)
    for (int c = 0xC0; c <= 0xFF; ++c)
      letters += static_cast<char>(c);
  return letters;
}

// ASCII letters, and with `cyrillic` those of code page 1251 (0xC0-0xDF with 0xE0-0xFF, 0xA8
// with 0xB8).
fendrel::TCaseFlipTable CaseFlipOf(bool cyrillic) {
  fendrel::TCaseFlipTable table = TRegExpr::DefaultCaseFlip();
  if (!cyrillic) return table;
  for (int c = 0xC0; c <= 0xDF; ++c) {
    table[c] = static_cast<unsigned char>(c + 32);
    table[c + 32] = static_cast<unsigned char>(c);
  }
  table[0xA8] = 0xB8;
  table[0xB8] = 0xA8;
  return table;
}

// Every search of the chain: whether it found, and offset and length of every group; the error
// that ended the chain, if any.
struct TChain {
  std::vector<std::array<int32_t, 2 * kGroups + 1>> Searches;
  int32_t Error = 0;
  bool operator==(const TChain&) const = default;
};

TChain RunChain(TRegExpr& regExpr, std::string_view subject) {
  TChain chain;
  try {
    bool found = regExpr.Exec(subject);
    for (int n = 0;; ++n) {
      auto& search = chain.Searches.emplace_back();
      search[0] = found;
      for (int g = 0; g < kGroups; ++g) {
        search[1 + 2 * g] = regExpr.MatchOffset(g);
        search[2 + 2 * g] = regExpr.MatchLength(g);
      }
      if (!found || n == kMostSearches) break;
      found = regExpr.ExecNext();
    }
  } catch (const ERegExpr& e) {
    chain.Error = e.ErrorNumber;
  }
  return chain;
}

void Print(const char* name, const TChain& chain) {
  std::fprintf(stderr, "%s:", name);
  for (const auto& search : chain.Searches) {
    std::fprintf(stderr, " [");
    if (search[0] == 0) std::fprintf(stderr, "no match");
    for (int g = 0; g < kGroups && search[0] != 0; ++g)
      if (search[1 + 2 * g] >= 0)
        std::fprintf(stderr, " %d:(%d,%d)", g, search[1 + 2 * g], search[2 + 2 * g]);
    std::fprintf(stderr, " ]");
  }
  if (chain.Error != 0) std::fprintf(stderr, " error %d", chain.Error);
  std::fprintf(stderr, "\n");
}

void PrintBytes(const char* name, std::string_view text) {
  std::fprintf(stderr, "%s \"", name);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\')
      std::fputc(c, stderr);
    else
      std::fprintf(stderr, "\\x%02X", byte);
  }
  std::fprintf(stderr, "\"\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  // Byte 0 chooses the modifiers, byte 1 the settings (line breaks: bits 0-2, paired separator:
  // 3-4, word letters: 5-6, case flip: 7), byte 2 how much of the rest is the pattern; the rest
  // of the rest is the subject.
  const std::size_t patternLength = std::min<std::size_t>(data[2], size - 3);
  const std::string_view pattern(reinterpret_cast<const char*>(data + 3), patternLength);
  const std::string_view subject(reinterpret_cast<const char*>(data + 3 + patternLength),
                                 size - 3 - patternLength);
  const char* const lineBreaks = kLineBreaks[data[1] & 7];
  const char* const pair = kPairs[(data[1] >> 3) & 3];
  const std::string wordLetters = WordLettersOf((data[1] >> 5) & 3);
  const bool cyrillic = (data[1] & 0x80) != 0;

  using TChoice = TRegExpr::TMatcherChoice;
  const TChoice kChoices[] = {TChoice::Backtracker, TChoice::ThreadMatcher, TChoice::Automatic};
  const char* const kNames[] = {"backtracker", "thread matcher", "automatic"};
  TChain chains[3];
  for (int m = 0; m < 3; ++m) {
    TRegExpr regExpr;
    regExpr.Modifiers = data[0] & 0x3F;
    regExpr.LineBreakChars = lineBreaks;
    regExpr.SetLinePairedSeparator(pair);
    regExpr.WordLetters = wordLetters;
    regExpr.CaseFlip = CaseFlipOf(cyrillic);
    regExpr.MatcherChoice = kChoices[m];
    regExpr.SetExpression(pattern);
    try {
      regExpr.Compile();
    } catch (const ERegExpr&) {
      return 0;
    }
    chains[m] = RunChain(regExpr, subject);
    if (m == 0 && chains[0].Error == kBacktrackingLimit) return 0;
  }
  for (int m = 1; m < 3; ++m) {
    if (chains[m] == chains[0]) continue;
    std::fprintf(stderr, "%s differs from the backtracker\nmodifiers %d settings 0x%02X\n",
                 kNames[m], data[0] & 0x3F, data[1]);
    PrintBytes("pattern", pattern);
    PrintBytes("subject", subject);
    Print(kNames[0], chains[0]);
    Print(kNames[m], chains[m]);
    std::abort();
  }
  return 0;
}

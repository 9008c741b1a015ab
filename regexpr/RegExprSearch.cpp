// The search driver: the subject, the program check, the one choice of the matcher that
// searches (TRegExpr::Search) and of the way to the groups of a match (FindGroups), and the three
// ways in which the backtracker chooses where to attempt a match (only at the start, at each
// occurrence of the anchor literal, or at each position whose character can begin a match).
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "RegExpr.h"
#include "RegExprAnalysis.h"
#include "RegExprAutomaton.h"
#include "RegExprBacktracker.h"
#include "RegExprCharSet.h"
#include "RegExprLiteralFinder.h"
#include "RegExprNodeFlags.h"
#include "RegExprOpcodes.h"
#include "RegExprThreadMatcher.h"

namespace fendrel {
namespace {

// Backtracking steps a search may take: enough that no pattern working in linear time ever
// runs out, bounded so that a pattern that would backtrack exponentially ends with an error.
constexpr int64_t kBudgetBase = 1'000'000;
constexpr int64_t kBudgetPerChar = 1'000;
// A program the threads can run is handed over to the automaton or the thread matcher much
// sooner, with the same result: a backtracking step costs about five nanoseconds, a character
// of the automaton a few, of the thread matcher a few hundred. Patterns that work in linear
// time take a few steps per character at most; past this many, a search over 10 MB has spent a
// second, and the automaton answers in a fraction of one.
constexpr int64_t kHandOverPerChar = 25;

}  // namespace

// The literal finders of a program, made at its first search that needs them with the case table
// its nodes were marked with: a chain of searches, one per match, makes them once.
struct TRegExpr::TFinders {
  std::optional<TLiteralFinder> Anchor, Inner, Reached, Required;
  std::optional<TByteSetFinder> First;   // for first characters found many places at a time
  std::optional<TByteSetFinder> Breaks;  // the bytes a line can begin behind
  std::optional<TByteSetFinder> Ends;    // the bytes a line can end at
  // The bytes a run of any characters may end at, by whether it stops at line breaks: those a
  // line can end at, and those beyond ASCII.
  std::optional<TByteSetFinder> CharacterStops[2];
};

TCharSet TRegExpr::LineEndBytes() const {
  TCharSet ends = FLineBreakSet;
  if (FPairSet) ends.set(FPairHead);
  return ends;
}

const TByteSetFinder& TRegExpr::CharacterStopFinder(bool atBreaks) {
  if (!FFinders) FFinders = std::make_shared<TFinders>();
  std::optional<TByteSetFinder>& finder = FFinders->CharacterStops[atBreaks ? 1 : 0];
  if (!finder) {
    TCharSet stops = atBreaks ? LineEndBytes() : TCharSet();
    for (int c = 0x80; c < 256; ++c)
      stops.set(static_cast<std::size_t>(c));
    finder.emplace(stops);
  }
  return *finder;
}

const TByteSetFinder& TRegExpr::LineEndFinder() {
  if (!FFinders) FFinders = std::make_shared<TFinders>();
  if (!FFinders->Ends) FFinders->Ends.emplace(LineEndBytes());
  return *FFinders->Ends;
}

const TLiteralFinder& TRegExpr::Finder(std::optional<TLiteralFinder> TFinders::*which) {
  if (!FFinders) FFinders = std::make_shared<TFinders>();
  std::optional<TLiteralFinder>& finder = (*FFinders).*which;
  if (finder) return *finder;
  if (which == &TFinders::Anchor)
    finder.emplace(std::string_view(FAnchorText, static_cast<std::size_t>(FAnchorLen)),
                   FAnchorFolded ? &FNodes.CaseFlip : nullptr);
  else if (which == &TFinders::Inner)
    finder.emplace(std::string_view(FInnerText, static_cast<std::size_t>(FInnerLen)));
  else if (which == &TFinders::Reached)
    finder.emplace(std::string_view(FReachedText, static_cast<std::size_t>(FReachedLen)));
  else
    finder.emplace(std::string_view(FRequiredText, static_cast<std::size_t>(FRequiredLen)));
  return *finder;
}

// The places a match can begin, found by the literal every match holds at a fixed distance from
// its start (TRegExpr::FInnerText), where the character there can begin a match.
class TRegExpr::TInnerTextFinder {
 public:
  // `lead`, if not null, finds the first characters many places at a time.
  TInnerTextFinder(const TRegExpr& regExpr, const TLiteralFinder& finder,
                   const TByteSetFinder* lead)
      : R(regExpr), FFinder(finder), FLead(regExpr.FInnerLen == 1 ? lead : nullptr) {}

  // The first such place at or after `from`, or -1.
  int64_t Next(int64_t from) const {
    // A literal of one byte (the "-" of a date) is common: the places are found by both bytes.
    if (FLead != nullptr)
      return FLead->NextBefore(R.FSubject, from, static_cast<unsigned char>(R.FInnerText[0]),
                               R.FInnerOffset);
    const auto* bytes = reinterpret_cast<const unsigned char*>(R.FSubject.data());
    const auto length = static_cast<int64_t>(R.FSubject.size());
    for (int64_t at = from + R.FInnerOffset; at <= length;) {
      const int64_t found = FFinder.Next(R.FSubject, at);
      if (found < 0) return -1;
      const int64_t start = found - R.FInnerOffset;
      if (R.FStartTable[start < length ? bytes[start] : 0]) return start;
      at = found + 1;
    }
    return -1;
  }

 private:
  const TRegExpr& R;
  TLiteralFinder FFinder;
  const TByteSetFinder* FLead;
};

const TByteSetFinder* TRegExpr::FastFirstCharFinder() {
  if (!FFastStarts) return nullptr;
  if (!FFinders) FFinders = std::make_shared<TFinders>();
  if (!FFinders->First) FFinders->First.emplace(FFirstChars);
  return &*FFinders->First;
}

void TRegExpr::ClearGroups() {
  std::fill(std::begin(FMatchStarts), std::end(FMatchStarts), -1);
  std::fill(std::begin(FMatchEnds), std::end(FMatchEnds), -1);
  FGroupsPending = false;
}

void TRegExpr::SetInputString(std::string_view text) {
  ClearGroups();
  FRequiredAt = -1;
  FLastMatchStart = -2;
  FStartsHere = -1;
  FInput.assign(text.substr(0, text.find('\0')));
  FSubject = FInput;
  FInputSet = true;
}

void TRegExpr::SetInputView(std::string_view text) {
  ClearGroups();
  FRequiredAt = -1;
  FLastMatchStart = -2;
  FStartsHere = -1;
  FInput.clear();
  const void* nul = std::memchr(text.data(), 0, text.size());
  FSubject = nul ? text.substr(0, static_cast<const char*>(nul) - text.data()) : text;
  FInputSet = true;
}

bool TRegExpr::PrepareProgram(bool checkSettings) {
  // The groups of the last match are found under the settings it was found with.
  ResolveGroups();
  if (Modifiers != FProgramModifiers || Utf8 != FProgramUtf8) DiscardProgram();
  // Rebuilds a set whose text changed; true when the set did.
  const auto charSet = [](const std::string& text, TCharSet& set, std::string& madeOf) {
    if (text == madeOf && !madeOf.empty()) return false;
    TCharSet fresh;
    for (char c : text)
      fresh.set(static_cast<unsigned char>(c));
    fresh.reset(0);
    madeOf = text;
    const bool changed = fresh != set;
    set = fresh;
    return changed;
  };
  // The automaton's states hold what characters mean under the settings it was made with.
  if (checkSettings) {
    const bool breaksChanged = charSet(LineBreakChars, FLineBreakSet, FLineBreakSetOf);
    const bool wordsChanged = charSet(WordLetters, FWordSet, FWordSetOf);
    if (breaksChanged || wordsChanged) {
      FAutomaton.reset();
      FFinders.reset();
    }
  }
  if (!FProgram) Compile();
  if (!FProgram) return false;
  if (FProgram[0] != kREMagic) Fail(1004);
  if (FNodes.Flags.size() != FProgramSize || (checkSettings && FNodes.CaseFlip != CaseFlip)) {
    MarkNodes(FProgram.get(), FProgramSize, CaseFlip, FNodes);
    FAutomaton.reset();
    FFinders.reset();
    // Where a search tries a match: a table of the first characters, or the only one.
    for (int c = 0; c < 256; ++c)
      FStartTable[c] = FFirstChars[c];
    FStartChar = FFirstChars.count() == 1 && !FFirstChars[0] ? -1 : -2;
    for (int c = 1; FStartChar == -1; ++c)
      if (FFirstChars[c]) FStartChar = c;
    FFewStarts = FAnchorChar != 0 || FInnerText != nullptr || FLineAnchored || FStartChar >= 0 ||
                 TByteSetFinder::Worth(FFirstChars) || FNodes.LeadRunIsMatch;
    FFastStarts = !FFirstChars[0] && TByteSetFinder::Fast(FFirstChars);
  }
  return true;
}

bool TRegExpr::Exec(std::string_view text) {
  SetInputString(text);
  return ExecPos(1);
}

int64_t TRegExpr::NextSearchOffset() {
  if (FMatchStarts[0] < 0 || FMatchEnds[0] < 0) Fail(1007);
  int64_t offset = FMatchEnds[0] + 1;
  if (FMatchEnds[0] == FMatchStarts[0]) ++offset;
  return offset;
}

bool TRegExpr::ExecNext() {
  const int64_t offset = NextSearchOffset();
  FGroupsPending = false;  // the groups of the match searched from are no longer asked for
  // Behind a match the search goes on with the line breaks, word letters and case flip it began
  // with: comparing them again at each of many short matches costs more than some matches.
  if (PrepareProgram(false)) return ExecFrom(offset, true);
  ClearGroups();
  return false;
}

bool TRegExpr::ExecPos(int32_t offset) {
  return ExecFrom(offset);
}

// Offsets are 64-bit inside, so subjects beyond 2 GiB (a file's text run) are searched whole.
bool TRegExpr::ExecFrom(int64_t offset, bool prepared) {
  ClearGroups();
  if (!prepared && !PrepareProgram()) return false;
  if (!FInputSet) Fail(1005);
  if (offset < 1) Fail(1006);
  if (offset > static_cast<int64_t>(FSubject.size()) + 1) return false;
  return Search(offset - 1);
}

// Every search comes here. Each way answers what the backtracker would answer, had it time:
//
//   choice         program                         searched by
//   Backtracker    any                             the backtracker: 1,000 steps per character,
//                                                  then error 1016
//   any            with back-references            the same
//   ThreadMatcher  one the threads run             the thread matcher alone
//   Automatic      one the threads run whose       the backtracker, trying only those places
//                  matches begin at a literal or   (the fastest way there); past 25 steps per
//                  at a few uncommon characters,   character, the hand-over
//                  or are one run of a class
//   Automatic      any other the threads run       the automaton; should it give up (its
//                                                  states never repeat), the backtracker as
//                                                  above
//   hand-over      (the backtracker's steps spent) the automaton unless it gave up, else the
//                                                  thread matcher
bool TRegExpr::Search(int64_t start) {
  const bool threads = MatcherChoice != TMatcherChoice::Backtracker && ThreadsRun();
  // Alone, the thread matcher goes without the search analysis, so that comparing it with the
  // backtracker checks the analysis too.
  if (threads && MatcherChoice == TMatcherChoice::ThreadMatcher) return SearchThreadMatcher(start);
  if (!RequiredTextAhead(start)) return false;
  if (threads && !FewStartsHere())
    if (const int found = SearchAutomaton(start); found >= 0) return found != 0;
  try {
    return Backtrack(start, threads);
  } catch (const TBacktrackingSpent&) {
    FBacktracker->ReleaseChoices();  // up to a quarter gigabyte, of no use to later searches
    ClearGroups();                   // as far as the spent attempt had set them
    if (!threads) Fail(1016);
  }
  if (const int found = SearchAutomaton(start); found >= 0) return found != 0;
  return SearchThreadMatcher(start);
}

bool TRegExpr::RequiredTextAhead(int64_t start) {
  if (FRequiredText != nullptr && start > FRequiredAt) {
    FRequiredAt = Finder(&TFinders::Required).Next(FSubject, start);
    if (FRequiredAt < 0) return false;
  }
  // A subject without a required byte behind `start` needs no attempt at all: a pattern that
  // would take long to fail everywhere answers at once. Looked for from the subject's end, the
  // last one is found once for all searches, and at once in text that holds them anywhere.
  return (FRequiredBytes.empty() && FRequiredFolded.empty()) || start <= LastMatchStart();
}

int64_t TRegExpr::LastMatchStart() {
  if (FLastMatchStart != -2) return FLastMatchStart;
  auto last = static_cast<int64_t>(FSubject.size());  // an empty match at the very end
  if (FRequiredText != nullptr) {
    const std::size_t at =
        FSubject.rfind(std::string_view(FRequiredText, static_cast<std::size_t>(FRequiredLen)));
    last = at == std::string_view::npos ? -1 : std::min(last, static_cast<int64_t>(at));
  }
  // The last byte of `bytes` with `after` bytes behind it, which a match holds there.
  const auto lastWithRoom = [this](const TCharSet& bytes, int32_t after) {
    const auto before = static_cast<std::size_t>(
        std::max<int64_t>(0, static_cast<int64_t>(FSubject.size()) - after));
    return TByteSetFinder(bytes).Last(FSubject.substr(0, before));
  };
  for (const TRequiredBytes& required : FRequiredBytes)
    last = std::min(last, lastWithRoom(required.Bytes, required.After));
  for (const TRequiredFolded& required : FRequiredFolded) {
    TCharSet either;
    either.set(required.Byte);
    either.set(FNodes.CaseFlip[required.Byte]);
    either.reset(0);
    last = std::min(last, lastWithRoom(either, required.After));
  }
  FLastMatchStart = last;
  return last;
}

bool TRegExpr::FewStartsHere() {
  if (FFewStarts) return true;
  if (!FFastStarts && FReachedText == nullptr) return false;
  if (FStartsHere < 0) {
    // Characters that are common in one language's text may not occur at all in another's, nor
    // a word: a look at the subject's beginning tells.
    const auto* bytes = reinterpret_cast<const unsigned char*>(FSubject.data());
    const std::size_t sampled = std::min<std::size_t>(FSubject.size(), 64 << 10);
    std::size_t starts = 0;
    if (FReachedText != nullptr) {  // the places in the runs before the literal's occurrences
      const std::string_view sample = FSubject.substr(0, sampled);
      const TLiteralFinder& finder = Finder(&TFinders::Reached);
      for (int64_t at = 0, found = 0; (found = finder.Next(sample, at)) >= 0; at = found + 1)
        for (int64_t from = found; from >= at && (from == found || FReachedOver[bytes[from]]);
             --from)
          starts += FStartTable[bytes[from]] ? 1 : 0;
    } else {
      for (std::size_t i = 0; i < sampled; ++i)
        starts += FStartTable[bytes[i]] ? 1 : 0;
    }
    // An attempt costs about what the automaton spends on twenty characters; within a run, the
    // run's first repetition is taken once for all its starts.
    FStartsHere = starts * (FReachedText != nullptr ? 8 : 64) < sampled ? 1 : 0;
  }
  return FStartsHere != 0;
}

bool TRegExpr::ThreadsRun() {
  if (FThreadsRun < 0) FThreadsRun = ThreadsCanRun(Program()) ? 1 : 0;
  return FThreadsRun != 0;
}

TBacktracker& TRegExpr::StartBacktracker(int64_t characters, bool handOver) {
  if (!FBacktracker) FBacktracker = std::make_unique<TBacktracker>(*this);
  if (handOver)
    FBacktracker->StartSearch(kBudgetBase + kHandOverPerChar * characters,
                              TBacktracker::kHandOverRecords);
  else
    FBacktracker->StartSearch(kBudgetBase + kBudgetPerChar * characters,
                              TBacktracker::kMaxUndoRecords);
  return *FBacktracker;
}

bool TRegExpr::SearchThreadMatcher(int64_t start) {
  TThreadMatcher matcher(Program(), ThreadSettings());
  if (matcher.Search(FSubject, start, FAnchoredAtStart, FMatchStarts, FMatchEnds)) return true;
  ClearGroups();
  return false;
}

// The automaton and the thread matcher that finds the groups of its matches, for one program
// under one set of settings (PrepareProgram lets go of them when the settings change).
struct TRegExpr::TAutomatonWithGroups {
  TAutomatonWithGroups(std::string_view program, const TThreadSettings& settings,
                       TAutomaton::TNextStart nextStart)
      : Automaton(program, settings, std::move(nextStart)), Groups(program, settings) {}

  TAutomaton Automaton;
  TThreadMatcher Groups;
  bool HasGroups = false;
  bool GaveUp = false;  // the automaton needs too many states: the backtracker goes on
};

int TRegExpr::SearchAutomaton(int64_t start) {
  if (!FAutomaton) {
    FAutomaton =
        std::make_shared<TAutomatonWithGroups>(Program(), ThreadSettings(), NextStartFinder());
    FAutomaton->HasGroups = ProgramHas(Program(), IsGroupOpen);
  }
  if (FAutomaton->GaveUp) return -1;
  int64_t matchStart = 0, matchEnd = 0;
  switch (FAutomaton->Automaton.Search(FSubject, start, FAnchoredAtStart, matchStart, matchEnd)) {
    case TAutomaton::TOutcome::None:
      return 0;
    case TAutomaton::TOutcome::GaveUp:
      FAutomaton->GaveUp = true;
      return -1;
    case TAutomaton::TOutcome::Found:
      break;
  }
  FMatchStarts[0] = matchStart;
  FMatchEnds[0] = matchEnd;
  FGroupsPending = FAutomaton->HasGroups;
  return 1;
}

// Where a match can begin: the occurrences of the literal every match begins with, the places
// before a literal every match holds at a fixed distance from its start, the occurrences of the
// only first character, or of a few uncommon first characters; empty otherwise.
std::function<int64_t(int64_t)> TRegExpr::NextStartFinder() {
  if (FAnchorChar != 0)
    return [this, finder = Finder(&TFinders::Anchor)](int64_t from) {
      return finder.Next(FSubject, from);
    };
  if (FInnerText != nullptr)
    return [finder = TInnerTextFinder(*this, Finder(&TFinders::Inner), FastFirstCharFinder()),
            finders = FFinders](int64_t from) { return finder.Next(from); };
  if (FStartChar >= 0)
    return [this](int64_t from) -> int64_t {
      const auto length = static_cast<int64_t>(FSubject.size());
      if (from >= length) return -1;
      const void* hit =
          std::memchr(FSubject.data() + from, FStartChar, static_cast<std::size_t>(length - from));
      return hit == nullptr ? -1 : static_cast<const char*>(hit) - FSubject.data();
    };
  if (!TByteSetFinder::Worth(FFirstChars)) return {};
  return [this, finder = TByteSetFinder(FFirstChars)](int64_t from) {
    return finder.Next(FSubject, from);
  };
}

void TRegExpr::ResolveGroups() const {
  // The engine's objects are never defined const; only the groups change, as a search's do.
  if (FGroupsPending) const_cast<TRegExpr*>(this)->FindGroups();
}

void TRegExpr::FindGroups() {
  FGroupsPending = false;
  const int64_t start = FMatchStarts[0], end = FMatchEnds[0];
  // From the match's start both matchers take the same way, the backtracker mostly faster; where
  // it would backtrack long, the thread matcher goes to the match's end.
  try {
    if (StartBacktracker(end - start + 1, true).Attempt(start)) return;
  } catch (const TBacktrackingSpent&) {
    FBacktracker->ReleaseChoices();
  }
  FAutomaton->Groups.Search(FSubject, start, true, FMatchStarts, FMatchEnds, end);
}

bool TRegExpr::Backtrack(int64_t start, bool handOver) {
  const auto length = static_cast<int64_t>(FSubject.size());
  const char* subject = FSubject.data();
  TBacktracker& backtracker = StartBacktracker(length - start + 1, handOver);
  // `at` may move on to the last start that the failed attempt showed cannot succeed.
  auto attempt = [&](int64_t& at) {
    // A failed attempt has undone every group it set.
    if (const int64_t unknown = backtracker.FirstUnknownStart(at); unknown > at) {
      at = unknown - 1;  // the run's starts before it fail as an earlier one showed
      return false;
    }
    if (!backtracker.Attempt(at)) {
      if (backtracker.LeadRunEnd() > at + 1) at = backtracker.LeadRunEnd() - 1;
      return false;
    }
    FMatchStarts[0] = at;
    FMatchEnds[0] = backtracker.MatchEnd();
    return true;
  };

  int64_t at = start;
  // A match needs the required text, or a required byte, at or behind its start.
  const int64_t last = LastMatchStart();
  if (FAnchoredAtStart)  // in UTF-8 text not even there at a continuation byte
    return start == 0 && !(FProgramUtf8 && length > 0 && IsUtf8Continuation(subject[0])) &&
           attempt(at);
  if (FAnchorChar != 0) {
    // Every match begins with the literal: only its occurrences are tried.
    const TLiteralFinder& finder = Finder(&TFinders::Anchor);
    for (; at + FAnchorLen <= length; ++at) {
      at = finder.Next(std::string_view(subject, static_cast<std::size_t>(length)), at);
      if (at < 0 || at > last) return false;
      if (attempt(at)) return true;
    }
    return false;
  }
  if (FInnerText != nullptr) {
    // Every match holds the literal at the same distance from its start: only the places that
    // far before its occurrences are tried.
    const TInnerTextFinder finder(*this, Finder(&TFinders::Inner), FastFirstCharFinder());
    for (; (at = finder.Next(at)) >= 0 && at <= last; ++at)
      if (attempt(at)) return true;
    return false;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(subject);
  // Whether a match can begin at `at`, by the character there and, for a line-anchored
  // pattern, the one before.
  const auto canStart = [&](int64_t place) {
    return FStartTable[place < length ? bytes[place] : 0] &&
           (!FLineAnchored || place == 0 || FLineBreakSet[bytes[place - 1]] ||
            (FPairSet && bytes[place - 1] == FPairTail));
  };
  if (FReachedText != nullptr) {
    // Every match reaches the literal over bytes of a few classes alone: it begins in the run
    // of those bytes before the literal's next occurrence, or there.
    const TLiteralFinder& finder = Finder(&TFinders::Reached);
    while (at <= last) {
      const int64_t found = finder.Next(FSubject, at);
      if (found < 0) return false;
      int64_t from = found;
      while (from > at && FReachedOver[bytes[from - 1]])
        --from;
      for (; from <= found && from <= last; ++from)
        if (canStart(from) && attempt(from)) return true;
      at = std::max(found + 1, from);
    }
    return false;
  }
  if (FLineAnchored) {
    // Every match begins where a line does: at the start and behind each line break, where
    // the character can begin a match.
    if (!FFinders) FFinders = std::make_shared<TFinders>();
    if (!FFinders->Breaks) {
      TCharSet breaks = FLineBreakSet;
      if (FPairSet) breaks.set(FPairTail);
      FFinders->Breaks.emplace(breaks);
    }
    const TByteSetFinder& breaks = *FFinders->Breaks;
    while (at <= last) {
      if (canStart(at) && attempt(at)) return true;
      const int64_t lineBreak = breaks.Next(FSubject, at);
      if (lineBreak < 0) return false;
      at = lineBreak + 1;
    }
    return false;
  }
  if (FStartChar >= 0) {  // one first character: jump from one occurrence to the next
    for (; at < length; ++at) {
      const void* hit =
          std::memchr(subject + at, FStartChar, static_cast<std::size_t>(length - at));
      if (hit == nullptr) return false;
      at = static_cast<const char*>(hit) - subject;
      if (at > last) return false;
      if (attempt(at)) return true;
    }
    return false;
  }
  if (FFastStarts) {  // many places at a time
    const TByteSetFinder& finder = *FastFirstCharFinder();
    // Where starts are common the next place is often one of the next few (behind a word's
    // blank, the next word): the finder is asked only past them.
    const auto nextStart = [&](int64_t from) {
      for (const int64_t near = std::min(from + 4, length); from < near; ++from)
        if (FStartTable[bytes[from]]) return from;
      return finder.Next(FSubject, from);
    };
    for (; at < length && (at = nextStart(at)) >= 0 && at <= last; ++at)
      if (attempt(at)) return true;
    return false;
  }
  for (; at < length && at <= last; ++at)
    if (FStartTable[bytes[at]] && attempt(at)) return true;
  return at == length && at <= last && FStartTable[0] && attempt(at);  // the end reads as NUL
}

int64_t TRegExpr::LastSearchSteps() const {
  return FBacktracker ? FBacktracker->StepsSpent() : 0;
}

int32_t TRegExpr::MatchOffset(int n) const {
  if (n > 0) ResolveGroups();
  if (n < 0 || n >= kREGroupCount || !FInputSet || FMatchStarts[n] < 0 || FMatchEnds[n] < 0)
    return -1;
  return static_cast<int32_t>(FMatchStarts[n] + 1);
}

int32_t TRegExpr::MatchLength(int n) const {
  if (n > 0) ResolveGroups();
  if (n < 0 || n >= kREGroupCount || !FInputSet || FMatchStarts[n] < 0 || FMatchEnds[n] < 0)
    return -1;
  return static_cast<int32_t>(FMatchEnds[n] - FMatchStarts[n]);
}

}  // namespace fendrel

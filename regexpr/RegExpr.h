// Fendrel's regular-expression engine: a pattern compiled into p-code (RegExprOpcodes.h) by a
// two-pass compiler, with a search analysis that tells the matchers where a match can begin.
//
// Patterns and subjects are 8-bit strings that end at their first NUL byte. Errors are raised as
// ERegExpr with a numbered message; compile errors carry the pattern position of the failure.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "RegExprNodeFlags.h"

namespace fendrel {

class TLiteralFinder;
class TByteSetFinder;

class TBacktracker;
struct TThreadSettings;

class ERegExpr : public std::runtime_error {
 public:
  ERegExpr(const std::string& message, int32_t errorNumber, int32_t errorOffset)
      : std::runtime_error(message), ErrorNumber(errorNumber), ErrorOffset(errorOffset) {}

  int32_t ErrorNumber;
  // The pattern position (0-based) of a compile error; 0 for other errors.
  int32_t ErrorOffset;
};

// A stop for the searches of one thread: while the scope lives, every search on its thread asks
// `stopAsked` every few thousand steps and ends with error 1017 once it answers true, so that a
// search of minutes over a large file ends soon after its run is stopped.
class TSearchStopScope {
 public:
  explicit TSearchStopScope(std::function<bool()> stopAsked);
  ~TSearchStopScope();
  TSearchStopScope(const TSearchStopScope&) = delete;
  TSearchStopScope& operator=(const TSearchStopScope&) = delete;

 private:
  std::function<bool()> FStopAsked;
  const std::function<bool()>* FOuter;
};

// Raises error 1017 when a stop of this thread's searches is asked.
void CheckSearchStop();

// Modifier bits; ModifierFlag indices 1-6 stand for them in this order.
enum : uint32_t {
  kModI = 1,   // case-insensitive literals, classes and back-references
  kModR = 2,   // Cyrillic range extension inside classes
  kModS = 4,   // '.' matches line breaks too
  kModG = 8,   // repetitions greedy; off makes every one non-greedy
  kModM = 16,  // ^ and $ also match at line breaks
  kModX = 32,  // extended syntax: blanks ignored, '#' comments
};

// A byte's case counterpart: the other case of a letter, the byte itself otherwise.
using TCaseFlipTable = std::array<unsigned char, 256>;
using TCharSet = std::bitset<256>;

class TRegExpr {
 public:
  TRegExpr();
  virtual ~TRegExpr();
  TRegExpr(const TRegExpr&) = delete;
  TRegExpr& operator=(const TRegExpr&) = delete;

  // The case flip new objects start with. Letters A-Z/a-z until the program installs the table
  // of its code page.
  static void SetDefaultCaseFlip(const TCaseFlipTable& table);
  static TCaseFlipTable DefaultCaseFlip();
  // Whether new objects read subjects as UTF-8 text; bytes until the program installs the
  // choice of its code page.
  static void SetDefaultUtf8(bool on);
  static bool DefaultUtf8();

  const std::string& Expression() const { return FExpression; }
  // A different pattern (or any pattern while nothing is compiled) discards the program; the
  // pattern is compiled by the next search, or by Compile().
  void SetExpression(std::string_view pattern);

  uint32_t Modifiers = 0;
  bool ModifierFlag(int index) const;
  void SetModifierFlag(int index, bool on);
  // Applies modifier letters as a "(?...)" group does: i r s g m x (either case) switch on,
  // after '-' off. Raises 127 for any other character.
  void SetModifierStr(std::string_view letters);

  std::string BlankChars;      // the characters of \s
  std::string WordLetters;     // the characters of \w and word boundaries
  std::string LineBreakChars;  // the characters that end a line
  TCaseFlipTable CaseFlip;
  // UTF-8 text: `.`, negated classes and classes with characters beyond ASCII take one whole
  // character; \w \d \s \b follow Unicode (\w and \s as long as WordLetters and BlankChars
  // are left as they are); (?i) folds characters beyond ASCII by Unicode simple case folding;
  // and no match begins at a continuation byte. \xHH stays one byte.
  bool Utf8 = false;

  // Two different characters that together make one line break (CR LF), or none.
  std::string LinePairedSeparator() const;
  void SetLinePairedSeparator(std::string_view pair);

  // The subject: stored up to its first NUL; storing it clears every group.
  const std::string& InputString() const { return FInput; }
  void SetInputString(std::string_view text);
  // Searches `text` (up to its first NUL) in place, without copying it; the caller keeps it
  // alive and unchanged while it is searched. Clears every group.
  void SetInputView(std::string_view text);

  // Stores `text` and searches it from its start.
  bool Exec(std::string_view text);
  // Searches the stored subject for the first match starting at or after the 1-based `offset`.
  bool ExecPos(int32_t offset);
  // Searches on behind the previous match (one further after an empty match), with the
  // LineBreakChars, WordLetters and CaseFlip the search began with.
  bool ExecNext();
  // 1-based position and length of group n of the last match; -1 when n is outside 0-14, no
  // subject is stored, or the group did not take part.
  int32_t MatchOffset(int n) const;
  int32_t MatchLength(int n) const;
  // Which matcher searches. The engine's own choice (the automaton, RegExprAutomaton.h, for
  // programs without back-references, the backtracker, RegExprBacktracker.h, for the rest and
  // where matches begin at few places) answers exactly what the backtracker would, had it time;
  // the other two run one matcher alone, to compare them: the backtracker ends with error 1016
  // when its steps are spent, the thread matcher (RegExprThreadMatcher.h) hands the programs it
  // cannot run (back-references) to the backtracker.
  enum class TMatcherChoice { Automatic, Backtracker, ThreadMatcher };
  TMatcherChoice MatcherChoice = TMatcherChoice::Automatic;
  // Backtracking steps the last search (or the finding of its groups) took. A search may take
  // 1,000,000 plus 1,000 for every character from its start to the subject's end; a pattern with
  // back-references then ends with error 1016, any other hands the search over much sooner (200
  // per character) to the automaton or the thread matcher, which answer the same.
  int64_t LastSearchSteps() const;

  // The replacement for the current match: `$0`, `$&`, `${n}`, `$n` (any number of digits)
  // insert a group (nothing for a group that did not take part or beyond 14); `\c` is c.
  std::string ExpandTemplate(std::string_view replacement);

  // Where replaced text goes, piece by piece, in order.
  using TTextSink = std::function<void(std::string_view)>;
  // Writes `input` to `sink` with every match replaced by `replacement` (expanded as a template
  // when `useTemplate`); adds one to `counter` per match, keeping what it added when an error is
  // raised. `input` is searched up to its first NUL; the rest is written unchanged. The settings
  // are read once, at the first search: a sink that changes them affects the next call only.
  void ReplaceEach(std::string_view input, std::string_view replacement, bool useTemplate,
                   int64_t& counter, const TTextSink& sink);
  std::string ReplaceEach(std::string_view input, std::string_view replacement, bool useTemplate,
                          int64_t& counter);

  // Compiles the stored pattern now unless the program is current; raises compile errors and
  // 1003 without a pattern.
  void Compile();
  bool Compiled() const { return FCompiled; }
  // The p-code of the last successful compile (empty when there is none).
  std::string_view Program() const {
    return {reinterpret_cast<const char*>(FProgram.get()), FProgram ? FProgramSize : 0u};
  }
  uint32_t ProgramModifiers() const { return FProgramModifiers; }

  // What the search analysis found (see RegExprAnalysis.cpp).
  unsigned char AnchorChar() const { return FAnchorChar; }
  bool AnchoredAtStart() const { return FAnchoredAtStart; }
  std::string_view RequiredText() const {
    return FRequiredText ? std::string_view(FRequiredText, FRequiredLen) : std::string_view();
  }
  const TCharSet& FirstChars() const { return FFirstChars; }

  // While a compile runs: the parse cursor's distance from the pattern start; otherwise 0.
  int32_t CompileErrorOffset() const;
  int32_t LastErrorCode() const { return FLastErrorCode; }

  // Raises ERegExpr for `code` (a derived class may report differently, but must not return).
  virtual void RaiseError(int32_t code);
  virtual std::string ErrorText(int32_t code) const;

 private:
  friend class TRegExprCompiler;
  friend class TRegExprAnalysis;
  friend class TBacktracker;
  friend bool ThreadSettingsOf(TRegExpr& regExpr, TThreadSettings& settings);

  // The program check before every search: recompiles when needed; with `checkSettings`, also
  // rebuilds the line-break and word-letter sets when their texts changed, and what the
  // matchers know of the nodes when the case flip did. Every matcher takes its settings from
  // what the last full check made, so a search behind a match keeps those its chain began with.
  bool PrepareProgram(bool checkSettings = true);
  // The settings the last program check made, as the threads take them.
  TThreadSettings ThreadSettings() const;
  // Whether \w (and \b) and \s mean Unicode's classes: in UTF-8 text, unless set otherwise.
  bool UnicodeWords() const;
  bool UnicodeBlanks() const;
  void ClearGroups();
  // ExecPos with a 1-based 64-bit offset; `prepared` when the settings are known unchanged
  // since the previous search's program check.
  bool ExecFrom(int64_t offset, bool prepared = false);
  // The one choice of the matcher for a search from the 0-based `start` (within the subject),
  // the program prepared; see the table in RegExprSearch.cpp.
  bool Search(int64_t start);
  // Whether the text every match holds occurs at or after `start`, and a byte of the required
  // bytes. What was found is remembered, so that a chain of searches reads the subject for it
  // once.
  bool RequiredTextAhead(int64_t start);
  // The last place a match can begin: the last occurrence of the required text or of a required
  // byte, whichever comes first. A chain of searches finds it once.
  int64_t LastMatchStart();
  // Whether the threads run the program, the automaton's and the thread matcher's (decided once
  // per program).
  bool ThreadsRun();
  // Whether the backtracker, skipping to the places a match can begin, is the way for this
  // subject: FFewStarts, or first characters that seldom occur in it.
  bool FewStartsHere();
  // The backtracker, its search begun over `characters` characters with the budget of a search
  // that is handed over when it is spent (`handOver`), or of one that ends with error 1016.
  TBacktracker& StartBacktracker(int64_t characters, bool handOver);
  // The search with each matcher, as Search chooses it. Backtrack tries every place a match
  // can begin and throws TBacktrackingSpent when its budget is spent; SearchAutomaton answers
  // 1 found, 0 none, -1 given up for this program (the groups inside the match are found when
  // asked for, by ResolveGroups).
  bool Backtrack(int64_t start, bool handOver);
  bool SearchThreadMatcher(int64_t start);
  int SearchAutomaton(int64_t start);
  // Where a match can begin at or after a position (-1: nowhere); empty when anywhere.
  std::function<int64_t(int64_t)> NextStartFinder();
  class TInnerTextFinder;
  struct TFinders;
  // One of the program's literal finders, made when first asked for.
  const TLiteralFinder& Finder(std::optional<TLiteralFinder> TFinders::*which);
  // The bytes a line ends at: its breaks and the paired separator's first byte; and their
  // finder.
  TCharSet LineEndBytes() const;
  const TByteSetFinder& LineEndFinder();
  // The finder of the first characters where they are found many places at a time, else null.
  const TByteSetFinder* FastFirstCharFinder();
  // Finds the bytes a run of `.` may end at (a line's end, when `atBreaks`) or must look at
  // closer: those beyond ASCII.
  const TByteSetFinder& CharacterStopFinder(bool atBreaks);
  // Finds the groups of a match the automaton found, once: the one way to the groups of a
  // match whose bounds alone are known.
  void ResolveGroups() const;
  void FindGroups();
  int64_t NextSearchOffset();  // where ExecNext searches from
  void ExpandInto(std::string_view replacement, std::string& result) const;
  // Replaces every match in the stored subject, writing the subject's text in order.
  void ReplaceStored(std::string_view replacement, bool useTemplate, int64_t& counter,
                     const TTextSink& sink);

  // RaiseError for the engine's own use: never returns, whatever a derived class does.
  [[noreturn]] void Fail(int32_t code);
  void DiscardProgram();
  void CompileText(const char* pattern);

  // Search analysis results.
  unsigned char FAnchorChar = 0;
  // Whether the threads run the program: 1 yes, 0 no, -1 not yet known.
  int8_t FThreadsRun = -1;
  // The literal every match begins with (FAnchorChar is its first byte), in the p-code.
  const char* FAnchorText = nullptr;
  int32_t FAnchorLen = 0;
  bool FAnchorFolded = false;  // its letters match in either case (the case table's forms)
  // Without an anchor: a literal every match holds FInnerOffset bytes behind its start, behind
  // nodes of a fixed width ("\\d{4}-", "\\bExec"), in the p-code; null when there is none.
  const char* FInnerText = nullptr;
  int32_t FInnerLen = 0;
  int32_t FInnerOffset = 0;
  // Without either: a literal every match reaches over bytes of FReachedOver alone, behind
  // repetitions of classes ("^\\s*#include"), in the p-code; null when there is none.
  const char* FReachedText = nullptr;
  int32_t FReachedLen = 0;
  TCharSet FReachedOver;
  bool FAnchoredAtStart = false;
  bool FLineAnchored = false;           // every match begins where a line does ("(?m)^...")
  const char* FRequiredText = nullptr;  // points into the p-code
  int32_t FRequiredLen = 0;
  int64_t FRequiredAt = -1;  // an occurrence in the subject (RequiredTextAhead), or -1
  // Classes of bytes that every match holds one byte of each: the first bytes of the characters
  // of a class every match takes a character of, the rarest few such classes the analysis found.
  struct TRequiredBytes {
    TCharSet Bytes;
    int32_t After = 0;  // bytes every match holds behind the one of the class, at least
  };
  std::vector<TRequiredBytes> FRequiredBytes;
  // Bytes that every match holds one of each of, in either case (of literals ignoring case).
  struct TRequiredFolded {
    unsigned char Byte;
    int32_t After = 0;  // as TRequiredBytes::After
  };
  std::vector<TRequiredFolded> FRequiredFolded;
  // No match begins behind this place of the subject, which holds nothing a match needs behind
  // it (LastMatchStart); -2 while not yet known for the subject.
  int64_t FLastMatchStart = -2;
  TCharSet FFirstChars;

  // Compiler state, valid only while a compile runs.
  const char* FParseCursor = nullptr;
  const char* FPatternStart = nullptr;  // null outside a compile
  uint32_t FParseModifiers = 0;

  bool FCompiled = false;
  std::unique_ptr<uint8_t[]> FProgram;
  uint32_t FProgramSize = 0;
  std::string FExpression;
  int32_t FLastErrorCode = 0;
  uint32_t FProgramModifiers = 0;
  bool FProgramUtf8 = false;

  // Matching state. Group positions are offsets into FInput, -1 when unset.
  std::string FInput;
  std::string_view FSubject;  // what is searched: FInput, or the caller's text
  bool FInputSet = false;
  mutable int64_t FMatchStarts[15];
  mutable int64_t FMatchEnds[15];
  mutable bool FGroupsPending = false;  // groups 1-14 still to be found (ResolveGroups)
  // LineBreakChars and WordLetters as sets, rebuilt when the texts they were made of change.
  TCharSet FLineBreakSet;
  TCharSet FWordSet;
  std::string FLineBreakSetOf;
  std::string FWordSetOf;
  // What the backtracker needs to know of the program's nodes, made before the first search.
  TNodeInfo FNodes;
  std::array<bool, 256> FStartTable{};  // FFirstChars as a table for the search loop
  int FStartChar = -2;                  // the only first character, or -2
  // Matches begin at a literal or at a few uncommon characters, or are one run of bytes: the
  // backtracker finds them fastest.
  bool FFewStarts = false;
  bool FFastStarts = false;  // the first characters are found many places at a time
  // First characters found many places at a time (TByteSetFinder::Fast), not uncommon in the
  // texts users search, occur seldom in this subject all the same: 1 yes, 0 no, -1 not yet
  // looked at (FewStartsHere).
  int8_t FStartsHere = -1;
  std::unique_ptr<TBacktracker> FBacktracker;  // created at the first search
  // The automaton of the program, made at its first search with the settings of then (shared:
  // a complete type only where it is made).
  struct TAutomatonWithGroups;
  std::shared_ptr<TAutomatonWithGroups> FAutomaton;
  std::shared_ptr<TFinders> FFinders;  // made at the first search that needs them

  bool FPairSet = false;
  unsigned char FPairHead = 0;
  unsigned char FPairTail = 0;
};

// Replaces every match of `pattern` in `input` with a fresh engine of default settings.
std::string ReplaceAllMatches(std::string_view pattern, std::string_view input,
                              std::string_view replacement, bool useTemplate, int64_t& counter);

}  // namespace fendrel

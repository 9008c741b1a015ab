// TRegExpr's construction, properties, compile entry and error reporting.
#include "RegExpr.h"

#include <mutex>

#include "RegExprAnalysis.h"
#include "RegExprBacktracker.h"
#include "RegExprCompiler.h"

namespace fendrel {
namespace {

constexpr uint32_t kDefaultModifiers = kModR | kModS | kModG;  // i, m and x off
constexpr const char kDefaultBlankChars[] = " \t\n\r\f";
constexpr const char kDefaultWordLetters[] =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
constexpr const char kDefaultLineBreakChars[] = "\r\n";
constexpr const char kDefaultLinePair[] = "\r\n";

TCaseFlipTable AsciiCaseFlip() {
  TCaseFlipTable table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z'   ? c + 32
                                          : c >= 'a' && c <= 'z' ? c - 32
                                                                 : c);
  }
  return table;
}

std::mutex gDefaultsLock;
TCaseFlipTable gDefaultCaseFlip = AsciiCaseFlip();  // guarded by gDefaultsLock
bool gDefaultUtf8 = false;                          // guarded by gDefaultsLock

}  // namespace

void TRegExpr::SetDefaultCaseFlip(const TCaseFlipTable& table) {
  std::lock_guard lock(gDefaultsLock);
  gDefaultCaseFlip = table;
}

TCaseFlipTable TRegExpr::DefaultCaseFlip() {
  std::lock_guard lock(gDefaultsLock);
  return gDefaultCaseFlip;
}

void TRegExpr::SetDefaultUtf8(bool on) {
  std::lock_guard lock(gDefaultsLock);
  gDefaultUtf8 = on;
}

bool TRegExpr::DefaultUtf8() {
  std::lock_guard lock(gDefaultsLock);
  return gDefaultUtf8;
}

bool TRegExpr::UnicodeWords() const {
  return FProgramUtf8 && WordLetters == kDefaultWordLetters;
}

bool TRegExpr::UnicodeBlanks() const {
  return FProgramUtf8 && BlankChars == kDefaultBlankChars;
}

TRegExpr::TRegExpr()
    : Modifiers(kDefaultModifiers),
      BlankChars(kDefaultBlankChars),
      WordLetters(kDefaultWordLetters),
      LineBreakChars(kDefaultLineBreakChars),
      CaseFlip(DefaultCaseFlip()),
      Utf8(DefaultUtf8()) {
  ClearGroups();
  SetLinePairedSeparator(kDefaultLinePair);
}

TRegExpr::~TRegExpr() = default;

void TRegExpr::DiscardProgram() {
  // The groups of the last match are found with the program that matched.
  ResolveGroups();
  FProgram.reset();
  FNodes.Flags.clear();
  FProgramSize = 0;
  FCompiled = false;
  FRequiredText = nullptr;
  FRequiredLen = 0;
  FRequiredAt = -1;
  FRequiredBytes.clear();
  FRequiredFolded.clear();
  FLastMatchStart = -2;
  FAnchorChar = 0;
  FThreadsRun = -1;
  FAutomaton.reset();
  FFinders.reset();
  FAnchorText = nullptr;
  FAnchorLen = 0;
  FAnchorFolded = false;
  FInnerText = nullptr;
  FLineAnchored = false;
}

void TRegExpr::SetExpression(std::string_view pattern) {
  // The pattern ends at its first NUL, as every pattern text does.
  const std::string text(pattern.substr(0, pattern.find('\0')));
  if (text == FExpression && FCompiled) return;
  FExpression = text;
  DiscardProgram();
}

bool TRegExpr::ModifierFlag(int index) const {
  if (index < 1 || index > 6) const_cast<TRegExpr*>(this)->Fail(1013);
  return (Modifiers & (1u << (index - 1))) != 0;
}

void TRegExpr::SetModifierFlag(int index, bool on) {
  if (index < 1 || index > 6) Fail(1013);
  const uint32_t bit = 1u << (index - 1);
  Modifiers = on ? Modifiers | bit : Modifiers & ~bit;
}

void TRegExpr::SetModifierStr(std::string_view letters) {
  const char* bad = nullptr;
  uint32_t modifiers = Modifiers;
  if (!ApplyModifierLetters(letters.data(), letters.data() + letters.size(), modifiers, bad))
    Fail(127);
  Modifiers = modifiers;
}

std::string TRegExpr::LinePairedSeparator() const {
  if (!FPairSet) return {};
  return {static_cast<char>(FPairHead), static_cast<char>(FPairTail)};
}

void TRegExpr::SetLinePairedSeparator(std::string_view pair) {
  if (pair.size() == 2) {
    if (pair[0] == pair[1]) Fail(128);
    const auto head = static_cast<unsigned char>(pair[0]);
    const auto tail = static_cast<unsigned char>(pair[1]);
    if (FPairSet && FPairHead == head && FPairTail == tail) return;
    FPairSet = true;
    FPairHead = head;
    FPairTail = tail;
    DiscardProgram();
  } else if (pair.empty()) {
    if (!FPairSet) return;
    FPairSet = false;
    // The matchers compare with the pair's bytes; no byte of a subject is NUL (it ends at its
    // first), so a pair of NULs is found nowhere.
    FPairHead = 0;
    FPairTail = 0;
    DiscardProgram();
  } else {
    Fail(128);
  }
}

void TRegExpr::Compile() {
  if (Modifiers != FProgramModifiers || Utf8 != FProgramUtf8) DiscardProgram();
  if (FProgram) return;
  if (FExpression.empty()) Fail(1003);
  CompileText(FExpression.c_str());
}

void TRegExpr::CompileText(const char* pattern) {
  if (pattern == nullptr) Fail(100);
  DiscardProgram();
  FProgramModifiers = Modifiers;
  FProgramUtf8 = Utf8;
  FPatternStart = pattern;
  try {
    TRegExprCompiler compiler(*this);
    uint32_t size = 0;
    int topFlags = 0;
    FProgram = compiler.Compile(pattern, size, topFlags);
    FProgramSize = size;
    TRegExprAnalysis(*this).Analyse(FProgram.get(), topFlags);
  } catch (...) {
    FPatternStart = nullptr;
    DiscardProgram();
    throw;
  }
  FPatternStart = nullptr;
  FCompiled = true;
}

namespace {

thread_local const std::function<bool()>* tStopAsked = nullptr;

}  // namespace

TSearchStopScope::TSearchStopScope(std::function<bool()> stopAsked)
    : FStopAsked(std::move(stopAsked)), FOuter(tStopAsked) {
  tStopAsked = &FStopAsked;
}

TSearchStopScope::~TSearchStopScope() {
  tStopAsked = FOuter;
}

void CheckSearchStop() {
  if (tStopAsked != nullptr && (*tStopAsked)()) throw ERegExpr(TRegExpr().ErrorText(1017), 1017, 0);
}

void TRegExpr::Fail(int32_t code) {
  RaiseError(code);
  throw ERegExpr(ErrorText(code), code, CompileErrorOffset());
}

int32_t TRegExpr::CompileErrorOffset() const {
  if (FPatternStart == nullptr) return 0;
  return static_cast<int32_t>(FParseCursor - FPatternStart);
}

void TRegExpr::RaiseError(int32_t code) {
  FLastErrorCode = code;
  const int32_t offset = CompileErrorOffset();
  std::string message = ErrorText(code);
  if (code < 1000) message += " (pos " + std::to_string(offset) + ")";
  throw ERegExpr(message, code, offset);
}

std::string TRegExpr::ErrorText(int32_t code) const {
  switch (code) {
    case 0:
      return "No errors";
    case 100:
      return "TRegExpr(comp): Null Argument";
    case 102:
      return "TRegExpr(comp): ParseReg Too Many ()";
    case 103:
    case 104:
      return "TRegExpr(comp): ParseReg Unmatched ()";
    case 105:
      return "TRegExpr(comp): ParseReg Junk On End";
    case 106:
      return "TRegExpr(comp): *+ Operand Could Be Empty";
    case 107:
      return "TRegExpr(comp): Nested *?+";
    case 108:
      return "TRegExpr(comp): Bad Hex Digit";
    case 109:
      return "TRegExpr(comp): Invalid [] Range";
    case 110:
      return "TRegExpr(comp): Parse Atom Trailing \\";
    case 111:
      return "TRegExpr(comp): No Hex Code After \\x";
    case 112:
      return "TRegExpr(comp): Hex Code After \\x Is Too Big";
    case 113:
      return "TRegExpr(comp): Unmatched []";
    case 114:
      return "TRegExpr(comp): Internal Urp";
    case 115:
      return "TRegExpr(comp): ?+*{ Follows Nothing";
    case 116:
      return "TRegExpr(comp): Trailing \\";
    case 119:
      return "TRegExpr(comp): RarseAtom Internal Disaster";
    case 122:
      return "TRegExpr(comp): BRACES Argument Too Big";
    case 124:
      return "TRegExpr(comp): BRACE Min Param Greater then Max";
    case 125:
      return "TRegExpr(comp): Unclosed (?#Comment)";
    case 127:
      return "TRegExpr(comp): Urecognized Modifier";
    case 128:
      return "TRegExpr(comp): LinePairedSeparator must countain two different chars or no chars "
             "at all";
    case 1000:
      return "TRegExpr(exec): RegRepeat Called Inappropriately";
    case 1001:
      return "TRegExpr(exec): MatchPrim Memory Corruption";
    case 1002:
      return "TRegExpr(exec): MatchPrim Corrupted Pointers";
    case 1003:
      return "TRegExpr(exec): Not Assigned Expression Property";
    case 1004:
      return "TRegExpr(exec): Corrupted Program";
    case 1005:
      return "TRegExpr(exec): No Input String Specified";
    case 1006:
      return "TRegExpr(exec): Offset Must Be Greater Then 0";
    case 1007:
      return "TRegExpr(exec): ExecNext Without Exec[Pos]";
    case 1014:
      return "TRegExpr(exec): Loop Stack Exceeded";
    case 1016:
      return "TRegExpr(exec): Backtracking Limit Exceeded";
    case 1017:
      return "TRegExpr(exec): Search Stopped";
    case 1015:
      return "TRegExpr(exec): Loop Without LoopEntry !";
    default:
      return "Unknown error";
  }
}

}  // namespace fendrel

// The two-pass pattern compiler (see RegExprCompiler.h).
#include "RegExprCompiler.h"

#include <cstring>
#include <vector>

#include "RegExprClass.h"

namespace fendrel {
namespace {

// Outside a class these characters are special; every other one is literal.
constexpr const char* kMetaChars = "^$.[()|?+*\\{";
constexpr int kMaxBraceDigits = 8;

bool IsQuantifier(char c) {
  return c == '*' || c == '+' || c == '?' || c == '{';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsExtendedBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ApplyModifierLetters(const char* from, const char* to, uint32_t& modifiers, const char*& bad) {
  bool on = true;
  for (const char* p = from; p < to; ++p) {
    uint32_t bit = 0;
    switch (*p) {
      case 'i':
      case 'I':
        bit = kModI;
        break;
      case 'r':
      case 'R':
        bit = kModR;
        break;
      case 's':
      case 'S':
        bit = kModS;
        break;
      case 'g':
      case 'G':
        bit = kModG;
        break;
      case 'm':
      case 'M':
        bit = kModM;
        break;
      case 'x':
      case 'X':
        bit = kModX;
        break;
      case '-':
        on = false;
        continue;
      default:
        bad = p;
        return false;
    }
    modifiers = on ? modifiers | bit : modifiers & ~bit;
  }
  return true;
}

std::unique_ptr<uint8_t[]> TRegExprCompiler::Compile(const char* pattern, uint32_t& size,
                                                     int& topFlags) {
  // Sizing pass: every emit only counts.
  FEmit = &FSink;
  FSize = 0;
  RunPass(pattern);

  auto program = std::make_unique<uint8_t[]>(FSize);
  size = FSize;
  FEmit = program.get();
  RunPass(pattern);
  topFlags = FTopFlags;
  return program;
}

void TRegExprCompiler::RunPass(const char* pattern) {
  R.FParseModifiers = R.Modifiers;
  R.FParseCursor = pattern;
  FNextGroup = 1;
  EmitByte(kREMagic);
  ParseReg(false, FTopFlags);
}

uint8_t* TRegExprCompiler::EmitCharSet(const TCodeSet& set, uint8_t flags) {
  const std::vector<uint8_t> operand = CharSetOperand(set, flags);
  // The states are found by 16-bit offsets; no set of characters a pattern can name needs more.
  if (operand.size() > 0xFFFF) R.Fail(114);
  uint8_t* node = EmitNode(opCharSet);
  for (const uint8_t byte : operand)
    EmitByte(byte);
  return node;
}

bool TRegExprCompiler::UnicodeClass(char letter, TCodeSet& set) const {
  switch (letter) {
    case 'd':
      set.Add(UnicodeDigitRanges());
      return true;
    case 's':
      if (!R.UnicodeBlanks()) return false;
      set.Add(UnicodeSpaceRanges());
      return true;
    case 'w':
      if (!R.UnicodeWords()) return false;
      set.Add(UnicodeWordRanges());
      return true;
    default:
      return false;
  }
}

uint8_t* TRegExprCompiler::EmitCharacter(char32_t c, bool ignoreCase, int& flags) {
  flags = kFlagHasWidth | kFlagSimple;
  TCodeSet set;
  set.Add(c, c);
  if (ignoreCase) set.AddCaseVariants();
  if (c >= 0x80 || set.Ranges().size() > 1 || set.Ranges()[0].First != set.Ranges()[0].Last)
    return EmitCharSet(set);
  uint8_t* node = EmitNode(ignoreCase ? opLiteralCI : opLiteral);
  EmitByte(static_cast<uint8_t>(c));
  EmitByte(0);
  return node;
}

uint8_t* TRegExprCompiler::EmitNode(TREOp op) {
  if (Sizing()) {
    FSize += kREHeaderSize;
    return &FSink;
  }
  uint8_t* node = FEmit;
  node[0] = op;
  WriteInt32(node + 1, 0);
  FEmit += kREHeaderSize;
  return node;
}

void TRegExprCompiler::EmitByte(uint8_t byte) {
  if (Sizing())
    ++FSize;
  else
    *FEmit++ = byte;
}

void TRegExprCompiler::EmitInt(int32_t value) {
  if (Sizing()) {
    FSize += kRENumberSize;
    return;
  }
  WriteInt32(FEmit, value);
  FEmit += kRENumberSize;
}

void TRegExprCompiler::Rewind(uint8_t* position, uint32_t size) {
  FEmit = position;
  FSize = size;
}

// Makes room for a node of `size` bytes in front of the already emitted `operand` and puts the
// node there: opcode, no next node, the rest zero.
void TRegExprCompiler::InsertOperator(TREOp op, uint8_t* operand, int size) {
  if (Sizing()) {
    FSize += static_cast<uint32_t>(size);
    return;
  }
  std::memmove(operand + size, operand, static_cast<std::size_t>(FEmit - operand));
  FEmit += size;
  std::memset(operand, 0, static_cast<std::size_t>(size));
  operand[0] = op;
}

// Points the last node of the chain starting at `node` at `target`.
void TRegExprCompiler::Tail(uint8_t* node, uint8_t* target) {
  if (node == &FSink) return;
  uint8_t* last = node;
  while (const uint8_t* next = NodeNext(last))
    last = const_cast<uint8_t*>(next);
  WriteInt32(last + 1, static_cast<int32_t>(target - last));
}

// For a branch, points the end of its alternative's chain at `target`.
void TRegExprCompiler::OperandTail(uint8_t* node, uint8_t* target) {
  if (node == &FSink || NodeOp(node) != opBranch) return;
  Tail(node + kREHeaderSize, target);
}

uint8_t* TRegExprCompiler::ParseReg(bool paren, int& flags) {
  flags = kFlagHasWidth;
  uint8_t* ret = nullptr;
  int group = 0;
  if (paren) {
    if (FNextGroup >= kREGroupCount) R.Fail(102);
    group = FNextGroup++;
    ret = EmitNode(OpOpen(group));
  }
  const uint32_t savedModifiers = R.FParseModifiers;

  // The branch added last: the next one is tied to it, not to the end of a walk along all of
  // them, so a list of many thousand alternatives compiles in linear time.
  uint8_t* lastBranch = nullptr;
  auto addBranch = [&](uint8_t* branch, int branchFlags) {
    if (ret == nullptr)
      ret = branch;
    else
      Tail(lastBranch != nullptr ? lastBranch : ret, branch);
    lastBranch = branch;
    if ((branchFlags & kFlagHasWidth) == 0) flags &= ~kFlagHasWidth;
    flags |= branchFlags & kFlagStarStart;
  };
  int branchFlags = 0;
  uint8_t* branch = ParseBranch(branchFlags);
  addBranch(branch, branchFlags);
  while (*R.FParseCursor == '|') {
    ++R.FParseCursor;
    branch = ParseBranch(branchFlags);
    addBranch(branch, branchFlags);
  }

  uint8_t* ender = EmitNode(paren ? OpClose(group) : TREOp{opEnd});
  Tail(ret, ender);
  if (!Sizing()) {
    for (uint8_t* node = ret; node != nullptr; node = const_cast<uint8_t*>(NodeNext(node)))
      OperandTail(node, ender);
  }

  if (paren) {
    if (*R.FParseCursor != ')') R.Fail(103);
    ++R.FParseCursor;
  } else if (*R.FParseCursor != '\0') {
    R.Fail(*R.FParseCursor == ')' ? 104 : 105);
  }
  R.FParseModifiers = savedModifiers;
  return ret;
}

uint8_t* TRegExprCompiler::ParseBranch(int& flags) {
  flags = kFlagWorst;
  uint8_t* ret = EmitNode(opBranch);
  uint8_t* chain = nullptr;
  while (*R.FParseCursor != '\0' && *R.FParseCursor != '|' && *R.FParseCursor != ')') {
    int pieceFlags = 0;
    uint8_t* latest = ParsePiece(pieceFlags);
    flags |= pieceFlags & kFlagHasWidth;
    if (chain == nullptr)
      flags |= pieceFlags & kFlagStarStart;
    else
      Tail(chain, latest);
    chain = latest;
  }
  if (chain == nullptr) EmitNode(opNothing);
  return ret;
}

void TRegExprCompiler::EmitCompactRepeat(uint8_t* operand, TREOp op, int32_t minimum,
                                         int32_t maximum) {
  InsertOperator(op, operand, kREHeaderSize + 2 * kRENumberSize);
  if (Sizing()) return;
  WriteInt32(operand + kREHeaderSize, minimum);
  WriteInt32(operand + kREHeaderSize + kRENumberSize, maximum);
}

void TRegExprCompiler::EmitComplexLoop(uint8_t* operand, int32_t minimum, int32_t maximum,
                                       bool nonGreedy) {
  InsertOperator(opLoopEntry, operand, kREHeaderSize);
  uint8_t* loop = EmitNode(nonGreedy ? opLoopLazy : opLoop);
  EmitInt(minimum);
  EmitInt(maximum);
  if (Sizing()) {
    EmitInt(0);
    return;
  }
  uint8_t* body = operand + kREHeaderSize;
  EmitInt(static_cast<int32_t>(body - loop));
  Tail(operand, loop);
  Tail(body, loop);
}

uint8_t* TRegExprCompiler::ParsePiece(int& flags) {
  int atomFlags = 0;
  uint8_t* ret = ParseAtom(atomFlags);
  const char op = *R.FParseCursor;
  if (!IsQuantifier(op)) {
    flags = atomFlags;
    return ret;
  }
  if ((atomFlags & kFlagHasWidth) == 0 && op != '?') R.Fail(106);
  const bool simple = (atomFlags & kFlagSimple) != 0;
  const bool greedyModifier = (R.FParseModifiers & kModG) != 0;

  // The cursor ends on the quantifier's last character.
  bool nonGreedy = false;
  switch (op) {
    case '*':
      flags = kFlagWorst | kFlagStarStart;
      nonGreedy = R.FParseCursor[1] == '?' || !greedyModifier;
      if (simple) {
        InsertOperator(nonGreedy ? opStarLazy : opStar, ret, kREHeaderSize);
      } else if (!nonGreedy) {
        // (x&|): a branch into x whose end jumps back to the branch, or nothing.
        InsertOperator(opBranch, ret, kREHeaderSize);
        OperandTail(ret, EmitNode(opBack));
        OperandTail(ret, ret);
        Tail(ret, EmitNode(opBranch));
        Tail(ret, EmitNode(opNothing));
      } else {
        EmitComplexLoop(ret, 0, kREInfinity, true);
      }
      break;
    case '+':
      flags = kFlagWorst | kFlagStarStart | kFlagHasWidth;
      nonGreedy = R.FParseCursor[1] == '?' || !greedyModifier;
      if (simple) {
        InsertOperator(nonGreedy ? opPlusLazy : opPlus, ret, kREHeaderSize);
      } else if (!nonGreedy) {
        // x(&|): after x, either back to x or on.
        uint8_t* again = EmitNode(opBranch);
        Tail(ret, again);
        Tail(EmitNode(opBack), ret);
        Tail(again, EmitNode(opBranch));
        Tail(ret, EmitNode(opNothing));
      } else {
        EmitComplexLoop(ret, 1, kREInfinity, true);
      }
      break;
    case '?':
      flags = kFlagWorst;
      nonGreedy = R.FParseCursor[1] == '?' || !greedyModifier;
      if (nonGreedy) {
        if (simple)
          EmitCompactRepeat(ret, opRepeatLazy, 0, 1);
        else
          EmitComplexLoop(ret, 0, 1, true);
      } else {
        // (x|): x, or nothing.
        InsertOperator(opBranch, ret, kREHeaderSize);
        Tail(ret, EmitNode(opBranch));
        uint8_t* nothing = EmitNode(opNothing);
        Tail(ret, nothing);
        OperandTail(ret, nothing);
      }
      break;
    case '{': {
      const char* brace = R.FParseCursor;
      const char* digits = ++R.FParseCursor;
      while (IsDigit(*R.FParseCursor))
        ++R.FParseCursor;
      if (R.FParseCursor == digits || (*R.FParseCursor != '}' && *R.FParseCursor != ',')) {
        R.FParseCursor = brace;  // no quantifier: the '{' starts a literal
        flags = atomFlags;
        return ret;
      }
      const int32_t minimum = BraceNumber(digits, R.FParseCursor);
      int32_t maximum = minimum;
      if (*R.FParseCursor == ',') {
        const char* maxDigits = ++R.FParseCursor;
        while (IsDigit(*R.FParseCursor))
          ++R.FParseCursor;
        if (*R.FParseCursor != '}') {
          R.FParseCursor = brace;
          flags = atomFlags;
          return ret;
        }
        maximum =
            R.FParseCursor == maxDigits ? kREInfinity : BraceNumber(maxDigits, R.FParseCursor);
      }
      if (maximum < minimum) R.Fail(124);
      // A piece that can only match the empty text ({0}, {0,0}) has no width, so no loop can
      // repeat it.
      flags = maximum > 0 ? kFlagHasWidth | kFlagStarStart : kFlagWorst;
      nonGreedy = R.FParseCursor[1] == '?' || !greedyModifier;
      if (simple)
        EmitCompactRepeat(ret, nonGreedy ? opRepeatLazy : opRepeat, minimum, maximum);
      else
        EmitComplexLoop(ret, minimum, maximum, nonGreedy);
      break;
    }
  }

  ++R.FParseCursor;
  if (*R.FParseCursor == '?') ++R.FParseCursor;
  if (IsQuantifier(*R.FParseCursor)) R.Fail(107);
  return ret;
}

int32_t TRegExprCompiler::BraceNumber(const char* from, const char* to) {
  if (to - from > kMaxBraceDigits) R.Fail(122);
  int32_t value = 0;
  for (const char* p = from; p < to; ++p)
    value = value * 10 + (*p - '0');
  return value;
}

uint8_t* TRegExprCompiler::ParseAtom(int& flags) {
  flags = kFlagWorst;
  const char c = *R.FParseCursor;
  if ((R.FParseModifiers & kModX) != 0 && (IsExtendedBlank(c) || c == '#'))
    return SkipExtendedBlanks();

  ++R.FParseCursor;
  const bool multiLine =
      (R.FParseModifiers & kModM) != 0 && (!R.LineBreakChars.empty() || R.FPairSet);
  switch (c) {
    case '^':
      return EmitNode(multiLine ? opLineStart : opTextStart);
    case '$':
      return EmitNode(multiLine ? opLineEnd : opTextEnd);
    case '.':
      if (R.Utf8) {
        flags = kFlagHasWidth | kFlagSimple;
        TCodeSet any;
        any.Negate();
        return EmitCharSet(any, (R.FParseModifiers & kModS) != 0
                                    ? kCharSetAny
                                    : kCharSetAny | kCharSetStopsAtBreaks);
      }
      if ((R.FParseModifiers & kModS) != 0) {
        flags = kFlagHasWidth | kFlagSimple;
        return EmitNode(opAnyChar);
      }
      flags = kFlagHasWidth;
      return EmitNode(opAnyButBreak);
    case '[': {
      flags = kFlagHasWidth | kFlagSimple;
      return ParseClass(*this);
    }
    case '(': {
      if (R.FParseCursor[0] == '?' && R.FParseCursor[1] == '#') return ParseComment();
      if (R.FParseCursor[0] == '?') return ParseModifierGroup();
      int groupFlags = 0;
      uint8_t* group = ParseReg(true, groupFlags);
      flags |= groupFlags & (kFlagHasWidth | kFlagStarStart);
      return group;
    }
    case '\0':
    case '|':
    case ')':
      R.Fail(114);
    case '*':
    case '+':
    case '?':
      R.Fail(115);
    case '\\':
      if (*R.FParseCursor == '\0') R.Fail(116);
      return ParseEscape(flags);
    default:
      --R.FParseCursor;
      return ParseLiteralRun(flags);
  }
}

// Under x: a run of blanks, or a '#' comment to the end of the line, compiled as one comment.
uint8_t* TRegExprCompiler::SkipExtendedBlanks() {
  const char*& cursor = R.FParseCursor;
  if (*cursor == '#') {
    while (*cursor != '\0' && *cursor != '\n' && *cursor != '\r')
      ++cursor;
    while (*cursor == '\n' || *cursor == '\r')
      ++cursor;
  } else {
    while (IsExtendedBlank(*cursor))
      ++cursor;
  }
  return EmitNode(opComment);
}

uint8_t* TRegExprCompiler::ParseComment() {
  const char*& cursor = R.FParseCursor;  // on the '?' of "(?#"
  cursor += 2;
  while (*cursor != '\0' && *cursor != ')')
    ++cursor;
  if (*cursor == '\0') R.Fail(125);
  ++cursor;
  return EmitNode(opComment);
}

uint8_t* TRegExprCompiler::ParseModifierGroup() {
  const char*& cursor = R.FParseCursor;  // on the '?'
  const char* letters = cursor + 1;
  const char* close = letters;
  while (*close != '\0' && *close != ')')
    ++close;
  if (*close == '\0') {
    cursor = close;
    R.Fail(127);
  }
  const char* bad = nullptr;
  if (!ApplyModifierLetters(letters, close, R.FParseModifiers, bad)) {
    cursor = bad;
    R.Fail(127);
  }
  cursor = close + 1;
  return EmitNode(opComment);
}

uint8_t* TRegExprCompiler::ParseEscape(int& flags) {
  const char c = *R.FParseCursor;  // the character after the backslash
  const bool ignoreCase = (R.FParseModifiers & kModI) != 0;
  flags = kFlagHasWidth | kFlagSimple;
  uint8_t* node = nullptr;
  switch (c) {
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
      ++R.FParseCursor;
      node = EmitNode(ignoreCase ? opBackRefCI : opBackRef);
      EmitByte(static_cast<uint8_t>(c - '0'));
      return node;
    case 'd':
    case 'D':
    case 's':
    case 'S':
    case 'w':
    case 'W': {
      ++R.FParseCursor;
      TCodeSet set;
      if (R.Utf8 && UnicodeClass(static_cast<char>(c | 0x20), set)) {
        if (c < 'a') set.Negate();
        return EmitCharSet(set);
      }
      if (c == 'd' || c == 'D') return EmitNode(c == 'd' ? opDigit : opNonDigit);
      TClassBuilder builder(*this, c == 'S' || c == 'W', false);
      builder.AddString(c == 's' || c == 'S' ? R.BlankChars : R.WordLetters);
      builder.Finish();
      return builder.Node();
    }
    case 'A':
    case 'Z':
    case 'b':
    case 'B':
      ++R.FParseCursor;
      flags = kFlagWorst;
      return EmitNode(c == 'A'   ? opTextStart
                      : c == 'Z' ? opTextEnd
                      : c == 'b' ? opWordBound
                                 : opNotWordBound);
    default: {
      char32_t character = 0;
      const int length =
          R.Utf8 ? DecodeUtf8(reinterpret_cast<const unsigned char*>(R.FParseCursor), 4, character)
                 : 0;
      if (length > 1) {  // a quoted character beyond ASCII stands for itself
        R.FParseCursor += length;
        return EmitCharacter(character, ignoreCase, flags);
      }
      const unsigned char ch = UnquoteChar();
      if (ch == 0) {
        // NUL ends every subject, so \x00 matches nothing; a literal cannot hold it (its text
        // would read as empty and match everywhere), a set without members can.
        TClassBuilder builder(*this, false, false);
        builder.Finish();
        return builder.Node();
      }
      node = EmitNode(ignoreCase ? opLiteralCI : opLiteral);
      EmitByte(ch);
      EmitByte(0);
      return node;
    }
  }
}

unsigned char TRegExprCompiler::UnquoteChar() {
  const char*& cursor = R.FParseCursor;
  const char c = *cursor++;
  switch (c) {
    case 't':
      return 9;
    case 'n':
      return 10;
    case 'r':
      return 13;
    case 'f':
      return 12;
    case 'a':
      return 7;
    case 'e':
      return 27;
    case 'x':
      break;
    default:
      return static_cast<unsigned char>(c);
  }
  if (*cursor == '\0') R.Fail(111);
  if (*cursor == '{') {
    ++cursor;
    unsigned value = 0;
    while (*cursor != '}') {
      if (*cursor == '\0') R.Fail(111);
      const int digit = HexValue(*cursor);
      if (digit < 0) R.Fail(108);
      if ((value & 0xF0) != 0) R.Fail(112);
      value = value * 16 + static_cast<unsigned>(digit);
      ++cursor;
    }
    ++cursor;
    return static_cast<unsigned char>(value);
  }
  unsigned value = 0;
  for (int i = 0; i < 2; ++i) {
    if (*cursor == '\0') R.Fail(111);
    const int digit = HexValue(*cursor);
    if (digit < 0) R.Fail(108);
    value = value * 16 + static_cast<unsigned>(digit);
    ++cursor;
  }
  return static_cast<unsigned char>(value);
}

uint8_t* TRegExprCompiler::ParseLiteralRun(int& flags) {
  const char*& cursor = R.FParseCursor;
  std::size_t length = std::strcspn(cursor, kMetaChars);
  if (length == 0) {
    if (*cursor != '{') R.Fail(119);
    length = 1 + std::strcspn(cursor + 1, kMetaChars);
  }
  const char* end = cursor + length;
  if (R.Utf8) {
    if (uint8_t* node = ParseUtf8LiteralStart(length, flags, end)) return node;
  } else if (length > 1 && IsQuantifier(cursor[length])) {
    --end;  // the quantifier takes the last one
  }
  flags = kFlagHasWidth | (end - cursor == 1 ? kFlagSimple : 0);

  uint8_t* node = EmitNode((R.FParseModifiers & kModI) != 0 ? opLiteralCI : opLiteral);
  const bool extended = (R.FParseModifiers & kModX) != 0;
  for (; cursor < end; ++cursor) {
    if (extended && *cursor == '#') break;  // the comment is the next atom
    if (extended && IsExtendedBlank(*cursor)) continue;
    EmitByte(static_cast<uint8_t>(*cursor));
  }
  EmitByte(0);
  return node;
}

uint8_t* TRegExprCompiler::ParseUtf8LiteralStart(std::size_t length, int& flags, const char*& end) {
  const char*& cursor = R.FParseCursor;
  const auto* text = reinterpret_cast<const unsigned char*>(cursor);
  const bool ignoreCase = (R.FParseModifiers & kModI) != 0;
  // The run's characters: where each begins, and whether it is one that (?i) folds beyond ASCII.
  struct TChar {
    std::size_t At;
    int Length;
    char32_t Code;
  };
  std::vector<TChar> chars;
  for (std::size_t at = 0; at < length;) {
    char32_t c = text[at];
    int n = DecodeUtf8(text + at, length - at, c);
    if (n == 0) {  // a byte of no valid sequence stands for itself
      n = 1;
      c = text[at];
    }
    chars.push_back({at, n, c});
    at += static_cast<std::size_t>(n);
  }
  auto folds = [&](const TChar& ch) {
    char32_t orbit[kMaxCaseOrbit];
    return ignoreCase && ch.Code >= 0x80 && ch.Length > 1 && CaseOrbit(ch.Code, orbit) > 1;
  };
  // The quantifier takes the last character; a character (?i) folds beyond ASCII is a set.
  std::size_t count = chars.size();
  if (count > 1 && IsQuantifier(cursor[length])) --count;
  for (std::size_t k = 0; k < count; ++k) {
    if (!folds(chars[k])) continue;
    if (k > 0) {
      count = k;
      break;
    }
    cursor += chars[0].Length;
    return EmitCharacter(chars[0].Code, true, flags);
  }
  if (count == 1 && chars[0].Length > 1 && IsQuantifier(cursor[chars[0].Length])) {
    cursor += chars[0].Length;
    return EmitCharacter(chars[0].Code, false, flags);
  }
  end = cursor + (count == chars.size() ? length : chars[count].At);
  return nullptr;
}

}  // namespace fendrel

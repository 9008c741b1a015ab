// The pattern compiler: a recursive-descent parser run twice over the pattern, first only
// counting the bytes of the program, then writing them into one allocation of exactly that
// size. Character classes are built by TClassBuilder (RegExprClass.cpp).
#pragma once

#include <cstdint>
#include <memory>

#include "RegExpr.h"
#include "RegExprCharSet.h"
#include "RegExprOpcodes.h"

namespace fendrel {

// Parse flags of a piece of pattern.
enum : int {
  kFlagWorst = 0,
  kFlagHasWidth = 1,   // consumes at least one character
  kFlagSimple = 2,     // one node the compact repetitions can repeat
  kFlagStarStart = 4,  // starts with a repetition
};

class TRegExprCompiler {
 public:
  explicit TRegExprCompiler(TRegExpr& regExpr) : R(regExpr) {}

  // Compiles the NUL-terminated `pattern`; raises on error. Returns the program, its size in
  // `size` and the top level's parse flags in `topFlags`.
  std::unique_ptr<uint8_t[]> Compile(const char* pattern, uint32_t& size, int& topFlags);

  // Emission, shared with the class builder. During the sizing pass every emit only counts.
  bool Sizing() const { return FEmit == &FSink; }
  uint8_t* EmitNode(TREOp op);
  void EmitByte(uint8_t byte);
  void EmitInt(int32_t value);
  uint8_t* EmitPosition() const { return FEmit; }
  uint32_t ProgramSize() const { return FSize; }
  // Puts the emit position back to `position` and the size counter to `size`.
  void Rewind(uint8_t* position, uint32_t size);

  // Reads the character after a backslash by the unquote rule; the cursor stands on it and
  // ends behind what was read.
  unsigned char UnquoteChar();

  // Emits an opCharSet node for `set`.
  uint8_t* EmitCharSet(const TCodeSet& set, uint8_t flags = 0);
  // The Unicode class behind \d \s \w (by the letter) in UTF-8 text; false where the settings
  // give the class its own characters (WordLetters, BlankChars changed).
  bool UnicodeClass(char letter, TCodeSet& set) const;

  [[noreturn]] void Error(int32_t code) { R.Fail(code); }
  // The parse cursor and the modifiers in force where it stands.
  const char*& Cursor() { return R.FParseCursor; }
  uint32_t ParseModifiers() const { return R.FParseModifiers; }

  TRegExpr& R;

 private:
  void RunPass(const char* pattern);
  uint8_t* ParseReg(bool paren, int& flags);
  uint8_t* ParseBranch(int& flags);
  uint8_t* ParsePiece(int& flags);
  uint8_t* ParseAtom(int& flags);
  uint8_t* ParseEscape(int& flags);
  uint8_t* ParseLiteralRun(int& flags);
  // In UTF-8 text, where `length` bytes of plain characters lie at the cursor: where the literal
  // ends (`end`; a quantifier takes the last whole character), or a node of its own for its
  // first character when that is a set (a letter (?i) folds beyond ASCII, or one character
  // beyond ASCII that a quantifier repeats).
  uint8_t* ParseUtf8LiteralStart(std::size_t length, int& flags, const char*& end);
  // One character as a node of its own: a set when case is ignored and it has other cases.
  uint8_t* EmitCharacter(char32_t c, bool ignoreCase, int& flags);
  uint8_t* ParseModifierGroup();
  uint8_t* ParseComment();
  uint8_t* SkipExtendedBlanks();
  // Reads a brace number of `digits` digits starting at `from`; raises 122 beyond 8 digits.
  int32_t BraceNumber(const char* from, const char* to);

  void InsertOperator(TREOp op, uint8_t* operand, int size);
  void Tail(uint8_t* node, uint8_t* target);
  void OperandTail(uint8_t* node, uint8_t* target);
  void EmitComplexLoop(uint8_t* operand, int32_t minimum, int32_t maximum, bool nonGreedy);
  void EmitCompactRepeat(uint8_t* operand, TREOp op, int32_t minimum, int32_t maximum);

  uint8_t FSink = 0;  // the emit target of the sizing pass
  uint8_t* FEmit = &FSink;
  uint32_t FSize = 0;
  int FNextGroup = 1;
  int FTopFlags = 0;
};

// Applies modifier letters to `modifiers` as "(?...)" does; false at any other character, with
// `bad` set to its index.
bool ApplyModifierLetters(const char* from, const char* to, uint32_t& modifiers, const char*& bad);

}  // namespace fendrel

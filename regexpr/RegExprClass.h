// The class builder: turns a bracketed class, or \s \S \w \W outside one, into one set node,
// three member bytes for up to three distinct members, a 32-byte bitmap otherwise.
#pragma once

#include <cstdint>
#include <string_view>

#include "RegExpr.h"

namespace fendrel {

class TRegExprCompiler;

class TClassBuilder {
 public:
  // Emits the set node's header; the operand is written by Finish.
  TClassBuilder(TRegExprCompiler& compiler, bool negated, bool ignoreCase);

  // Adds c (and its case counterpart when ignoring case); NUL is never a member. Afterwards no
  // range can start.
  void AddChar(unsigned char c);
  // Adds c and remembers it as the start of a possible range.
  void AddSingle(unsigned char c);
  void AddString(std::string_view chars);
  void AddRange(unsigned char first, unsigned char last);

  bool RangeCanStart() const { return FSingle; }
  unsigned char RangeStart() const { return FRangeStart; }

  void Finish();
  uint8_t* Node() const { return FNode; }

 private:
  void Add(unsigned char c);

  TRegExprCompiler& FCompiler;
  TCharSet FSet;
  int FCount = 0;
  unsigned char FHighest = 0;
  bool FNegated;
  bool FIgnoreCase;
  uint8_t* FNode;
  uint8_t* FOperand;      // emit position behind the header
  uint32_t FOperandSize;  // program size behind the header
  bool FSingle = false;
  unsigned char FRangeStart = 0;
};

// Parses a class with the cursor behind '[' and leaves the cursor behind its ']'.
uint8_t* ParseClass(TRegExprCompiler& compiler);

}  // namespace fendrel

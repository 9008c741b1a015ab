// The class builder (see RegExprClass.h).
#include "RegExprClass.h"

#include "RegExprCompiler.h"

namespace fendrel {
namespace {

// Code page 1251 letters: the alphabet runs 0xE0-0xFF (lower case) and 0xC0-0xDF (upper case)
// with one letter, 0xB8 / 0xA8, outside the run.
constexpr unsigned char kCyrillicLowFirst = 224, kCyrillicLowLast = 255, kCyrillicLowExtra = 184;
constexpr unsigned char kCyrillicUpFirst = 192, kCyrillicUpLast = 223, kCyrillicUpExtra = 168;

}  // namespace

TClassBuilder::TClassBuilder(TRegExprCompiler& compiler, bool negated, bool ignoreCase)
    : FCompiler(compiler), FNegated(negated), FIgnoreCase(ignoreCase) {
  FNode = compiler.EmitNode(negated ? opTinyNotSet : opTinySet);
  FOperand = compiler.EmitPosition();
  FOperandSize = compiler.ProgramSize();
}

void TClassBuilder::Add(unsigned char c) {
  if (FSet[c]) return;
  FSet.set(c);
  ++FCount;
  if (c > FHighest) FHighest = c;
}

void TClassBuilder::AddChar(unsigned char c) {
  FSingle = false;
  if (c == 0) return;
  Add(c);
  if (FIgnoreCase) Add(FCompiler.R.CaseFlip[c]);
}

void TClassBuilder::AddSingle(unsigned char c) {
  AddChar(c);
  FRangeStart = c;
  FSingle = true;
}

void TClassBuilder::AddString(std::string_view chars) {
  for (char c : chars)
    AddChar(static_cast<unsigned char>(c));
}

void TClassBuilder::AddRange(unsigned char first, unsigned char last) {
  if ((FCompiler.ParseModifiers() & kModR) != 0) {
    const bool lower = first == kCyrillicLowFirst && last == kCyrillicLowLast;
    const bool upper = first == kCyrillicUpFirst && last == kCyrillicUpLast;
    const bool both = first == kCyrillicLowFirst && last == kCyrillicUpLast;
    if (lower || both) {
      for (int c = kCyrillicLowFirst; c <= kCyrillicLowLast; ++c)
        AddChar(static_cast<unsigned char>(c));
      AddChar(kCyrillicLowExtra);
    }
    if (upper || both) {
      for (int c = kCyrillicUpFirst; c <= kCyrillicUpLast; ++c)
        AddChar(static_cast<unsigned char>(c));
      AddChar(kCyrillicUpExtra);
    }
    if (lower || upper || both) return;
  }
  if (last < first) FCompiler.Error(109);
  for (int c = first; c <= last; ++c)
    AddChar(static_cast<unsigned char>(c));
}

void TClassBuilder::Finish() {
  FCompiler.Rewind(FOperand, FOperandSize);
  if (FCompiler.Sizing()) {  // only the size counts in this pass
    FCompiler.Rewind(FOperand,
                     FOperandSize + (FCount > kRETinySetBytes ? kRESetBytes : kRETinySetBytes));
    return;
  }
  if (FCount > kRETinySetBytes) {
    FNode[0] = opFullSet;
    const TCharSet members = FNegated ? ~FSet : FSet;
    for (int byte = 0; byte < kRESetBytes; ++byte) {
      uint8_t bits = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if (members[byte * 8 + bit]) bits |= static_cast<uint8_t>(1u << bit);
      }
      FCompiler.EmitByte(bits);
    }
    return;
  }
  int written = 0;
  for (int c = 0; c < 256 && written < FCount; ++c) {
    if (FSet[c]) {
      FCompiler.EmitByte(static_cast<uint8_t>(c));
      ++written;
    }
  }
  for (; written < kRETinySetBytes; ++written)
    FCompiler.EmitByte(FHighest);
}

uint8_t* ParseClass(TRegExprCompiler& compiler) {
  TRegExpr& r = compiler.R;
  const char*& cursor = compiler.Cursor();
  const bool negated = *cursor == '^';
  if (negated) ++cursor;
  TClassBuilder builder(compiler, negated, (compiler.ParseModifiers() & kModI) != 0);
  if (*cursor == ']') {
    builder.AddSingle(']');
    ++cursor;
  }
  while (*cursor != ']' && *cursor != '\0') {
    const char c = *cursor;
    if (c == '-' && builder.RangeCanStart() && cursor[1] != '\0' && cursor[1] != ']') {
      ++cursor;  // on the range end
      if (cursor[0] == '\\' && cursor[1] != '\0' &&
          std::string_view("dDsSwW").find(cursor[1]) != std::string_view::npos) {
        builder.AddChar('-');  // the escape is the next element
        continue;
      }
      unsigned char last;
      if (*cursor == '\\') {
        ++cursor;
        if (*cursor == '\0') compiler.Error(110);
        last = compiler.UnquoteChar();
      } else {
        last = static_cast<unsigned char>(*cursor++);
      }
      builder.AddRange(builder.RangeStart(), last);
      continue;
    }
    ++cursor;
    if (c != '\\') {
      builder.AddSingle(static_cast<unsigned char>(c));
      continue;
    }
    if (*cursor == '\0') compiler.Error(110);
    switch (*cursor) {
      case 'd':
        ++cursor;
        builder.AddString("0123456789");
        break;
      case 's':
        ++cursor;
        builder.AddString(r.BlankChars);
        break;
      case 'w':
        ++cursor;
        builder.AddString(r.WordLetters);
        break;
      default:
        builder.AddSingle(compiler.UnquoteChar());
    }
  }
  builder.Finish();
  if (*cursor == '\0') compiler.Error(113);
  ++cursor;
  return builder.Node();
}

}  // namespace fendrel

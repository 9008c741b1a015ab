// The class builder (see RegExprClass.h).
#include "RegExprClass.h"

#include "RegExprCompiler.h"
#include "RegExprUnicode.h"

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

namespace {

// Adds the characters of a UTF-8 text (WordLetters, BlankChars); a byte of no valid sequence
// stands for the character of its value.
void AddText(TCodeSet& set, std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    char32_t c = bytes[at];
    const int length = DecodeUtf8(bytes + at, text.size() - at, c);
    if (length == 0) c = bytes[at];
    at += static_cast<std::size_t>(length == 0 ? 1 : length);
    set.Add(c, c);
  }
}

// A class in UTF-8 text, as characters; nullptr, the cursor where it was, when the class is to be
// built of bytes: it names a byte above 0x7F by \x or holds a byte of no valid sequence (so it
// stands for bytes), or it is a plain class of ASCII characters (so it compiles as it always did).
uint8_t* ParseUtf8Class(TRegExprCompiler& compiler) {
  const char*& cursor = compiler.Cursor();
  const char* const start = cursor;
  const bool negated = *cursor == '^';
  if (negated) ++cursor;
  TCodeSet set;
  bool beyondAscii = negated;
  // Reads one member character; false when it is a byte that makes this a class of bytes.
  auto member = [&](char32_t& c) {
    const auto* at = reinterpret_cast<const unsigned char*>(cursor);
    if (*at == '\\') {
      ++cursor;
      if (*cursor == '\0') compiler.Error(110);
      const int length = DecodeUtf8(reinterpret_cast<const unsigned char*>(cursor), 4, c);
      if (length > 1) {
        cursor += length;
        return true;
      }
      const bool hex = *cursor == 'x';
      c = compiler.UnquoteChar();
      return !(hex && c >= 0x80) && c < 0x80;
    }
    const int length = DecodeUtf8(at, 4, c);
    if (length == 0) return false;
    cursor += length;
    return true;
  };
  bool single = false;  // the last member was a character a range can start from
  char32_t rangeStart = 0;
  auto addOne = [&](char32_t c) {
    set.Add(c, c);
    beyondAscii |= c >= 0x80;
    single = true;
    rangeStart = c;
  };
  if (*cursor == ']') {
    addOne(']');
    ++cursor;
  }
  while (*cursor != ']' && *cursor != '\0') {
    if (*cursor == '-' && single && cursor[1] != '\0' && cursor[1] != ']') {
      ++cursor;  // on the range end
      if (cursor[0] == '\\' && cursor[1] != '\0' &&
          std::string_view("dDsSwW").find(cursor[1]) != std::string_view::npos) {
        set.Add('-', '-');  // the escape is the next element
        single = false;
        continue;
      }
      char32_t last = 0;
      if (!member(last)) {
        cursor = start;
        return nullptr;
      }
      single = false;
      beyondAscii |= last >= 0x80;
      if ((compiler.ParseModifiers() & kModR) != 0) {
        // Cyrillic ranges take the letter the alphabet order leaves out.
        constexpr char32_t kLowA = 0x430, kLowYa = 0x44F, kUpA = 0x410, kUpYa = 0x42F;
        const bool lower = rangeStart == kLowA && last == kLowYa;
        const bool upper = rangeStart == kUpA && last == kUpYa;
        const bool both = rangeStart == kLowA && last == kUpYa;
        if (lower || both) set.Add(kLowA, kLowYa), set.Add(0x451, 0x451);
        if (upper || both) set.Add(kUpA, kUpYa), set.Add(0x401, 0x401);
        if (lower || upper || both) continue;
      }
      if (last < rangeStart) compiler.Error(109);
      set.Add(rangeStart, last);
      continue;
    }
    if (cursor[0] == '\\' && cursor[1] != '\0' &&
        std::string_view("dsw").find(cursor[1]) != std::string_view::npos) {
      const char letter = cursor[1];
      cursor += 2;
      if (compiler.UnicodeClass(letter, set)) {
        beyondAscii = true;
      } else {
        AddText(set, letter == 's' ? compiler.R.BlankChars : compiler.R.WordLetters);
        beyondAscii |= !set.AsciiOnly();
      }
      single = false;
      continue;
    }
    char32_t c = 0;
    if (!member(c)) {
      cursor = start;
      return nullptr;
    }
    addOne(c);
  }
  if (*cursor == '\0') compiler.Error(113);
  if (!beyondAscii) {
    cursor = start;
    return nullptr;
  }
  ++cursor;
  if ((compiler.ParseModifiers() & kModI) != 0) set.AddCaseVariants();
  if (negated) set.Negate();
  return compiler.EmitCharSet(set);
}

}  // namespace

uint8_t* ParseClass(TRegExprCompiler& compiler) {
  TRegExpr& r = compiler.R;
  const char*& cursor = compiler.Cursor();
  if (r.Utf8)
    if (uint8_t* node = ParseUtf8Class(compiler)) return node;
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

// The program listing (see RegExprDump.h).
#include "RegExprDump.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "RegExprCharSet.h"
#include "RegExprOpcodes.h"

namespace fendrel {
namespace {

std::string Hex(unsigned value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

std::string QuotedText(const uint8_t* text, std::size_t length) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < length; ++i) {
    const uint8_t c = text[i];
    if (c < 32 || c > 126 || c == '"' || c == '\\')
      quoted += "\\x" + Hex(c);
    else
      quoted += static_cast<char>(c);
  }
  return quoted + "\"";
}

// The ASCII members, then each state's transitions: "C2-DF>1" goes on to state 1, ">*" ends
// the character.
std::string CharSetNodeText(const uint8_t* operand, std::size_t size) {
  TCharSet ascii;
  for (int c = 1; c < 0x80; ++c)
    ascii[c] = CharSetHasAscii(operand, static_cast<unsigned char>(c));
  std::string text = (CharSetFlags(operand) & kCharSetStopsAtBreaks) ? " breaks-stop " : " ";
  text += CharSetText(ascii);
  if (size < kCharSetHeader + 2) return text + " (truncated)";
  const uint8_t* table = operand + kCharSetHeader;
  const int states = table[0] | table[1] << 8;
  for (int state = 0; state < states; ++state) {
    const std::size_t at =
        static_cast<std::size_t>(table[2 + 2 * state] | table[3 + 2 * state] << 8);
    if (at >= size || at + 1 + 4u * operand[at] > size) return text + " (truncated)";
    text += " |" + std::to_string(state) + ":";
    for (int k = 0; k < operand[at]; ++k) {
      const uint8_t* edge = operand + at + 1 + 4 * k;
      const int target = edge[2] | edge[3] << 8;
      text += ' ';
      text += Hex(edge[0]);
      if (edge[1] != edge[0]) {
        text += '-';
        text += Hex(edge[1]);
      }
      text += '>';
      text += target == kCharSetAccept ? std::string("*") : std::to_string(target);
    }
  }
  return text;
}

}  // namespace

const char* OpName(TREOp op) {
  static const char* const kNames[] = {
      "opEnd",         "opTextStart", "opTextEnd",      "opAnyChar",  "opCharSet",   nullptr,
      "opBranch",      "opBack",      "opLiteral",      "opNothing",  "opStar",      "opPlus",
      "opDigit",       "opNonDigit",  nullptr,          nullptr,      nullptr,       nullptr,
      "opRepeat",      "opComment",   "opLiteralCI",    nullptr,      nullptr,       "opLoopEntry",
      "opLoop",        "opTinySet",   "opTinyNotSet",   "opFullSet",  "opBackRef",   "opBackRefCI",
      "opStarLazy",    "opPlusLazy",  "opRepeatLazy",   "opLoopLazy", "opLineStart", "opLineEnd",
      "opAnyButBreak", "opWordBound", "opNotWordBound",
  };
  if (op < std::size(kNames)) return kNames[op];
  static const char* const kGroups[] = {
      "opOpen1",   "opOpen2",   "opOpen3",   "opOpen4",   "opOpen5",   "opOpen6",
      "opOpen7",   "opOpen8",   "opOpen9",   "opOpen10",  "opOpen11",  "opOpen12",
      "opOpen13",  "opOpen14",  nullptr,     "opClose1",  "opClose2",  "opClose3",
      "opClose4",  "opClose5",  "opClose6",  "opClose7",  "opClose8",  "opClose9",
      "opClose10", "opClose11", "opClose12", "opClose13", "opClose14",
  };
  if (op >= opOpenFirst && op <= opCloseLast) return kGroups[op - opOpenFirst];
  return nullptr;
}

std::string CharSetText(const TCharSet& set) {
  std::string text;
  for (int c = 0; c < 256;) {
    if (!set[c]) {
      ++c;
      continue;
    }
    int last = c;
    while (last + 1 < 256 && set[last + 1])
      ++last;
    if (!text.empty()) text += ' ';
    if (last - c >= 2) {
      text += Hex(c);
      text += '-';
      text += Hex(last);
    } else {
      for (int m = c; m <= last; ++m) {
        if (m > c) text += ' ';
        text += Hex(m);
      }
    }
    c = last + 1;
  }
  return text.empty() ? "-" : text;
}

std::string DumpProgram(std::string_view programText) {
  const auto* program = reinterpret_cast<const uint8_t*>(programText.data());
  const std::size_t size = programText.size();
  std::string dump;
  // Nodes lie back to back, a repetition's operand node right behind its counts, so one pass
  // over the bytes visits every node in order.
  std::size_t at = 1;
  while (at + kREHeaderSize <= size) {
    const uint8_t* node = program + at;
    const TREOp op = NodeOp(node);
    const char* name = OpName(op);
    const int32_t next = ReadInt32(node + 1);
    dump += std::to_string(at) + " " + (name ? name : ("op?" + std::to_string(op))) + " next " +
            (next == 0 ? "-" : std::to_string(static_cast<int64_t>(at) + next));
    const uint8_t* operand = NodeOperand(node);
    const std::size_t room = size - at - kREHeaderSize;  // operand bytes left in the program
    std::size_t length = kREHeaderSize;
    std::size_t need = 0;
    switch (op) {
      case opRepeat:
      case opRepeatLazy:
        need = 2 * kRENumberSize;
        break;
      case opLoop:
      case opLoopLazy:
        need = 3 * kRENumberSize;
        break;
      case opTinySet:
      case opTinyNotSet:
        need = kRETinySetBytes;
        break;
      case opFullSet:
        need = kRESetBytes;
        break;
      case opBackRef:
      case opBackRefCI:
        need = 1;
        break;
      case opCharSet:
        need = room < kRENumberSize ? kRENumberSize
                                    : static_cast<std::size_t>(std::max(ReadInt32(operand), 0));
        break;
      default:
        break;
    }
    if (need > room) {
      dump += " (truncated)\n";
      break;
    }
    switch (op) {
      case opLiteral:
      case opLiteralCI: {
        const std::size_t text =
            strnlen(reinterpret_cast<const char*>(operand), size - at - kREHeaderSize);
        dump += ' ';
        dump += QuotedText(operand, text);
        length += text + 1;
        break;
      }
      case opRepeat:
      case opRepeatLazy:
        dump += " min " + std::to_string(ReadInt32(operand)) + " max " +
                std::to_string(ReadInt32(operand + kRENumberSize));
        length += 2 * kRENumberSize;
        break;
      case opLoop:
      case opLoopLazy:
        dump += " min " + std::to_string(ReadInt32(operand)) + " max " +
                std::to_string(ReadInt32(operand + kRENumberSize)) + " body " +
                std::to_string(static_cast<int64_t>(at) + ReadInt32(operand + 2 * kRENumberSize));
        length += 3 * kRENumberSize;
        break;
      case opTinySet:
      case opTinyNotSet:
        for (int i = 0; i < kRETinySetBytes; ++i) {
          dump += ' ';
          dump += Hex(operand[i]);
        }
        length += kRETinySetBytes;
        break;
      case opFullSet: {
        TCharSet set;
        for (int c = 0; c < 256; ++c)
          set[c] = (operand[c / 8] >> (c % 8)) & 1;
        dump += ' ';
        dump += CharSetText(set);
        length += kRESetBytes;
        break;
      }
      case opBackRef:
      case opBackRefCI:
        dump += " group " + std::to_string(operand[0]);
        length += 1;
        break;
      case opCharSet:
        dump += CharSetNodeText(operand, need);
        length += need;
        break;
      default:
        break;
    }
    dump += '\n';
    at += length;
  }
  return dump;
}

}  // namespace fendrel

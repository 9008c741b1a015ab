#include "uExtPChar.h"

#include <algorithm>

namespace fendrel {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void TExtPChar::SetText(std::string_view text) {
  FBuffer.fill(0);
  FLen = static_cast<int32_t>(std::min<std::size_t>(text.size(), kCapacity));
  std::copy_n(text.data(), FLen, FBuffer.data());
}

void TExtPChar::SetHex(std::string_view text) {
  FBuffer.fill(0);
  FLen = 0;
  int high = -1;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) continue;
    if (high < 0) {
      high = digit;
      continue;
    }
    if (FLen == kCapacity) break;
    FBuffer[FLen++] = static_cast<char>(high << 4 | digit);
    high = -1;
  }
}

std::size_t TExtPChar::HexByteCount(std::string_view text) {
  return static_cast<std::size_t>(
             std::count_if(text.begin(), text.end(), [](char c) { return HexDigit(c) >= 0; })) /
         2;
}

std::string TExtPChar::GetHex() const {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (int32_t i = 0; i < FLen; ++i) {
    const auto byte = static_cast<unsigned char>(FBuffer[i]);
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0x0F];
  }
  return hex;
}

std::string TExtPChar::GetDisplayText() const {
  std::string text(FBuffer.data(), std::max(FLen, 0));
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 32) c = '.';
  }
  return text;
}

bool TExtPChar::HasControlChars() const {
  return std::any_of(FBuffer.begin(), FBuffer.begin() + std::max(FLen, 0),
                     [](char c) { return static_cast<unsigned char>(c) < 32; });
}

}  // namespace fendrel

#include "HexArgument.h"

#include <cstdio>

#include "engine/uExtPChar.h"

namespace fendrel::cli {
namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// 'z', or "byte 0xC3" for a byte that would not show as itself.
std::string Shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte > 0x20 && byte < 0x7F) return std::string("'") + c + "'";
  char text[10];
  std::snprintf(text, sizeof text, "byte 0x%02X", byte);
  return text;
}

}  // namespace

std::optional<std::string> HexArgumentBytes(std::string_view name, std::string_view text,
                                            std::string& error) {
  std::size_t digits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHexDigit(text[i])) {
      ++digits;
    } else if (!IsSeparator(text[i])) {
      error = std::string(name) + " holds " + Shown(text[i]) + " at position " +
              std::to_string(i + 1) + ", which is not a hexadecimal digit";
      return std::nullopt;
    }
  }
  if (digits % 2 != 0) {
    error = std::string(name) + " has an odd number of hexadecimal digits (" +
            std::to_string(digits) + ")";
    return std::nullopt;
  }
  if (digits / 2 > static_cast<std::size_t>(TExtPChar::kCapacity)) {
    error = std::string(name) + " spells " + std::to_string(digits / 2) + " bytes; at most " +
            std::to_string(TExtPChar::kCapacity) + " fit";
    return std::nullopt;
  }
  // Whole bytes only, so the editors' conversion reads them exactly as written.
  TExtPChar bytes;
  bytes.SetHex(text);
  return std::string(bytes.Buffer(), bytes.Len());
}

}  // namespace fendrel::cli

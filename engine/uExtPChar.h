// The value behind a string editor: at most 1024 bytes, any byte value, with a length that is
// -1 until the value is first set.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace fendrel {

class TExtPChar {
 public:
  static constexpr int32_t kCapacity = 1024;

  // The bytes of `text`, cut to the capacity.
  void SetText(std::string_view text);
  // The bytes the hexadecimal digits of `text` denote: case is ignored, every other character
  // dropped (of "0x" only the x goes), digits taken in pairs, an odd last digit ignored, at
  // most kCapacity bytes.
  void SetHex(std::string_view text);
  // Two upper-case digits per byte, no separators.
  std::string GetHex() const;
  // One character per byte, bytes below 32 shown as ".".
  std::string GetDisplayText() const;
  bool HasControlChars() const;

  // How many bytes SetHex(text) would produce before the cut to the capacity.
  static std::size_t HexByteCount(std::string_view text);

  const char* Buffer() const { return FBuffer.data(); }
  int32_t Len() const { return FLen; }

 private:
  std::array<char, kCapacity> FBuffer{};
  int32_t FLen = -1;
};

}  // namespace fendrel

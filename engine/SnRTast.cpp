#include "SnRTast.h"

#include <cstring>

namespace fendrel {

void TSnRTast::Init(const std::string& fileName, const char* fromData, int32_t fromLen,
                    TSearchMode searchMode, const char* toData, int32_t toLen, bool createBackup,
                    TLogMode logMode) {
  FileName = fileName;
  StoreBytes(fromData, fromLen, FromStr, FromLen, FromStrDisplay);
  if (toLen == -1) toLen = 0;
  StoreBytes(toData, toLen, ToStr, ToLen, ToStrDisplay);
  SearchMode = searchMode;
  CreateBackup = createBackup;
  LogMode = logMode;
}

void TSnRTast::StoreBytes(const char* data, int32_t len, std::string& buffer, int32_t& storedLen,
                          std::string& display) {
  const std::size_t size = len > 0 && data != nullptr ? static_cast<std::size_t>(len) : 0;
  buffer.assign(data == nullptr ? "" : data, size);
  storedLen = len;

  const std::size_t shown = strnlen(buffer.data(), size);
  display.clear();
  if (shown == 0) return;
  static constexpr char kHex[] = "0123456789ABCDEF";
  display.reserve(shown * 3 + 3);
  display.append(buffer, 0, shown);
  display += " [";
  for (std::size_t i = 0; i < shown; ++i) {
    const auto byte = static_cast<unsigned char>(buffer[i]);
    display += kHex[byte >> 4];
    display += kHex[byte & 0x0F];
  }
  display += ']';
  for (char& c : display) {
    if (static_cast<unsigned char>(c) < 32) c = '.';
  }
}

}  // namespace fendrel

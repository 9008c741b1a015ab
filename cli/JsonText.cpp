#include "JsonText.h"

#include <cstdio>

namespace fendrel::cli {
namespace {

// The length of the well-formed UTF-8 character at the start of `bytes`, 0 when there is none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t Utf8CharLength(std::string_view bytes) {
  const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

void AppendEscape(std::string& json, unsigned code) {
  char escape[7];
  std::snprintf(escape, sizeof escape, "\\u%04x", code);
  json += escape;
}

}  // namespace

std::string JsonString(std::string_view bytes) {
  std::string json = "\"";
  while (!bytes.empty()) {
    const auto c = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 1;
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c < 0x20) {
      AppendEscape(json, c);
    } else if (c < 0x80) {
      json += static_cast<char>(c);
    } else if ((length = Utf8CharLength(bytes)) > 0) {
      json.append(bytes.substr(0, length));
    } else {
      AppendEscape(json, 0xDC00 + c);
      length = 1;
    }
    bytes.remove_prefix(length);
  }
  return json + "\"";
}

}  // namespace fendrel::cli

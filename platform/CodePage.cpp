// Case tables of the code-page modes, the process-wide selection and how a locale selects one.
#include "CodePage.h"

#include <langinfo.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fendrel {
namespace {

// The Cyrillic capitals of Windows-1251 outside 0xC0-0xDF, each with its small letter.
constexpr std::pair<int, int> kWindows1251Pairs[] = {
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
    {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
    {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
};

TCaseMap BuildMap(TCaseTable table) {
  TCaseMap map{};
  for (int c = 0; c < 256; ++c) {
    map.Upper[c] = static_cast<unsigned char>(c);
    map.Lower[c] = static_cast<unsigned char>(c);
  }
  auto pair = [&map](int upper, int lower) {
    map.Upper[lower] = static_cast<unsigned char>(upper);
    map.Lower[upper] = static_cast<unsigned char>(lower);
  };
  for (int c = 'A'; c <= 'Z'; ++c)
    pair(c, c + 32);
  if (table == TCaseTable::Windows1252) {
    for (int c = 0xC0; c <= 0xDE; ++c) {
      if (c != 0xD7) pair(c, c + 32);  // 0xD7 and 0xF7 are the multiplication and division signs
    }
    pair(0x8A, 0x9A);
    pair(0x8C, 0x9C);
    pair(0x8E, 0x9E);
    pair(0x9F, 0xFF);
  } else if (table == TCaseTable::Windows1251) {
    for (int c = 0xC0; c <= 0xDF; ++c)
      pair(c, c + 32);
    for (const auto& [upper, lower] : kWindows1251Pairs)
      pair(upper, lower);
  }
  return map;
}

const TCaseMap kAsciiMap = BuildMap(TCaseTable::Ascii);
const TCaseMap kWindows1252Map = BuildMap(TCaseTable::Windows1252);
const TCaseMap kWindows1251Map = BuildMap(TCaseTable::Windows1251);

std::atomic<TCaseTable> gActiveTable{TCaseTable::Ascii};

// A code-set name reduced to lower-case letters and digits: "UTF-8", "utf8" and "Utf_8" are
// all "utf8".
std::string CodesetKey(std::string_view codeset) {
  std::string key;
  for (char c : codeset) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return key;
}

TCaseTable TableForCodeset(std::string_view codeset) {
  const std::string key = CodesetKey(codeset);
  // The C and POSIX locales' ASCII says nothing about the text: on Linux that is UTF-8 nearly
  // everywhere, and a single-byte table would fold the bytes of its multi-byte characters.
  if (key == "utf8" || key == "ansix341968" || key == "ascii" || key == "usascii")
    return TCaseTable::Ascii;
  if (key == "cp1251" || key == "windows1251") return TCaseTable::Windows1251;
  return TCaseTable::Windows1252;
}

// "language_TERRITORY.codeset@modifier": the code set, empty when the name has none.
std::string_view CodesetOfLocaleName(std::string_view name) {
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view rest = name.substr(dot + 1);
  return rest.substr(0, rest.find('@'));
}

}  // namespace

const TCaseMap& CaseMapOf(TCaseTable table) {
  switch (table) {
    case TCaseTable::Windows1252:
      return kWindows1252Map;
    case TCaseTable::Windows1251:
      return kWindows1251Map;
    case TCaseTable::Ascii:
      break;
  }
  return kAsciiMap;
}

const TCaseMap& ActiveCaseMap() {
  return CaseMapOf(gActiveTable.load(std::memory_order_relaxed));
}

TCaseTable ActiveCaseTable() {
  return gActiveTable.load(std::memory_order_relaxed);
}

void SelectCaseTable(TCaseTable table) {
  gActiveTable.store(table, std::memory_order_relaxed);
}

TCaseTable CaseTableFor(const char* loadedCodeset, const char* lcAll, const char* lcCtype,
                        const char* lang) {
  if (loadedCodeset != nullptr) return TableForCodeset(loadedCodeset);
  // The locale is not installed: its name still tells how the user's text is encoded, and a
  // UTF-8 name must never fold the bytes of multi-byte characters as single-byte letters.
  for (const char* name : {lcAll, lcCtype, lang}) {
    if (name == nullptr || *name == '\0') continue;
    const std::string_view locale(name);
    if (locale == "C" || locale == "POSIX") return TCaseTable::Ascii;
    return TableForCodeset(CodesetOfLocaleName(name));
  }
  return TCaseTable::Ascii;  // no locale at all: as the C locale
}

const char* CodeSetName(TCaseTable table) {
  switch (table) {
    case TCaseTable::Windows1252:
      return "Windows-1252";
    case TCaseTable::Windows1251:
      return "Windows-1251";
    case TCaseTable::Ascii:
      break;
  }
  return "UTF-8";
}

std::optional<TCaseTable> CaseTableNamed(std::string_view name) {
  const std::string key = CodesetKey(name);
  if (key == "utf8") return TCaseTable::Ascii;
  if (key == "cp1251" || key == "windows1251") return TCaseTable::Windows1251;
  // Single bytes, each a character of the Western European table.
  if (key == "bytes" || key == "cp1252" || key == "windows1252" || key == "latin1" ||
      key == "iso88591" || key == "iso885915")
    return TCaseTable::Windows1252;
  return std::nullopt;
}

TCaseTable CaseTableFromLocale(bool localeLoaded) {
  return CaseTableFor(localeLoaded ? nl_langinfo(CODESET) : nullptr, std::getenv("LC_ALL"),
                      std::getenv("LC_CTYPE"), std::getenv("LANG"));
}

}  // namespace fendrel

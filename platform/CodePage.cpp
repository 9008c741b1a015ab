// Case tables of the two code-page modes and the process-wide selection.
#include "CodePage.h"

#include <langinfo.h>

#include <atomic>
#include <cstring>

namespace fendrel {
namespace {

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
  }
  return map;
}

const TCaseMap kAsciiMap = BuildMap(TCaseTable::Ascii);
const TCaseMap kWindows1252Map = BuildMap(TCaseTable::Windows1252);

std::atomic<TCaseTable> gActiveTable{TCaseTable::Ascii};

}  // namespace

const TCaseMap& CaseMapOf(TCaseTable table) {
  return table == TCaseTable::Windows1252 ? kWindows1252Map : kAsciiMap;
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

TCaseTable CaseTableFromLocale() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset != nullptr && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0))
    return TCaseTable::Ascii;
  return TCaseTable::Windows1252;
}

}  // namespace fendrel

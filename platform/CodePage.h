// Case mapping of single bytes in the program's 8-bit code page.
//
// Every byte-wise case-insensitive comparison in Fendrel (literal search, wildcard masks, the
// regular-expression engine) goes through the active table. The table is chosen once at
// start-up from the locale; tests select one explicitly so they never depend on the machine.
#pragma once

#include <array>
#include <cstdint>

namespace fendrel {

enum class TCaseTable {
  // UTF-8 locales: only ASCII letters change, so a byte of a multi-byte character never
  // matches another byte.
  Ascii,
  // Any other locale: the Western European single-byte table.
  Windows1252,
};

struct TCaseMap {
  std::array<unsigned char, 256> Upper;
  std::array<unsigned char, 256> Lower;
};

const TCaseMap& CaseMapOf(TCaseTable table);

// The table in force for the whole process; Ascii until selected.
const TCaseMap& ActiveCaseMap();
TCaseTable ActiveCaseTable();
void SelectCaseTable(TCaseTable table);

// The table that the current LC_CTYPE locale calls for (call setlocale first).
TCaseTable CaseTableFromLocale();

inline unsigned char CharUpper(unsigned char c) {
  return ActiveCaseMap().Upper[c];
}
inline unsigned char CharLower(unsigned char c) {
  return ActiveCaseMap().Lower[c];
}

}  // namespace fendrel

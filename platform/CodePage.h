// Case mapping of single bytes in the program's 8-bit code page.
//
// Every byte-wise case-insensitive comparison in Fendrel (literal search, wildcard masks, the
// regular-expression engine) goes through the active table. The table is chosen once at
// start-up from the locale; tests select one explicitly so they never depend on the machine.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace fendrel {

enum class TCaseTable {
  // UTF-8 locales: only ASCII letters change, so a byte of a multi-byte character never
  // matches another byte.
  Ascii,
  // Single-byte locales other than Cyrillic ones: the Western European table.
  Windows1252,
  // Locales whose code set is CP1251: the Cyrillic table.
  Windows1251,
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

// Whether bytes are UTF-8 text under `table`; the code page of everything shown to the user
// follows this, so case folding and display never disagree.
inline bool IsUtf8CaseTable(TCaseTable table) {
  return table == TCaseTable::Ascii;
}

// The table a locale calls for. `loadedCodeset` is the code set of the LC_CTYPE locale when
// setlocale succeeded, nullptr when it failed; the process then still runs in the C locale,
// and the locale the user asked for is read from its name: the first non-empty one of
// `lcAll`, `lcCtype` and `lang` (each may be nullptr), code set after '.' and before '@'.
// UTF-8 (any case, with or without '-'), the C and POSIX locales' ASCII and no locale at all
// select Ascii, CP1251 or Windows-1251 selects Windows1251, any other code set (named, or
// implied by a locale name without one) Windows1252.
TCaseTable CaseTableFor(const char* loadedCodeset, const char* lcAll, const char* lcCtype,
                        const char* lang);

// The name users know the table's code set by: "UTF-8", "Windows-1252" or "Windows-1251".
const char* CodeSetName(TCaseTable table);

// The table of a code set named as a user writes it ("utf8", "CP1251", "latin1", "bytes": any
// case, with or without '-'); nullopt for a name no table stands for.
std::optional<TCaseTable> CaseTableNamed(std::string_view name);

// CaseTableFor with this process's locale and environment: pass whether the caller's
// setlocale(..., "") succeeded.
TCaseTable CaseTableFromLocale(bool localeLoaded);

inline unsigned char CharUpper(unsigned char c) {
  return ActiveCaseMap().Upper[c];
}
inline unsigned char CharLower(unsigned char c) {
  return ActiveCaseMap().Lower[c];
}

}  // namespace fendrel

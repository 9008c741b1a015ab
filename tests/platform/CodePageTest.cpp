// Which case table a locale selects, and what the Cyrillic table folds.
#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace fendrel {
namespace {

TEST(CodePage, LocaleSelectsTheTableOfItsCodeset) {
  struct TCase {
    const char* Loaded;  // nullptr: setlocale failed
    const char* LcAll;
    const char* LcCtype;
    const char* Lang;
    TCaseTable Want;
  };
  using enum TCaseTable;
  const TCase cases[] = {
      // A loaded locale is asked for its code set; the names no longer matter.
      {"UTF-8", nullptr, nullptr, "de_DE.ISO-8859-1", Ascii},
      {"utf8", nullptr, nullptr, nullptr, Ascii},
      {"ISO-8859-1", nullptr, nullptr, "de_DE.UTF-8", Windows1252},
      {"ANSI_X3.4-1968", nullptr, nullptr, nullptr, Windows1252},
      {"CP1251", nullptr, nullptr, nullptr, Windows1251},
      {"KOI8-R", nullptr, nullptr, nullptr, Windows1252},
      // Not installed: the name the user set decides, never the C locale's ASCII.
      {nullptr, nullptr, nullptr, "en_US.UTF-8", Ascii},
      {nullptr, nullptr, nullptr, "en_US.utf8", Ascii},
      {nullptr, nullptr, nullptr, "sr_RS.UTF-8@latin", Ascii},
      {nullptr, nullptr, nullptr, "C.Utf-8", Ascii},
      {nullptr, nullptr, nullptr, "ru_RU.CP1251", Windows1251},
      {nullptr, nullptr, nullptr, "ru_RU.windows-1251", Windows1251},
      {nullptr, nullptr, nullptr, "de_DE", Windows1252},
      {nullptr, nullptr, nullptr, "de_DE@euro", Windows1252},
      {nullptr, nullptr, nullptr, "UTF-8", Windows1252},  // a language, not a code set
      {nullptr, nullptr, nullptr, nullptr, Windows1252},
      // LC_ALL over LC_CTYPE over LANG; empty values do not count.
      {nullptr, "ru_RU.CP1251", "en_US.UTF-8", "de_DE", Windows1251},
      {nullptr, "", "en_US.UTF-8", "ru_RU.CP1251", Ascii},
      {nullptr, "", "", "ru_RU.CP1251", Windows1251},
      {nullptr, "de_DE", "", "en_US.UTF-8", Windows1252},
  };
  for (const TCase& c : cases) {
    auto show = [](const char* s) {
      return s == nullptr ? std::string("null") : '"' + std::string(s) + '"';
    };
    EXPECT_EQ(CaseTableFor(c.Loaded, c.LcAll, c.LcCtype, c.Lang), c.Want)
        << show(c.Loaded) << " " << show(c.LcAll) << " " << show(c.LcCtype) << " " << show(c.Lang);
  }
}

TEST(CodePage, Windows1251FoldsEveryCyrillicLetterPair) {
  const TCaseMap& map = CaseMapOf(TCaseTable::Windows1251);
  std::vector<std::pair<int, int>> pairs = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
                                            {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2},
                                            {0xA3, 0xBC}, {0xA5, 0xB4}, {0xA8, 0xB8}, {0xAA, 0xBA},
                                            {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
  for (int c = 0xC0; c <= 0xDF; ++c)
    pairs.emplace_back(c, c + 32);
  for (int c = 'A'; c <= 'Z'; ++c)
    pairs.emplace_back(c, c + 32);
  std::array<bool, 256> letter{};
  for (const auto& [upper, lower] : pairs) {
    EXPECT_EQ(map.Upper[lower], upper) << std::hex << lower;
    EXPECT_EQ(map.Lower[upper], lower) << std::hex << upper;
    EXPECT_EQ(map.Upper[upper], upper) << std::hex << upper;
    EXPECT_EQ(map.Lower[lower], lower) << std::hex << lower;
    letter[upper] = letter[lower] = true;
  }
  // Signs, punctuation and the undefined 0x98 have no case.
  for (int c = 0; c < 256; ++c) {
    if (letter[c]) continue;
    EXPECT_EQ(map.Upper[c], c) << std::hex << c;
    EXPECT_EQ(map.Lower[c], c) << std::hex << c;
  }
}

TEST(CodePage, EveryTableFoldsInPairs) {
  // A byte's other case leads back to it: no two letters share a counterpart.
  for (TCaseTable table : {TCaseTable::Ascii, TCaseTable::Windows1252, TCaseTable::Windows1251}) {
    const TCaseMap& map = CaseMapOf(table);
    for (int c = 0; c < 256; ++c) {
      if (map.Upper[c] != c) {
        EXPECT_EQ(map.Lower[map.Upper[c]], c) << std::hex << c;
      }
      if (map.Lower[c] != c) {
        EXPECT_EQ(map.Upper[map.Lower[c]], c) << std::hex << c;
      }
    }
  }
}

}  // namespace
}  // namespace fendrel

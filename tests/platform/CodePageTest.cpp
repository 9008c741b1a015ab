// Which case table a locale selects, and that every table folds in pairs.
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
      {"ISO-8859-1", nullptr, nullptr, "de_DE.UTF-8", Windows1252},
      {"ANSI_X3.4-1968", nullptr, nullptr, nullptr, Ascii},  // C and POSIX: text is UTF-8
      {"CP1251", nullptr, nullptr, nullptr, Windows1251},
      // Not installed: the name the user set decides, never the C locale's ASCII.
      {nullptr, nullptr, nullptr, "en_US.UTF-8", Ascii},
      {nullptr, nullptr, nullptr, "sr_RS.UTF-8@latin", Ascii},
      {nullptr, nullptr, nullptr, "C.Utf-8", Ascii},
      {nullptr, nullptr, nullptr, "ru_RU.CP1251", Windows1251},
      {nullptr, nullptr, nullptr, "ru_RU.windows-1251", Windows1251},
      {nullptr, nullptr, nullptr, "de_DE", Windows1252},
      {nullptr, nullptr, nullptr, "UTF-8", Windows1252},  // a language, not a code set
      {nullptr, nullptr, nullptr, nullptr, Ascii},
      {nullptr, "POSIX", nullptr, "de_DE", Ascii},
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

// Regular expressions fold letters by the code page's case table, as the literal search does.
#include <gtest/gtest.h>

#include <string>

#include "engine/RegExprCaseFlip.h"
#include "platform/CodePage.h"
#include "regexpr/RegExpr.h"

namespace fendrel {
namespace {

class RegExprCaseFlipTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SelectCaseTable(TCaseTable::Ascii);
    InstallRegExprCaseFlip();
  }

  static int64_t CountMatches(const std::string& pattern, const std::string& subject) {
    TRegExpr regExpr;
    regExpr.SetExpression(pattern);
    int64_t count = 0;
    for (bool found = regExpr.Exec(subject); found; found = regExpr.ExecNext())
      ++count;
    return count;
  }
};

TEST_F(RegExprCaseFlipTest, EveryLetterOfTheTableMatchesItsOtherCase) {
  for (TCaseTable table : {TCaseTable::Ascii, TCaseTable::Windows1252, TCaseTable::Windows1251}) {
    SelectCaseTable(table);
    InstallRegExprCaseFlip();
    const TCaseMap& map = CaseMapOf(table);
    for (int c = 0x41; c < 256; ++c) {
      const int other = map.Upper[c] != c ? map.Upper[c] : map.Lower[c];
      if (other == c) continue;
      const std::string letter(1, static_cast<char>(c));
      const std::string subject = std::string("-") + static_cast<char>(other) + "-";
      EXPECT_EQ(CountMatches("(?i)" + letter, subject), 1) << int(table) << " " << std::hex << c;
      EXPECT_EQ(CountMatches("(?i)[" + letter + "]", subject), 1) << int(table) << " " << c;
      EXPECT_EQ(CountMatches(letter, subject), 0) << int(table) << " " << std::hex << c;
    }
  }
}

}  // namespace
}  // namespace fendrel

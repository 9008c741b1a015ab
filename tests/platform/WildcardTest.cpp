#include "platform/Wildcard.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"

namespace fendrel {
namespace {

struct TMaskCase {
  TCaseTable Table;
  const char* Name;
  const char* Mask;
  bool Matches;
};

TEST(MatchesMask, Table) {
  const TMaskCase cases[] = {
      {TCaseTable::Ascii, "A.TXT", "*.txt", true},
      {TCaseTable::Ascii, "a.txt.bak", "*.txt", false},
      {TCaseTable::Ascii, ".txt", "*.txt", true},  // '*' may match nothing
      {TCaseTable::Ascii, "README", "*.*", true},
      {TCaseTable::Ascii, "README", "*.", false},
      {TCaseTable::Ascii, "report", "REPORT.*", true},
      {TCaseTable::Ascii, "reports", "report.*", false},
      {TCaseTable::Ascii, "abc", "a*.*", true},
      {TCaseTable::Ascii, "x.y", "a*.*", false},
      {TCaseTable::Ascii, "ac", "a?c", false},
      {TCaseTable::Ascii, "\xC3\xA4", "?", false},  // one byte, not one character
      {TCaseTable::Ascii, "abcbd", "a*b?", true},   // the first 'b' is not the right one
      {TCaseTable::Ascii, "abcd", "abc", false},
      {TCaseTable::Ascii, "\xC4.txt", "\xE4.TXT", false},  // ASCII letters only
      {TCaseTable::Windows1252, "\xC4.txt", "\xE4.TXT", true},
      // Several masks at once.
      {TCaseTable::Ascii, "a.h", "*.c;*.h", true},
      {TCaseTable::Ascii, "a.o", "*.c;*.h", false},
      {TCaseTable::Ascii, "a.H", "*.{c,h}", true},
      {TCaseTable::Ascii, "a.ch", "*.{c,h}", false},
      {TCaseTable::Ascii, "CMakeLists.txt", "{Make,CMake}*.{txt,am}", true},
      {TCaseTable::Ascii, "Makefile.am", "{Make,CMake}*.{txt,am}", true},
      {TCaseTable::Ascii, "Make.in", "{Make,CMake}*.{txt,am}", false},
      {TCaseTable::Ascii, "a.", "*.{,c}", true},  // an empty alternative
      {TCaseTable::Ascii, "{x}", "{x}", true},    // no comma: the braces stand for themselves
      {TCaseTable::Ascii, "a{b", "a{b;c", true},  // unclosed
      {TCaseTable::Ascii, "b", ";;b", true},      // empty masks match nothing
      {TCaseTable::Ascii, "", ";", false},
      {TCaseTable::Ascii, "report", "x;report.*", true},
  };
  for (const TMaskCase& c : cases) {
    SelectCaseTable(c.Table);
    EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << "name " << c.Name << " mask " << c.Mask;
  }
  SelectCaseTable(TCaseTable::Ascii);
}

// A backtracking matcher that retries every split of every star would not finish this.
TEST(MatchesMask, ManyStarsStayFast) {
  const std::string name(5000, 'a');
  EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesMask(name + "b", "*a*a*a*a*a*a*a*a*b"));
}

}  // namespace
}  // namespace fendrel

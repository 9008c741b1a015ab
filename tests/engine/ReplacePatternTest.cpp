// Regular-expression mode of a rewrite: text runs through the engine, binary runs copied.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/ReplacePattern.h"
#include "platform/CodePage.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

// Selects a case table for one test and puts UTF-8 back afterwards.
class TTableInForce {
 public:
  explicit TTableInForce(TCaseTable table) { SelectCaseTable(table); }
  ~TTableInForce() { SelectCaseTable(TCaseTable::Ascii); }
};

TEST(ReplacePattern, TextRunsAreReplacedAndBinaryRunsCopied) {
  struct TCase {
    std::string Pattern, Template, Content;
    int64_t Count;
    std::string Output;
    TCaseTable Table = TCaseTable::Ascii;  // UTF-8
  };
  const TCase cases[] = {
      {"b+", "X", "abbbcb", 2, "aXcX"},
      {"zz", "X", "abc", 0, "abc"},
      {"a.b", "X", std::string("a\0b a-b", 7), 1, std::string("a\0b X", 5)},
      {"\\x85", "X", "x\x85y", 0, "x\x85y"},
      {"x*", "-",
       "\x01"
       "ab",
       4, "-\x01-a-b-"},
      {"(\\w+)=(\\w+)", "$2=$1", "k=v\x02q=r", 2, "v=k\x02r=q"},
      {"^\\w", "#",
       "ab\x03"
       "cd",
       2, "#b\x03#d"},
      {"a\r\nb", "X", "a\r\nb a\nb", 1, "X a\nb"},
      {"a\nb", "X", "a\r\nb a\nb", 1, "a\r\nb X"},
      {std::string("b\0c", 3), "X", "abc", 1, "aXc"},
      // UTF-8: a character's bytes 128-159 (the 9F of "ß", most of Cyrillic) are text; the C1
      // control NEL (C2 85) and a byte that begins no character are binary.
      {"Stra\\S+", "Weg",
       "Die Stra\xC3\x9F"
       "e\n",
       1, "Die Weg\n"},
      {"\xD1\x87\xD1\x82\xD0\xBE", "X", "\xD1\x87\xD1\x82\xD0\xBE \xD1\x87\xD1\x82\xD0\xBE", 2,
       "X X"},
      // Classes, '.', \w and (?i) take whole characters.
      {"[ив]", "X", "привет мир\n", 3, "прXXет мXр\n"},
      {"(?i)(п)ривет (м)ир", "$2$1", "Привет мир, привет Мир!", 2, "мП, Мп!"},
      {"(?m)^\\w+", "#", "Straße eins\nхлеб", 2, "# eins\n#"},
      {"^\\w", "#",
       "a\xC2\x85"
       "b\x9F"
       "c",
       3, "#\xC2\x85#\x9F#"},
      {"\\S+", "X", "\xF0\x9F\x98\x80\xED\xA0\x80\xF0\x9F\x98", 1, "X\xED\xA0\x80\xF0\x9F\x98"},
      // A UTF-8 byte-order mark stays and is no text: line 1 begins after it.
      {"^Die", "X",
       "\xEF\xBB\xBF"
       "Die Die\nDie",
       1,
       "\xEF\xBB\xBF"
       "X Die\nDie"},
      {"(?m)^", "# ",
       "\xEF\xBB\xBF"
       "a\nb",
       2,
       "\xEF\xBB\xBF"
       "# a\n# b"},
      {"\\A", "#", "\xEF\xBB\xBF", 1, "\xEF\xBB\xBF#"},
      // A single-byte code page: every byte from 160 on is a letter.
      {"Stra\\S+", "Weg",
       "Die Stra\xDF"
       "e\n",
       1, "Die Weg\n", TCaseTable::Windows1252},
      {"^\\w", "#",
       "a\x9F"
       "b",
       2, "#\x9F#", TCaseTable::Windows1252},
  };
  for (const TCase& c : cases) {
    const TTableInForce table(c.Table);
    TSnRTast task;
    task.Init("f", c.Pattern.data(), static_cast<int32_t>(c.Pattern.size()), smRegExpr,
              c.Template.data(), static_cast<int32_t>(c.Template.size()), false, lmAllFiles);
    TStringSink out;
    std::string why;
    const int64_t count =
        ReplacePattern(out, c.Content.data(), c.Content.data() + c.Content.size(), task, why);
    EXPECT_EQ(count, c.Count) << c.Pattern;
    EXPECT_EQ(out.Bytes, c.Output) << c.Pattern;
  }
}

TEST(ReplacePattern, EveryByteIsSortedIntoTextOrBinary) {
  // Long random content, mostly text with every kind of byte mixed in, so that runs begin and
  // end at every offset of a block: each text byte becomes T, each binary byte is copied. In a
  // single-byte code page each byte stands for itself.
  const TTableInForce singleByte(TCaseTable::Windows1252);
  std::mt19937 random(5);
  std::string content, expected;
  for (int i = 0; i < 20000; ++i) {
    const auto byte = static_cast<unsigned char>(random() % 4 == 0 ? random() % 256 : 'a');
    if (byte == 0) continue;  // the zero byte is covered above
    content += static_cast<char>(byte);
    expected += IsTextByte(byte) ? 'T' : static_cast<char>(byte);
  }
  TSnRTast task;
  task.Init("f", "(?s).", 5, smRegExpr, "T", 1, false, lmAllFiles);
  TStringSink out;
  std::string why;
  ReplacePattern(out, content.data(), content.data() + content.size(), task, why);
  EXPECT_EQ(out.Bytes, expected);
  for (int byte : {9, 10, 13, 32, 127, 160, 255})
    EXPECT_TRUE(IsTextByte(static_cast<unsigned char>(byte))) << byte;
  for (int byte : {0, 8, 11, 12, 14, 31, 128, 159})
    EXPECT_FALSE(IsTextByte(static_cast<unsigned char>(byte))) << byte;
}

// In UTF-8 the unit is the character: each piece below, repeated at every offset of a block
// among ASCII text, is text (t) or binary (b) as a whole, no run ends inside a character, and
// '.' takes each character whole.
TEST(ReplacePattern, InUtf8EveryCharacterIsTextOrBinaryAsAWhole) {
  struct TCase {
    const char* Bytes;
    bool Text;
  };
  const TCase cases[] = {
      {"\xC3\x9F", true},           // ß: its second byte is 9F
      {"\xD0\x9F\xD1\x80", true},   // Пр
      {"\xC2\xA0", true},           // no-break space
      {"\xE2\x82\xAC", true},       // €
      {"\xF0\x9F\x98\x80", true},   // an emoji
      {"\xF4\x8F\xBF\xBF", true},   // the last code point
      {"\xC2\x85", false},          // NEL, a C1 control
      {"\xC2\x9F", false},          // the last C1 control
      {"\x9F", false},              // a continuation byte alone
      {"\xC0\xAF", false},          // an overlong '/'
      {"\xE0\x80\xAF", false},      // another
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xE2\x82", false},          // cut short
      {"\xFF", false},
  };
  for (const TCase& c : cases) {
    const std::string piece = c.Bytes;
    for (std::size_t offset = 0; offset < 20; ++offset) {
      const std::string content = std::string(offset, 'a') + piece + std::string(20, 'z');
      TSnRTast task;
      task.Init("f", "(?s).", 5, smRegExpr, "T", 1, false, lmAllFiles);
      TStringSink out;
      std::string why;
      ReplacePattern(out, content.data(), content.data() + content.size(), task, why);
      const auto characters = std::count_if(piece.begin(), piece.end(), [](char b) {
        return (static_cast<unsigned char>(b) & 0xC0) != 0x80;
      });
      const std::string middle = c.Text ? std::string(characters, 'T') : piece;
      EXPECT_EQ(out.Bytes, std::string(offset, 'T') + middle + std::string(20, 'T'))
          << piece.size() << " bytes at " << offset;
    }
  }
}

TEST(ReplacePattern, BadPatternsFailTheTask) {
  for (const std::string& pattern :
       {std::string(), std::string("a("), std::string("[z-a]"), std::string("\0a", 2)}) {
    TSnRTast task;
    task.Init("f", pattern.data(), static_cast<int32_t>(pattern.size()), smRegExpr, "x", 1, false,
              lmAllFiles);
    TStringSink out;
    std::string why;
    const std::string content =
        "\x01"
        "abc";
    EXPECT_EQ(ReplacePattern(out, content.data(), content.data() + content.size(), task, why), -3);
    EXPECT_FALSE(why.empty()) << "the compiler's message is the reason";
  }
}

}  // namespace
}  // namespace fendrel

// Regular-expression mode of a rewrite: text runs through the engine, binary runs copied.
#include <gtest/gtest.h>

#include <random>

#include "engine/ReplacePattern.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

TEST(ReplacePattern, TextRunsAreReplacedAndBinaryRunsCopied) {
  struct TCase {
    std::string Pattern, Template, Content;
    int64_t Count;
    std::string Output;
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
  };
  for (const TCase& c : cases) {
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
  // end at every offset of a block: each text byte becomes T, each binary byte is copied.
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

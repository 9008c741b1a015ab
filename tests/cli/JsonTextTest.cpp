// Byte strings as JSON strings: UTF-8 stays, everything else is escaped so that no byte is lost.
#include <gtest/gtest.h>

#include "cli/JsonText.h"

namespace fendrel::cli {
namespace {

TEST(JsonText, EscapesWhatJsonForbidsAndKeepsEveryByte) {
  const struct {
    std::string Bytes, Json;
  } cases[] = {
      {"", R"("")"},
      {"plain/path.txt", R"("plain/path.txt")"},
      {"q\"b\\s", R"("q\"b\\s")"},
      {std::string("\x00\x01\n\x1F\x7F", 5), R"("\u0000\u0001\u000a\u001f)"
                                             "\x7F\""},
      // Valid UTF-8 of every length stays as it is.
      {"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", "\"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\""},
      // Each byte of an invalid sequence becomes U+DC80..U+DCFF.
      {"\xFF", R"("\udcff")"},
      {"a\xC3", R"("a\udcc3")"},                              // cut short at the end
      {"\xE3\xA4z", R"("\udce3\udca4z")"},                    // cut short before a character
      {"\xC0\x80", R"("\udcc0\udc80")"},                      // overlong
      {"\xED\xA0\x80", R"("\udced\udca0\udc80")"},            // a surrogate's encoding
      {"\xF4\x90\x80\x80", R"("\udcf4\udc90\udc80\udc80")"},  // above U+10FFFF
      {"\x80\xC3\xA4", "\"\\udc80\xC3\xA4\""},                // a stray continuation byte
  };
  for (const auto& c : cases)
    EXPECT_EQ(JsonString(c.Bytes), c.Json) << c.Bytes;
}

}  // namespace
}  // namespace fendrel::cli

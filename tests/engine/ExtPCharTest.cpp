// The editor value: hexadecimal and text input, and the views of the value.
#include <gtest/gtest.h>

#include "engine/uExtPChar.h"

namespace fendrel {
namespace {

TEST(ExtPChar, SetHexKeepsOnlyDigitPairs) {
  struct TCase {
    std::string Input;
    std::string Bytes;
  };
  const TCase cases[] = {
      {"0d0a", "\r\n"}, {"41x42", "AB"},     {"0x41", "\x04"}, {"414", "A"},
      {"", ""},         {"41 42-43", "ABC"}, {"zz", ""},       {"00ff", std::string("\0\xFF", 2)},
      {"6g1", "\x61"},
  };
  for (const TCase& c : cases) {
    TExtPChar value;
    value.SetHex(c.Input);
    EXPECT_EQ(std::string(value.Buffer(), value.Len()), c.Bytes) << c.Input;
  }
}

TEST(ExtPChar, ValueNeverExceedsCapacity) {
  TExtPChar value;
  value.SetHex(std::string(2 * 1100, 'A'));
  EXPECT_EQ(value.Len(), TExtPChar::kCapacity);
  EXPECT_EQ(TExtPChar::HexByteCount(std::string(2 * 1100 + 1, 'A')), 1100u);
  value.SetText(std::string(1500, 'x'));
  EXPECT_EQ(value.Len(), TExtPChar::kCapacity);
}

TEST(ExtPChar, ViewsOfTheValue) {
  TExtPChar value;
  EXPECT_EQ(value.Len(), -1);
  EXPECT_EQ(value.GetHex(), "");
  EXPECT_FALSE(value.HasControlChars());

  value.SetText("a b");
  EXPECT_EQ(value.GetHex(), "612062");
  EXPECT_FALSE(value.HasControlChars());

  value.SetHex("41420D");
  EXPECT_EQ(value.GetDisplayText(), "AB.");
  EXPECT_TRUE(value.HasControlChars());

  value.SetText("abc");
  value.SetText("x");
  EXPECT_EQ(std::string(value.Buffer(), 3), std::string("x\0\0", 3)) << "stale bytes must go";
}

}  // namespace
}  // namespace fendrel

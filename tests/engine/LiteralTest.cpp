// Literal replacement: the fixed cases of the literal modes and a comparison with the plain
// position-by-position scan over random inputs.
#include <gtest/gtest.h>

#include <random>

#include "engine/LiteralSearcher.h"
#include "engine/ReplaceLiteral.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::TTempDir;

struct TReplaced {
  int64_t Count;
  std::string Output;
};

TReplaced Replace(std::string_view content, std::string_view from, std::string_view to,
                  TSearchMode mode) {
  TSnRTast task;
  task.Init("f", from.data(), static_cast<int32_t>(from.size()), mode, to.data(),
            static_cast<int32_t>(to.size()), false, lmAllFiles);
  TStringSink out;
  const int64_t count = ReplaceLiteral(out, content.data(), content.data() + content.size(), task);
  if (count < 0) return {count, ""};
  if (count == 0) {
    EXPECT_EQ(out.Bytes, "") << "nothing is written for a file without matches";
    return {0, std::string(content)};
  }
  return {count, out.Bytes};
}

// The scan as the literal modes define it: compare at every position, skip a match whole.
TReplaced ReferenceReplace(std::string_view content, std::string_view from, std::string_view to,
                           TSearchMode mode) {
  TReplaced result{0, ""};
  std::size_t pos = 0;
  while (pos < content.size()) {
    bool match = content.size() - pos >= from.size();
    for (std::size_t k = 0; match && k < from.size(); ++k) {
      const auto a = static_cast<unsigned char>(content[pos + k]);
      const auto b = static_cast<unsigned char>(from[k]);
      match = mode == smIgnoreCase ? SameByteNoCase(a, b) : SameByte(a, b);
    }
    if (match) {
      result.Output += to;
      pos += from.size();
      ++result.Count;
    } else {
      result.Output += content[pos++];
    }
  }
  return result;
}

class LiteralTest : public ::testing::Test {
 protected:
  void SetUp() override { SelectCaseTable(TCaseTable::Ascii); }
  void TearDown() override { SelectCaseTable(TCaseTable::Ascii); }
};

TEST_F(LiteralTest, FixedCases) {
  struct TCase {
    std::string Content, From, To;
    TSearchMode Mode;
    int64_t Count;
    std::string Output;
  };
  const TCase cases[] = {
      {"aaa", "aa", "X", smCaseSensitive, 1, "Xa"},
      {"aaa", "a", "aa", smCaseSensitive, 3, "aaaaaa"},
      {"abc", "abcd", "X", smCaseSensitive, 0, "abc"},
      {"xxab", "abc", "X", smCaseSensitive, 0, "xxab"},
      {"xABCx aBc", "abc", "Yz", smIgnoreCase, 2, "xYzx Yz"},
      {"xABCx aBc", "abc", "Yz", smCaseSensitive, 0, "xABCx aBc"},
      {"one two one", "one", "", smCaseSensitive, 2, " two "},
      {std::string("a\0b\0", 4), std::string("\0", 1), "-", smCaseSensitive, 2, "a-b-"},
      {"l1\r\nl2\nl3", "\r\n", "|", smCaseSensitive, 1, "l1|l2\nl3"},
      {"[A]@[a]", "[A]", "!", smIgnoreCase, 2, "!@!"},
      {"Straße STRASSE", "STRASSE", "x", smIgnoreCase, 1, "Straße x"},
  };
  for (const TCase& c : cases) {
    const TReplaced got = Replace(c.Content, c.From, c.To, c.Mode);
    EXPECT_EQ(got.Count, c.Count) << c.Content << " / " << c.From;
    EXPECT_EQ(got.Output, c.Output) << c.Content << " / " << c.From;
  }
}

TEST_F(LiteralTest, EmptyOldStringFails) {
  EXPECT_EQ(Replace("abc", "", "x", smCaseSensitive).Count, -3);
  EXPECT_EQ(Replace("abc", "", "x", smIgnoreCase).Count, -3);
}

TEST_F(LiteralTest, CaseTableDecidesWhichBytesFold) {
  const std::string content = "\xC4pfel \xE4pfel \x8A\x9A \xFF\x9F";
  SelectCaseTable(TCaseTable::Ascii);
  EXPECT_EQ(Replace(content, "\xE4PFEL", "X", smIgnoreCase).Count, 1);
  EXPECT_EQ(Replace(content, "\x9F", "X", smIgnoreCase).Count, 1);
  SelectCaseTable(TCaseTable::Windows1252);
  EXPECT_EQ(Replace(content, "\xE4PFEL", "X", smIgnoreCase).Output, "X X \x8A\x9A \xFF\x9F");
  EXPECT_EQ(Replace(content, "\x9A", "X", smIgnoreCase).Count, 2);
  EXPECT_EQ(Replace(content, "\xFF", "X", smIgnoreCase).Count, 2);
  EXPECT_EQ(Replace("\xD7\xF7", "\xD7", "X", smIgnoreCase).Count, 1) << "signs have no case";
}

TEST_F(LiteralTest, AgreesWithThePlainScanOnRandomInput) {
  std::mt19937 random(20261207);
  // A small alphabet with case pairs makes matches, near-misses and overlaps frequent; long
  // contents cross the searcher's 16-byte blocks at every offset.
  const std::string alphabet = "aAbB \xC4\xE4\n";
  auto randomText = [&](std::size_t length) {
    std::string text(length, ' ');
    for (char& c : text)
      c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (TCaseTable table : {TCaseTable::Ascii, TCaseTable::Windows1252}) {
    SelectCaseTable(table);
    for (int round = 0; round < 400; ++round) {
      const std::string content = randomText(random() % 90);
      const std::string from = randomText(1 + random() % 4);
      const std::string to = randomText(random() % 3);
      for (TSearchMode mode : {smCaseSensitive, smIgnoreCase}) {
        const TReplaced want = ReferenceReplace(content, from, to, mode);
        const TReplaced got = Replace(content, from, to, mode);
        ASSERT_EQ(got.Count, want.Count) << "content '" << content << "' old '" << from << "'";
        ASSERT_EQ(got.Output, want.Output) << "content '" << content << "' old '" << from << "'";
      }
    }
  }
}

TEST_F(LiteralTest, SearcherNeverReadsPastTheEnd) {
  // The content ends with the first bytes of the old string; the buffer beyond it holds the
  // rest, which a search that overran its end would find.
  const std::string buffer = "xxxxxxxxxxxxxxxxxxxxabcd";
  const char* end = buffer.data() + buffer.size() - 2;
  for (bool ignoreCase : {false, true}) {
    const TLiteralSearcher searcher("abcd", ignoreCase);
    EXPECT_EQ(searcher.Find(buffer.data(), end), nullptr);
    EXPECT_EQ(searcher.Find(buffer.data(), buffer.data() + buffer.size()),
              buffer.data() + buffer.size() - 4);
  }
}

}  // namespace
}  // namespace fendrel

// Literal replacement: the fixed cases of the literal modes and a comparison with the plain
// position-by-position scan over random inputs.
#include <gtest/gtest.h>

#include <random>

#include "engine/LiteralSearcher.h"
#include "engine/ReplaceLiteral.h"
#include "regexpr/RegExprUnicode.h"
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

// UTF-8 text as the units that ignoring case compares: each character as its simple folding,
// each byte that begins no character as itself (above every code point); with their lengths.
std::vector<std::pair<char32_t, std::size_t>> FoldedUnits(std::string_view text) {
  std::vector<std::pair<char32_t, std::size_t>> units;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    char32_t c;
    const int length = DecodeUtf8(bytes + at, text.size() - at, c);
    units.emplace_back(length == 0 ? 0x110000 + bytes[at] : SimpleFold(c),
                       length == 0 ? 1 : length);
    at += units.back().second;
  }
  return units;
}

// The scan as the literal modes define it: compare at every position, skip a match whole.
// Ignoring case in UTF-8 the positions are those of units, never inside a character.
TReplaced ReferenceReplace(std::string_view content, std::string_view from, std::string_view to,
                           TSearchMode mode) {
  TReplaced result{0, ""};
  if (mode == smIgnoreCase && IsUtf8CaseTable(ActiveCaseTable())) {
    const auto units = FoldedUnits(content);
    const auto wanted = FoldedUnits(from);
    std::size_t offset = 0;
    for (std::size_t u = 0; u < units.size();) {
      bool match = units.size() - u >= wanted.size();
      for (std::size_t k = 0; match && k < wanted.size(); ++k)
        match = units[u + k].first == wanted[k].first;
      const std::size_t count = match ? wanted.size() : 1;
      std::size_t length = 0;
      for (std::size_t k = 0; k < count; ++k)
        length += units[u + k].second;
      result.Output += match ? std::string(to) : std::string(content.substr(offset, length));
      result.Count += match;
      offset += length;
      u += count;
    }
    return result;
  }
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
  std::vector<TCase> cases = {
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
      // UTF-8: characters compared by simple case folding, whatever their lengths.
      {"Привет привет ПРИВЕТ", "привет", "X", smIgnoreCase, 3, "X X X"},
      {"Привет привет", "привет", "X", smCaseSensitive, 1, "Привет X"},
      {"äpfel Äpfel ÄPFEL", "ÄPFEL", "-", smIgnoreCase, 3, "- - -"},
      {"ΣΟΦΟΣ σοφος σοφοσ", "σοφος", "X", smIgnoreCase, 3, "X X X"},
      {"k K \u212A", "K", "x", smIgnoreCase, 3, "x x x"},  // the Kelvin sign
      {"\u212Aelvin KELVIN", "kelvin", "k", smIgnoreCase, 2, "k k"},
      {"Me\u017F\u017Fe MESSE", "messe", "x", smIgnoreCase, 2, "x x"},  // the long s
      {"ß ẞ ss", "ß", "x", smIgnoreCase, 2, "x x ss"},
      {"ı İ I i", "i", "x", smIgnoreCase, 2, "ı İ x x"},
      {"😀k😀 😀", "K", "-", smIgnoreCase, 1, "😀-😀 😀"},
      // A match never begins or ends inside a character; a broken byte matches only itself.
      {"ä \xC3 \xA4", "\xA4", "x", smIgnoreCase, 1, "ä \xC3 x"},
      {"ä \xC3 \xA4", "\xC3", "x", smIgnoreCase, 1, "ä x \xA4"},
      {"xä x\xC3", "X\xC3", "-", smIgnoreCase, 1, "xä -"},
      {"\u212A \xE2\x84", "\xE2\x84", "x", smIgnoreCase, 1, "\u212A x"},
      {"😀\x9F\x98\x80", "\x9F\x98\x80", "x", smIgnoreCase, 1, "😀x"},
      // k and s at either end and inside the old string, their forms at either end of the text,
      // where an old string of ASCII letters must leave the comparison of ASCII forms.
      {"\u017Fherlock Holme\u017F", "Sherlock Holmes", "X", smIgnoreCase, 1, "X"},
      {"SHERLO C\u212A sherloc\u212A", "sherlock", "X", smIgnoreCase, 1, "SHERLO C\u212A X"},
      {"a\u212A\u017Fb A\u212AsB aks AKSB", "aksb", "-", smIgnoreCase, 3, "- - aks -"},
      {"\u212Ak \u212A\u212A KK", "kk", "x", smIgnoreCase, 3, "x x x"},
      {"kelvin \u212AELVIN kelvi", "\u212Aelvin", "k", smIgnoreCase, 2, "k k kelvi"},
      {"\xC5\u017Fs\xBF", "ss", "x", smIgnoreCase, 1, "\xC5x\xBF"},
      // Broken bytes of those forms are no forms of k or s, and never hide one beside them.
      {"\xE2\u212Ailo \xE2\x84kilo \x84\xAAilo", "kilo", "x", smIgnoreCase, 2,
       "\xE2x \xE2\x84x \x84\xAAilo"},
      {"mo\xBF\u017Fo mo\u017F\xC5o mo\xC5\u017Fo mos\xBF", "mosso", "x", smIgnoreCase, 0,
       "mo\xBF\u017Fo mo\u017F\xC5o mo\xC5\u017Fo mos\xBF"},
      {"Sherlock Holme\xC5 Sherlock Holmes\xBF", "sherlock holmes", "x", smIgnoreCase, 1,
       "Sherlock Holme\xC5 x\xBF"},
  };
  // The same forms on either side of the edges of the blocks the search compares at once.
  for (const std::size_t at : {15, 16, 17, 31, 32, 33, 63, 64, 65}) {
    const std::string pad(at - 7, ' ');
    cases.push_back(
        {pad + "Sherloc\u212A\u017Fherlock", "sherlock", "X", smIgnoreCase, 2, pad + "XX"});
    cases.push_back({pad + "       \u017Fherlock \xE2\x84k", "sherlock", "X", smIgnoreCase, 1,
                     pad + "       X \xE2\x84k"});
  }
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
  SelectCaseTable(TCaseTable::Windows1251);
  EXPECT_EQ(Replace("\xCF\xF0\xE8 \xEF\xF0\xE8", "\xEF\xD0\xC8", "X", smIgnoreCase).Count, 2);
  EXPECT_EQ(Replace("Привет", "привет", "X", smIgnoreCase).Count, 0) << "bytes, not UTF-8";
}

TEST_F(LiteralTest, AgreesWithThePlainScanOnRandomInput) {
  std::mt19937 random(20261207);
  // A small alphabet with case pairs makes matches, near-misses and overlaps frequent; long
  // contents cross the searcher's 16-byte blocks at every offset. The UTF-8 pieces join into
  // characters (C3 A4, E2 84 AA) or stay broken bytes, and hold forms of different lengths.
  const std::vector<std::string> bytes = {"a", "A", "b", "B", " ", "\xC4", "\xE4", "\n"};
  const std::vector<std::string> utf8 = {"k",      "K",      "\u212A", "s",      "\u017F", "\u00DF",
                                         "\u1E9E", "\u03C3", "\u03C2", "\u03A3", " ",      "\xC3",
                                         "\xA4",   "\xE2",   "\x84",   "\xAA"};
  const std::pair<TCaseTable, const std::vector<std::string>*> runs[] = {
      {TCaseTable::Ascii, &bytes}, {TCaseTable::Windows1252, &bytes}, {TCaseTable::Ascii, &utf8}};
  for (const auto& [table, pieces] : runs) {
    SelectCaseTable(table);
    auto randomText = [&, pieces = pieces](std::size_t count) {
      std::string text;
      for (std::size_t i = 0; i < count; ++i)
        text += (*pieces)[random() % pieces->size()];
      return text;
    };
    for (int round = 0; round < 400; ++round) {
      const std::string content = randomText(random() % (pieces == &bytes ? 90 : 100));
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
  // Old strings of ASCII letters up to three words of eight bytes long, planted in the text in
  // any of their characters' forms, among broken pieces of the forms beyond ASCII.
  SelectCaseTable(TCaseTable::Ascii);
  const std::vector<std::vector<std::string>> forms = {
      {"a", "A"}, {"k", "K", "\u212A"}, {"s", "S", "\u017F"}, {" "}};
  const std::vector<std::string> broken = {"\xE2", "\x84", "\xAA", "\xC5", "\xBF", "\xE2\x84"};
  for (int round = 0; round < 400; ++round) {
    std::vector<std::size_t> letters(1 + random() % 20);
    std::string from;
    for (std::size_t& letter : letters) {
      letter = random() % forms.size();
      from += forms[letter][random() % 2 % forms[letter].size()];
    }
    std::string content;
    while (content.size() < 40 + random() % 120) {
      const auto pick = random() % 4;
      if (pick == 0) content += broken[random() % broken.size()];
      for (std::size_t i = 0; i < letters.size() && pick != 0; ++i) {
        const auto& some = forms[pick == 1 ? random() % forms.size() : letters[i]];
        content += some[random() % some.size()];
        if (pick == 1) break;
      }
    }
    const TReplaced want = ReferenceReplace(content, from, "-", smIgnoreCase);
    const TReplaced got = Replace(content, from, "-", smIgnoreCase);
    ASSERT_EQ(got.Count, want.Count) << "content '" << content << "' old '" << from << "'";
    ASSERT_EQ(got.Output, want.Output) << "content '" << content << "' old '" << from << "'";
  }
}

TEST_F(LiteralTest, SearcherNeverReadsPastTheEnd) {
  // The content ends with the first bytes of the old string; the buffer beyond it holds the
  // rest, which a search that overran its end would find.
  // "kbcd" ignoring case takes the way of case folding (k has a form beyond ASCII); the longer
  // ones are compared eight bytes at a time, and the last eight bytes of an old string of 9 or
  // 15 would reach past the text.
  for (const std::string needle : {"abcd", "kbcd", "sherlocks", "Sherlock Holmes", "kbcdefgh"}) {
    const std::string buffer = "xxxxxxxxxxxxxxxxxxxx" + needle;
    const char* end = buffer.data() + buffer.size() - 2;
    for (bool ignoreCase : {false, true}) {
      const TLiteralSearcher searcher(needle, ignoreCase);
      EXPECT_EQ(searcher.Find(buffer.data(), end), nullptr);
      const char* matchEnd = nullptr;
      EXPECT_EQ(searcher.Find(buffer.data(), buffer.data() + buffer.size(), matchEnd),
                buffer.data() + buffer.size() - needle.size());
      EXPECT_EQ(matchEnd, buffer.data() + buffer.size());
    }
  }
}

}  // namespace
}  // namespace fendrel

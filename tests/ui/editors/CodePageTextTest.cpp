// Bytes to interface text and back, in every code page: what shows, what round-trips, and what
// counts as impossible to show faithfully; a language file's texts shown in its code page.
#include <gtest/gtest.h>

#include <string>

#include "CodePageScope.h"
#include "support/TempDir.h"
#include "ui/editors/CodePageText.h"
#include "ui/editors/UiText.h"

namespace fendrel {
namespace {

struct TBytesCase {
  TCaseTable Table;
  std::string Bytes;
  QString Text;  // what the bytes show as
  bool Showable;
};

TEST(CodePageText, BytesShowAndComeBack) {
  const TBytesCase cases[] = {
      {TCaseTable::Ascii,
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       QString::fromUtf8("Grüße"), true},
      // A byte-order mark is content; it must not vanish on the way.
      {TCaseTable::Ascii,
       "\xEF\xBB\xBF"
       "a",
       QString(QChar(0xFEFF)) + u'a', true},
      {TCaseTable::Ascii, "\xC2\x85", QString(QChar(0x85)), false},  // C1 control
      {TCaseTable::Ascii, "a\x7F", QStringLiteral("a\x7F"), false},
      {TCaseTable::Windows1252, "\x80\xE4", QString::fromUtf8("€ä"), true},
      {TCaseTable::Windows1252, "\x9F", QString(QChar(0x0178)), true},
      {TCaseTable::Windows1252, "x\x81", QString(u'x') + QChar(0x81), false},  // undefined
      {TCaseTable::Windows1251, "\xCF\xF0\xE8\xE2\xE5\xF2", QString::fromUtf8("Привет"), true},
      {TCaseTable::Windows1251, "\xA8\xB8\x80\xB9", QString::fromUtf8("ЁёЂ№"), true},
      {TCaseTable::Windows1251, "\x88\xA0", QString::fromUtf8("€\u00A0"), true},
      {TCaseTable::Windows1251, "x\x98", QString(u'x') + QChar(0x98), false},  // undefined
  };
  for (const TBytesCase& c : cases) {
    test::TCodePageScope scope(c.Table);
    SCOPED_TRACE(c.Bytes);
    EXPECT_EQ(BytesToQString(c.Bytes), c.Text);
    EXPECT_EQ(QStringToBytes(c.Text), c.Bytes);
    EXPECT_EQ(BytesShowable(c.Bytes), c.Showable);
  }
}

TEST(CodePageText, InvalidUtf8AndTextWithoutBytes) {
  for (const std::string bytes : {"\xFF", "a\xC3", "\xC0\x80", "\xED\xA0\x80"})
    EXPECT_FALSE(BytesShowable(bytes)) << bytes;
  EXPECT_EQ(QStringToBytes(QString(QChar(0xD800))), std::nullopt);  // lone surrogate
  test::TCodePageScope scope(TCaseTable::Windows1252);
  EXPECT_EQ(QStringToBytes(QString::fromUtf8("жa")), std::nullopt);
  EXPECT_EQ(QStringToBytes(QStringLiteral("abc")), "abc");
  test::TCodePageScope cyrillic(TCaseTable::Windows1251);
  EXPECT_EQ(QStringToBytes(QString::fromUtf8("äж")), std::nullopt);
}

TEST(CodePageText, EverySingleByteComesBackUnchanged) {
  for (TCaseTable table : {TCaseTable::Windows1252, TCaseTable::Windows1251}) {
    test::TCodePageScope scope(table);
    std::string all;
    for (int c = 1; c < 256; ++c)
      all += static_cast<char>(c);
    const QString text = BytesToQString(all);
    EXPECT_EQ(text.size(), 255) << "one character per byte";
    EXPECT_EQ(QStringToBytes(text), all);
  }
}

TEST(CodePageText, CaseTablesAgreeWithTheCharactersTheyShow) {
  // A byte's other case is the byte of its character's other case, when the code page has it.
  for (TCaseTable table : {TCaseTable::Windows1252, TCaseTable::Windows1251}) {
    test::TCodePageScope scope(table);
    const TCaseMap& map = CaseMapOf(table);
    for (int c = 1; c < 256; ++c) {
      const QChar shown = BytesToQString(std::string(1, static_cast<char>(c)))[0];
      const auto byteOf = [c](QChar other) {
        const auto bytes = QStringToBytes(QString(other));
        return bytes ? static_cast<unsigned char>((*bytes)[0]) : c;
      };
      EXPECT_EQ(map.Upper[c], byteOf(shown.toUpper())) << int(table) << " " << std::hex << c;
      EXPECT_EQ(map.Lower[c], byteOf(shown.toLower())) << int(table) << " " << std::hex << c;
    }
  }
}

// A language file is written in the program's code page, like every file it reads; its texts
// show as that code page shows them, and fill in as the built-in ones do.
TEST(CodePageText, LanguageFileTextsShowInTheCodePage) {
  const struct {
    TCaseTable Table;
    std::string Bytes;
    QString Text;
  } cases[] = {
      {TCaseTable::Ascii,
       "%1 t\xC3\xA2"
       "ches",
       QString::fromUtf8("3 tâches")},
      {TCaseTable::Windows1252,
       "%1 t\xE2"
       "ches",
       QString::fromUtf8("3 tâches")},
      {TCaseTable::Windows1251, "%1 \xE7\xE0\xE4\xE0\xF7", QString::fromUtf8("3 задач")},
  };
  test::TTempDir dir;
  for (const auto& c : cases) {
    test::TCodePageScope scope(c.Table);
    test::WriteFile(dir / "Language.x", "[Texts]\r\nTitleTasksQueued=" + c.Bytes + "\r\n");
    InstallLanguageFileTexts(dir / "Language.x");
    EXPECT_EQ(UiText(TTextId::TitleTasksQueued, -1, {QStringLiteral("3")}), c.Text) << int(c.Table);
    EXPECT_EQ(UiText(TTextId::TitleTasksQueued, 1, {QStringLiteral("3")}), "3 tasks in queue");
  }
  UseLanguageFileTexts({});
  EXPECT_EQ(FillUiPlaceholders(QString::fromUtf8("%2 → %1"), {QStringLiteral("a"), "%1"}),
            QString::fromUtf8("%1 → a"));
}

}  // namespace
}  // namespace fendrel

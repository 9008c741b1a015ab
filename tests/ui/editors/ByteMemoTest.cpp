// A memo takes only text that has bytes in the code page, by whatever way it arrives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>

#include "CodePageScope.h"
#include "TypeText.h"
#include "ui/editors/ByteMemo.h"

namespace fendrel {
namespace {

TEST(ByteMemo, RefusesTextWithoutBytesInTheCodePage) {
  struct TCase {
    TCaseTable Table;
    QString Pasted;
    bool Taken;
  };
  const TCase cases[] = {
      {TCaseTable::Ascii, QString::fromUtf8("жx"), true},
      {TCaseTable::Windows1252, QString::fromUtf8("€ä"), true},
      {TCaseTable::Windows1252, QString::fromUtf8("жx"), false},
      {TCaseTable::Ascii, QStringLiteral("a") + QChar(QChar::LineSeparator), false},
      {TCaseTable::Ascii, QStringLiteral("a") + QChar(QChar::ParagraphSeparator), false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Pasted.toStdString());
    test::TCodePageScope scope(c.Table);
    TByteMemo memo;
    memo.setPlainText(QStringLiteral("old"));
    QGuiApplication::clipboard()->setText(c.Pasted);
    memo.paste();
    EXPECT_EQ(memo.canPaste(), c.Taken);
    EXPECT_EQ(memo.toPlainText().size(), 3 + (c.Taken ? c.Pasted.size() : 0));
    // Typed, the refused characters alone stay out.
    test::TypeText(&memo, c.Pasted);
    EXPECT_TRUE(TByteMemo::Insertable(memo.toPlainText()));
    // Every refused case holds exactly one refused character.
    const qsizetype typed = c.Taken ? c.Pasted.size() : c.Pasted.size() - 1;
    EXPECT_EQ(memo.toPlainText().size(), 3 + (c.Taken ? c.Pasted.size() : 0) + typed);
  }
}

}  // namespace
}  // namespace fendrel

// The multi-line strings: their lines in bytes, and the line-break markers beside each memo as
// it changes and scrolls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/editors/ByteMemo.h"
#include "ui/editors/MultiLineEditors.h"

namespace fendrel {
namespace {

using TLines = std::vector<std::string>;

int Markers(const QPlainTextEdit* column) {
  const QString text = column->toPlainText();
  if (text.isEmpty()) return 0;
  EXPECT_EQ(text.count(QChar(0x00B6)), text.count(u'\n') + 1) << text.toStdString();
  return static_cast<int>(text.count(QChar(0x00B6)));
}

TEST(MultiLineEditors, LinesAndMarkersOfEachMemo) {
  struct TCase {
    QString Text;
    TLines Lines;
    int Markers;
  };
  const TCase cases[] = {
      {QString(), {}, 0},
      {QStringLiteral("one"), {"one"}, 0},
      {QStringLiteral("a\nb\nc"), {"a", "b", "c"}, 2},
      // A break at the very end belongs to no line.
      {QStringLiteral("a\nb\nc\n"), {"a", "b", "c"}, 2},
      {QStringLiteral("a\n\n"), {"a", ""}, 1},
      // A no-break space is a byte sequence of its own, not a blank.
      {QString::fromUtf8("x\u00A0y\n\tz"), {"x\xC2\xA0y", "\tz"}, 1},
  };
  QWidget page;
  TMultiLineEditors editors(&page);
  int changes = 0;
  QObject::connect(&editors, &TMultiLineEditors::Changed, [&] { ++changes; });
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text.toStdString());
    editors.MemoFromStr()->setPlainText(c.Text);
    editors.MemoToStr()->setPlainText(QStringLiteral("x\n") + c.Text);
    EXPECT_EQ(editors.FromLines(), c.Lines);
    EXPECT_EQ(Markers(editors.MemoFromStrLinebreaks()), c.Markers);
    // The other memo has its own column: one more line, one more marker.
    EXPECT_EQ(editors.ToLines().size(), c.Lines.size() + 1);
    EXPECT_EQ(Markers(editors.MemoToStrLinebreaks()), c.Lines.empty() ? 0 : c.Markers + 1);
  }
  EXPECT_GE(changes, 2 * static_cast<int>(std::size(cases)) - 1);
  editors.Clear();
  EXPECT_TRUE(editors.FromLines().empty());
  EXPECT_TRUE(editors.ToLines().empty());
}

TEST(MultiLineEditors, PastedLineBreaksOfAnyKindSplitLines) {
  QWidget page;
  TMultiLineEditors editors(&page);
  QGuiApplication::clipboard()->setText(QStringLiteral("a\r\nb\rc\nd"));
  editors.MemoFromStr()->paste();
  EXPECT_EQ(editors.FromLines(), (TLines{"a", "b", "c", "d"}));
  EXPECT_EQ(Markers(editors.MemoFromStrLinebreaks()), 3);
}

TEST(MultiLineEditors, MarkersFollowTheMemoWhenItScrolls) {
  QWidget page;
  page.resize(300, 300);
  TMultiLineEditors editors(&page);
  TByteMemo* memo = editors.MemoFromStr();
  memo->setGeometry(0, 0, 200, 60);
  page.show();
  memo->setPlainText(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8\n9\n10"));
  EXPECT_EQ(Markers(editors.MemoFromStrLinebreaks()), 9);
  memo->verticalScrollBar()->setValue(1);
  ASSERT_EQ(memo->FirstVisibleLine(), 1);
  editors.SynchronizeLineBreakMemos();
  EXPECT_EQ(Markers(editors.MemoFromStrLinebreaks()), 8);
  memo->verticalScrollBar()->setValue(9);
  editors.SynchronizeLineBreakMemos();
  EXPECT_EQ(Markers(editors.MemoFromStrLinebreaks()),
            TMultiLineEditors::MarkerCount(10, memo->FirstVisibleLine()));
}

}  // namespace
}  // namespace fendrel

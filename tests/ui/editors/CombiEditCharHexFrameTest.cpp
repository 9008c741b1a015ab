// The dual editor: conversions between its views, the pick list, the refusal of over-long
// input, edits that arrive without a key (paste, drop, undo), and the history.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <string>
#include <vector>

#include "TypeText.h"
#include "support/TempDir.h"
#include "ui/editors/uCombiEditCharHexFrame.h"

namespace fendrel {
namespace {

QLineEdit* TextEdit(const TCombiEditCharHexFrame& frame) {
  return frame.CharComboBox()->lineEdit();
}
QLineEdit* HexEdit(const TCombiEditCharHexFrame& frame) {
  return frame.HexStringComboBox()->lineEdit();
}

// What the text view shows: its text, or, as a pick list on no entry, its hint.
QString TextViewShows(const TCombiEditCharHexFrame& frame) {
  const QComboBox* view = frame.CharComboBox();
  if (frame.TextViewIsPickList() && view->currentIndex() < 0) return view->placeholderText();
  return view->currentText();
}

std::vector<std::string> Items(const QComboBox* box) {
  std::vector<std::string> items;
  for (int i = 0; i < box->count(); ++i)
    items.push_back(box->itemText(i).toStdString());
  return items;
}

void LeaveWithMouse(QWidget* widget) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(widget, &leave);
}

void Paste(QLineEdit* edit, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  edit->paste();
}

struct THexCase {
  const char* Typed;
  const char* HexView;
  std::string TextView;
  bool PickList;
  std::string Value;
};

TEST(CombiEditCharHexFrame, HexViewTypingSetsValueAndTextView) {
  const THexCase cases[] = {
      {"0d0a", "0D0A", "..", true, "\r\n"},
      {"41x42", "4142", "AB", false, "AB"},
      {"0x41", "041", ".", true, "\x04"},
      {"414", "414", "A", false, "A"},
      {"c3a4", "C3A4", "\xC3\xA4", false, "\xC3\xA4"},
      // Half a character cannot be typed back: the text view must not offer it as text.
      {"c3", "C3", "\xEF\xBF\xBD", true, "\xC3"},
      {"00ff", "00FF", ".\xEF\xBF\xBD", true, std::string("\0\xFF", 2)},
  };
  for (const THexCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    TCombiEditCharHexFrame frame;
    QTest::keyClicks(HexEdit(frame), QString::fromLatin1(c.Typed));
    EXPECT_EQ(HexEdit(frame)->text().toStdString(), c.HexView);
    EXPECT_EQ(TextViewShows(frame).toStdString(), c.TextView);
    EXPECT_EQ(frame.TextViewIsPickList(), c.PickList);
    EXPECT_EQ(frame.Bytes(), c.Value);
    EXPECT_EQ(frame.Value().Len(), static_cast<int32_t>(c.Value.size()));
    EXPECT_TRUE(frame.HexInput());
  }
}

TEST(CombiEditCharHexFrame, TextViewTypingSetsValue) {
  TCombiEditCharHexFrame frame;
  EXPECT_EQ(frame.Value().Len(), -1);
  QTest::keyClicks(TextEdit(frame), QStringLiteral("a b"));
  EXPECT_EQ(HexEdit(frame)->text(), QStringLiteral("612062"));
  EXPECT_EQ(frame.Bytes(), "a b");
  test::TypeText(TextEdit(frame), QString::fromUtf8("ä"));
  EXPECT_EQ(HexEdit(frame)->text(), QStringLiteral("612062C3A4"));
  EXPECT_FALSE(frame.HexInput()) << "typed text is text, though the hex view shows it too";
}

TEST(CombiEditCharHexFrame, DroppedCharacterKeepsTheCaretAmongTheDigits) {
  TCombiEditCharHexFrame frame;
  QTest::keyClicks(HexEdit(frame), QStringLiteral("4142"));
  HexEdit(frame)->setCursorPosition(2);
  QTest::keyClicks(HexEdit(frame), QStringLiteral(" 43"));
  EXPECT_EQ(HexEdit(frame)->text(), QStringLiteral("414342"));
  EXPECT_EQ(HexEdit(frame)->cursorPosition(), 4);
  EXPECT_EQ(frame.Bytes(), "ACB");
}

TEST(CombiEditCharHexFrame, TextViewTurnsIntoPickListAndBack) {
  TCombiEditCharHexFrame frame;
  QTest::keyClicks(HexEdit(frame), QStringLiteral("0d0a"));
  ASSERT_TRUE(frame.TextViewIsPickList());
  EXPECT_EQ(frame.CharComboBox()->lineEdit(), nullptr);  // nothing to type into
  QTest::keyClick(HexEdit(frame), Qt::Key_Backspace);
  QTest::keyClick(HexEdit(frame), Qt::Key_Backspace);
  EXPECT_TRUE(frame.TextViewIsPickList());  // still the CR
  QTest::keyClick(HexEdit(frame), Qt::Key_Backspace);
  QTest::keyClick(HexEdit(frame), Qt::Key_Backspace);
  EXPECT_EQ(frame.Value().Len(), 0);  // emptied, not unset
  QTest::keyClicks(HexEdit(frame), QStringLiteral("41"));
  ASSERT_FALSE(frame.TextViewIsPickList());
  EXPECT_EQ(TextEdit(frame)->text(), QStringLiteral("A"));
  // The new line edit takes input like the first one did.
  QTest::keyClicks(TextEdit(frame), QStringLiteral("B"));
  EXPECT_EQ(HexEdit(frame)->text(), QStringLiteral("4142"));
}

// Every way text reaches the text view without a key is taken over at once.
TEST(CombiEditCharHexFrame, EditsWithoutKeysReachTheValue) {
  TCombiEditCharHexFrame frame;
  int changes = 0;
  QObject::connect(&frame, &TCombiEditCharHexFrame::Changed, [&] { ++changes; });

  Paste(TextEdit(frame), QStringLiteral("xyz"));
  EXPECT_EQ(frame.Bytes(), "xyz");
  EXPECT_EQ(HexEdit(frame)->text(), QStringLiteral("78797A"));
  EXPECT_GT(changes, 0);

  TextEdit(frame)->undo();
  EXPECT_EQ(frame.Bytes(), "");
  TextEdit(frame)->redo();
  EXPECT_EQ(frame.Bytes(), "xyz");

  QMimeData data;
  data.setText(QStringLiteral("12"));
  QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(TextEdit(frame), &enter);
  QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(TextEdit(frame), &drop);
  EXPECT_EQ(frame.Bytes().size(), 5u);
  EXPECT_EQ(HexEdit(frame)->text().size(), 10);

  // A pasted line break is a control character: the text view becomes a pick list showing it.
  TextEdit(frame)->clear();
  Paste(TextEdit(frame), QStringLiteral("a\nb"));
  EXPECT_EQ(frame.Bytes(), "a\nb");
  EXPECT_EQ(HexEdit(frame)->text(), QStringLiteral("610A62"));
  EXPECT_TRUE(frame.TextViewIsPickList());
  EXPECT_EQ(TextViewShows(frame), QStringLiteral("a.b"));
}

TEST(CombiEditCharHexFrame, InputBeyondTheCapacityIsRefusedNotCut) {
  struct TCase {
    bool HexView;
    QString Before;
    QString Pasted;
    bool Taken;
  };
  const QString full(1024, u'a');
  const TCase cases[] = {
      {false, QString(), full, true},
      {false, QString(), full + u'a', false},
      {false, QString(1023, u'a'), QString::fromUtf8("ä"), false},  // two bytes
      {false, full, QStringLiteral("b"), false},
      {true, QString(), QString(2048, u'F'), true},
      {true, QString(), QString(2049, u'F'), true},  // an odd last digit denotes no byte
      {true, QString(), QString(2050, u'F'), false},
      {true, QString(2048, u'F'), QStringLiteral("00"), false},
      {true, QString(2048, u'F'), QStringLiteral("x0"), true},  // no further byte
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.HexView << " " << c.Before.size() << "+" << c.Pasted.size());
    TCombiEditCharHexFrame frame;
    QLineEdit* edit = c.HexView ? HexEdit(frame) : TextEdit(frame);
    if (!c.Before.isEmpty()) Paste(edit, c.Before);
    const std::string before = frame.Bytes();
    const QString beforeText = edit->text();
    Paste(edit, c.Pasted);
    if (c.Taken) {
      EXPECT_NE(edit->text(), beforeText);
    } else {
      EXPECT_EQ(edit->text(), beforeText);
      EXPECT_EQ(frame.Bytes(), before);
    }
    EXPECT_LE(frame.Value().Len(), 1024);
  }
  // Typing at the limit is refused key by key.
  TCombiEditCharHexFrame frame;
  Paste(TextEdit(frame), full);
  QTest::keyClicks(TextEdit(frame), QStringLiteral("bc"));
  EXPECT_EQ(TextEdit(frame)->text(), full);
  EXPECT_EQ(frame.Bytes(), full.toStdString());
}

TEST(CombiEditCharHexFrame, MouseLeaveTakesTheValueToTheTopOnce) {
  TCombiEditCharHexFrame frame;
  LeaveWithMouse(&frame);  // no value yet: nothing to remember
  EXPECT_EQ(frame.HexStringComboBox()->count(), 0);

  QTest::keyClicks(HexEdit(frame), QStringLiteral("4142"));
  LeaveWithMouse(&frame);
  LeaveWithMouse(frame.HexStringComboBox());
  EXPECT_EQ(Items(frame.HexStringComboBox()), (std::vector<std::string>{"4142"}));
  EXPECT_EQ(Items(frame.CharComboBox()), (std::vector<std::string>{"AB"}));

  HexEdit(frame)->selectAll();
  QTest::keyClicks(HexEdit(frame), QStringLiteral("0d0a"));
  LeaveWithMouse(frame.CharComboBox());
  HexEdit(frame)->selectAll();
  QTest::keyClicks(HexEdit(frame), QStringLiteral("4142"));
  LeaveWithMouse(&frame);
  EXPECT_EQ(Items(frame.HexStringComboBox()), (std::vector<std::string>{"4142", "0D0A"}));
  EXPECT_EQ(Items(frame.CharComboBox()), (std::vector<std::string>{"AB", ".."}));
  EXPECT_EQ(frame.HexStringComboBox()->currentIndex(), 0);
  EXPECT_EQ(frame.CharComboBox()->currentIndex(), 0);
  EXPECT_EQ(frame.Bytes(), "AB");

  // The view being typed in keeps its selection through the update.
  frame.show();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  TextEdit(frame)->setFocus();
  ASSERT_TRUE(TextEdit(frame)->hasFocus());
  QTest::keyClicks(TextEdit(frame), QStringLiteral("CD"));
  TextEdit(frame)->setSelection(1, 2);
  LeaveWithMouse(&frame);
  EXPECT_EQ(Items(frame.CharComboBox()), (std::vector<std::string>{"ABCD", "AB", ".."}));
  EXPECT_EQ(TextEdit(frame)->selectionStart(), 1);
  EXPECT_EQ(TextEdit(frame)->selectedText(), QStringLiteral("BC"));
}

// An entry with a CR comes back as the CR, from whichever list it is chosen.
TEST(CombiEditCharHexFrame, ChoosingAnEntryTakesItsBytes) {
  TCombiEditCharHexFrame frame;
  for (const char* hex : {"0d0a", "4142"}) {
    HexEdit(frame)->selectAll();
    QTest::keyClicks(HexEdit(frame), QString::fromLatin1(hex));
    LeaveWithMouse(&frame);
  }
  // Lists: 4142 / AB on top, 0D0A / .. below; the text view is editable, showing AB.
  QTest::keyClick(frame.CharComboBox(), Qt::Key_Down);
  EXPECT_EQ(frame.Bytes(), "\r\n");
  EXPECT_TRUE(frame.TextViewIsPickList());
  EXPECT_EQ(frame.CharComboBox()->currentIndex(), 1);
  EXPECT_EQ(HexEdit(frame)->text(), QStringLiteral("0D0A"));

  QTest::keyClick(frame.CharComboBox(), Qt::Key_Up);
  EXPECT_EQ(frame.Bytes(), "AB");
  EXPECT_FALSE(frame.TextViewIsPickList());
  EXPECT_FALSE(frame.HexInput());

  QTest::keyClick(frame.HexStringComboBox(), Qt::Key_Down);
  EXPECT_EQ(frame.Bytes(), "\r\n");
  EXPECT_EQ(frame.CharComboBox()->currentIndex(), 1);
  EXPECT_EQ(TextViewShows(frame), QStringLiteral(".."));
  QTest::keyClick(frame.HexStringComboBox(), Qt::Key_Up);
  EXPECT_EQ(frame.Bytes(), "AB");
  EXPECT_TRUE(frame.HexInput()) << "chosen in the hexadecimal list: bytes";
}

TEST(CombiEditCharHexFrame, HistoryRoundTripThroughTheFile) {
  test::TTempDir dir;
  const std::string file = dir / "history.ini";
  {
    TCombiEditCharHexFrame frame;
    frame.LoadHistory(file, "FromString");
    for (const char* hex : {"0d0a", "4142"}) {
      HexEdit(frame)->selectAll();
      QTest::keyClicks(HexEdit(frame), QString::fromLatin1(hex));
      LeaveWithMouse(&frame);
    }
    ASSERT_TRUE(frame.SaveHistory());
  }
  TCombiEditCharHexFrame frame;
  QTest::keyClicks(TextEdit(frame), QStringLiteral("kept"));
  frame.LoadHistory(file, "FromString");
  EXPECT_EQ(Items(frame.HexStringComboBox()), (std::vector<std::string>{"4142", "0D0A"}));
  EXPECT_EQ(Items(frame.CharComboBox()), (std::vector<std::string>{"AB", ".."}));
  // Loading changes neither the value nor what the views show.
  EXPECT_EQ(frame.Bytes(), "kept");
  EXPECT_EQ(TextEdit(frame)->text(), QStringLiteral("kept"));
  EXPECT_EQ(HexEdit(frame)->text(), QStringLiteral("6B657074"));

  frame.ClearAll();
  EXPECT_EQ(frame.Value().Len(), 0);
  EXPECT_EQ(frame.HexStringComboBox()->count(), 0);
  EXPECT_EQ(frame.CharComboBox()->count(), 0);
  EXPECT_EQ(HexEdit(frame)->text(), QString());
  ASSERT_TRUE(frame.SaveHistory());
  EXPECT_NE(test::ReadFile(file).find("ItemCount=0"), std::string::npos);
}

TEST(CombiEditCharHexFrame, HandEditedEntriesAreReadAsTheirBytes) {
  test::TTempDir dir;
  const std::string file = dir / "history.ini";
  test::WriteFile(file,
                  "[ToString]\nItemCount=4\nItem1=\\\"0d 0a\\\"\nItem2=\\\"\\\"\n"
                  "Item3=\\\"0D0A\\\"\nItem4=\\\"x41\\\"\n");
  TCombiEditCharHexFrame frame;
  frame.LoadHistory(file, "ToString");
  EXPECT_EQ(Items(frame.HexStringComboBox()), (std::vector<std::string>{"0D0A", "41"}));
  EXPECT_EQ(Items(frame.CharComboBox()), (std::vector<std::string>{"..", "A"}));
  EXPECT_EQ(frame.Value().Len(), -1);
}

}  // namespace
}  // namespace fendrel

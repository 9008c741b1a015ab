// The history combo box: the mouse-leave update, which must not disturb the text it takes, and
// the history file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "ui/editors/ComboBoxExt.h"

namespace fendrel {
namespace {

std::vector<std::string> Items(const QComboBox& box) {
  std::vector<std::string> items;
  for (int i = 0; i < box.count(); ++i)
    items.push_back(box.itemText(i).toStdString());
  return items;
}

void LeaveWithMouse(QWidget* widget) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(widget, &leave);
}

TEST(ComboBoxExt, MouseLeaveTakesTheTextToTheTop) {
  TComboBoxExt box;
  int textChanges = 0;
  int leaves = 0;
  QObject::connect(&box, &QComboBox::editTextChanged, [&] { ++textChanges; });
  QObject::connect(&box, &TComboBoxExt::MouseLeave, [&] { ++leaves; });

  LeaveWithMouse(&box);  // an empty text is no entry
  EXPECT_EQ(box.count(), 0);
  for (const char* text : {"*.txt", "*.cpp", "*.TXT", "*.txt"}) {
    box.lineEdit()->selectAll();
    QTest::keyClicks(box.lineEdit(), QString::fromLatin1(text));
    box.lineEdit()->setCursorPosition(2);
    textChanges = 0;
    LeaveWithMouse(&box);
    LeaveWithMouse(&box);
    // The text stays, caret and all, and the box reports no change of it: the path and mask
    // boxes start a new search on every change.
    EXPECT_EQ(box.currentText().toStdString(), text);
    EXPECT_EQ(box.lineEdit()->cursorPosition(), 2);
    EXPECT_EQ(textChanges, 0);
  }
  EXPECT_EQ(Items(box), (std::vector<std::string>{"*.txt", "*.TXT", "*.cpp"}));
  EXPECT_EQ(box.currentIndex(), 0);
  EXPECT_EQ(leaves, 9);
}

TEST(ComboBoxExt, HistoryRoundTripKeepsBlanksAndBytes) {
  test::TTempDir dir;
  const std::string file = dir / "history.ini";
  {
    TComboBoxExt box;
    box.LoadHistory(file, "Path");
    for (const std::string& entry : {std::string(" /x "), std::string("/tmp/gr\xC3\xBC\xC3\x9F"
                                                                      "e")})
      box.AddToHistory(entry);
    ASSERT_TRUE(box.SaveHistory());
  }
  TComboBoxExt box;
  box.setEditText(QStringLiteral("typed"));
  box.LoadHistory(file, "Path");
  EXPECT_EQ(box.History().Items(), (std::vector<std::string>{"/tmp/gr\xC3\xBC\xC3\x9F"
                                                             "e",
                                                             " /x "}));
  EXPECT_EQ(box.itemText(0), QString::fromUtf8("/tmp/grüße"));
  EXPECT_EQ(box.currentText(), QStringLiteral("typed"));

  box.ClearHistoryItems();
  EXPECT_EQ(box.count(), 0);
  EXPECT_EQ(box.currentText(), QStringLiteral("typed"));
}

}  // namespace
}  // namespace fendrel

// Runs the widget tests inside one application object on the offscreen platform, with the
// UTF-8 code page unless a test selects another.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/CodePage.h"

int main(int argc, char** argv) {
  // Listing the tests runs this program too, outside ctest's environment.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  fendrel::SelectCaseTable(fendrel::TCaseTable::Ascii);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The widget tests run inside one QApplication on the offscreen platform, with Qt's standard
// locations in test mode so nothing reaches the user's real configuration.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#if defined(__SANITIZE_THREAD__)
// Qt is not built with ThreadSanitizer: its own threads (the directory chooser's file-information
// gatherer, the thread pool) synchronise inside the library, where the sanitizer sees only the
// memory calls. Those calls are ignored; every access of our own code stays checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n";
}
#endif

int main(int argc, char** argv) {
  // The test list is also read at build time, outside the test environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// A main window per test: its own data directory, its own language state, and the quit
// question and notices answered by the test instead of a dialog.
#pragma once

#include <QCoreApplication>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "ui/overlay/uZQScreenOverlay.h"
#include "ui/window/SnRForm.h"

namespace fendrel::test {

// Stands in for the screen-overlay library and writes down each call, one line per call:
// "Clear", "Point x y type colour", "Rectangle l t r b colour", "Line x1 y1 x2 y2 colour",
// colours in hexadecimal.
class TRecordingOverlay : public TScreenOverlay {
 public:
  std::int32_t Clear() const override;
  std::int32_t SetCallBackWindowHandle(std::intptr_t window) const override;
  std::int32_t Point(std::int32_t x, std::int32_t y, std::int32_t pointType,
                     std::uint32_t colour) const override;
  std::int32_t Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                    std::uint32_t colour) const override;
  std::int32_t Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom, std::uint32_t colour) const override;

  mutable std::vector<std::string> Calls;
  mutable std::intptr_t CallBackWindow = 0;
};

class TWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window, created on first use with the settings written before.
  TSnRForm& Form();
  const std::string& DataDirectory() const { return FLocations.DataDirectory; }
  const std::string& SettingsFile() const { return FLocations.SettingsFile; }

  // Files in the list as a finished scan would leave them, unticked.
  void ListFiles(const std::vector<std::string>& paths);
  void TickAll();
  std::string Title() { return Form().windowTitle().toStdString(); }

  TTempDir FDir;
  TLocations FLocations;
  // Declared before the window, which draws on it until it is gone.
  TRecordingOverlay FOverlay;
  // What the window draws on; a test may put another overlay here before the window is made.
  const TScreenOverlay* FFormOverlay = &FOverlay;
  // The directory chooser the window's browse button opens; a test may give one before the
  // window is made.
  TChoseDirectoryForm* FFormChooser = nullptr;
  std::unique_ptr<TSnRForm> FForm;
  std::vector<QString> FQuestions;
  TQuitAnswer FAnswer = TQuitAnswer::Cancel;
  // Set before Form(): the window asks its quit question in the program's own message box.
  bool FProgramQuitQuestion = false;
  std::vector<QString> FNotices;
};

// Runs the window thread's events until `done` holds or `timeout` passes.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace fendrel::test

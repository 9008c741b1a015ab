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
#include "ui/window/SnRForm.h"

namespace fendrel::test {

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
  std::unique_ptr<TSnRForm> FForm;
  std::vector<QString> FQuestions;
  TQuitAnswer FAnswer = TQuitAnswer::Cancel;
  std::vector<QString> FNotices;
};

// Runs the window thread's events until `done` holds or `timeout` passes.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace fendrel::test

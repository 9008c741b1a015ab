// The program writes the files it carries next to itself at every start.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

TEST(ExtractAtStart, CarriedFilesAppearBesideACopyOfTheProgram) {
  test::TTempDir dir;
  test::MakeDir(dir / "home");
  const std::string program = dir / "fendrel";
  std::filesystem::copy_file(FENDREL_PROGRAM, program);
  // A stale help page is replaced: what the program carries always wins.
  test::WriteFile(dir / "Fendrel.html", "old");
  // The program runs until it is closed; two seconds are enough to get past its creation.
  const test::TRun run = test::RunProgram(
      "env", {"HOME=" + (dir / "home"), "XDG_CONFIG_HOME=", "QT_QPA_PLATFORM=offscreen", "timeout",
              "-s", "KILL", "2", program});
  (void)run;
  EXPECT_TRUE(test::Exists(dir / "ZQ-ScreenOverlay.so"));
  const std::string page = test::ReadFile(dir / "Fendrel.html");
  EXPECT_NE(page, "old");
  EXPECT_NE(page.find("<html"), std::string::npos);
}

// The first start of a fresh install: the overlay library the program has just written next to
// itself is the one it loads, without waiting for a second start.
TEST(ExtractAtStart, TheFirstStartLoadsTheOverlayItWrote) {
  test::TTempDir dir;
  test::MakeDir(dir / "home");
  const std::string program = dir / "fendrel";
  std::filesystem::copy_file(FENDREL_PROGRAM, program);
  const pid_t child = fork();
  if (child == 0) {
    setenv("HOME", (dir / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", "", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    execl(program.c_str(), program.c_str(), nullptr);
    _exit(127);
  }
  const std::string maps = "/proc/" + std::to_string(child) + "/maps";
  bool loaded = false;
  for (int wait = 0; wait < 100 && !loaded; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(maps);
    std::stringstream content;
    content << in.rdbuf();
    loaded = content.str().find(dir / "ZQ-ScreenOverlay.so") != std::string::npos;
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(loaded);
}

}  // namespace
}  // namespace fendrel

// The program writes the files it carries next to itself at every start.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
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

// An installed program lies in a folder it may not write: it starts all the same and says nothing
// about the files it could not put beside itself (it finds them where they were installed).
TEST(ExtractAtStart, AProgramInAFolderItMayNotWriteStartsSilently) {
  test::TTempDir dir;
  for (const char* folder : {"bin", "home", "run"})
    test::MakeDir(dir / folder);
  const std::string program = dir / "bin/fendrel";
  std::filesystem::copy_file(FENDREL_PROGRAM, program);
  ASSERT_EQ(chmod((dir / "bin").c_str(), 0555), 0);
  ASSERT_EQ(chmod((dir / "run").c_str(), 0700), 0);
  std::vector<std::string> command = {"-s", "KILL", "3"};
  if (geteuid() == 0) {
    // The superuser writes into any folder: the program runs as an ordinary user instead.
    const uid_t nobody = 65534;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    for (const char* folder : {"home", "run"})
      ASSERT_EQ(chown((dir / folder).c_str(), nobody, nobody), 0);
    command.insert(command.end(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  }
  command.insert(command.end(), {"env", "HOME=" + (dir / "home"),
                                 "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR=" + (dir / "run"),
                                 "QT_QPA_PLATFORM=offscreen", program});
  const test::TRun run = test::RunProgram("timeout", command);
  chmod((dir / "bin").c_str(), 0755);
  // Killed by the timeout, not ended by a failure.
  EXPECT_EQ(run.Status, 128 + SIGKILL) << run.Out;
  EXPECT_FALSE(test::Exists(dir / "bin/Fendrel.html"));
  EXPECT_FALSE(test::Exists(dir / "bin/ZQ-ScreenOverlay.so"));
  // What remains besides the offscreen platform's notes and the shell's word on the kill. Under
  // the thread sanitizer the program also reports the threads of the (uninstrumented) Qt
  // libraries, which are not the program's words.
#ifndef __SANITIZE_THREAD__
  std::istringstream lines(run.Out);
  std::string said;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("This plugin does not support ", 0) != 0 && line != "Killed")
      said += line + "\n";
  }
  EXPECT_EQ(said, "");
#endif
}

}  // namespace
}  // namespace fendrel

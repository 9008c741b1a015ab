// The program writes the files it carries next to itself at every start.
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace fendrel

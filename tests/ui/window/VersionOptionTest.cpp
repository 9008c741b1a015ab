// fendrel --version answers without a display: no application object, no window.
#include <gtest/gtest.h>

#include "FendrelVersion.h"
#include "support/RunProgram.h"

namespace fendrel {
namespace {

TEST(VersionOption, PrintsTheVersionWithoutADisplay) {
  // With the X11 platform and no display to reach, creating the application would abort.
  const test::TRun run =
      test::RunProgram("env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb",
                               FENDREL_PROGRAM, "--version"});
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_EQ(run.Out, std::string("fendrel ") + kFendrelVersion + "\n");
}

}  // namespace
}  // namespace fendrel

// fendrel --version and --help answer without a display: no application object, no window.
#include <gtest/gtest.h>

#include "FendrelVersion.h"
#include "support/RunProgram.h"

namespace fendrel {
namespace {

TEST(CommandLineOptions, AnsweredWithoutADisplay) {
  struct TCase {
    const char* Option;
    std::vector<std::string> Lines;  // each a whole line of the output
  };
  const TCase cases[] = {
      {"--version", {std::string("fendrel ") + kFendrelVersion}},
      {"--help",
       {"Usage: fendrel [OPTION]...", "  --version           show the version and exit",
        "  -platform NAME      run on the platform NAME: xcb (X11), wayland, offscreen, ..."}},
  };
  for (const TCase& c : cases) {
    // With the X11 platform and no display to reach, creating the application would abort.
    const test::TRun run =
        test::RunProgram("env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb",
                                 FENDREL_PROGRAM, c.Option});
    EXPECT_EQ(run.Status, 0) << c.Option << "\n" << run.Out;
    for (const std::string& line : c.Lines)
      EXPECT_NE(("\n" + run.Out).find("\n" + line + "\n"), std::string::npos)
          << c.Option << ": " << line << "\n"
          << run.Out;
  }
}

}  // namespace
}  // namespace fendrel

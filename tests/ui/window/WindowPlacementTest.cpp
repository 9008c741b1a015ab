// Placing the main window, the docked help window and the banner on the screen.
#include "ui/window/WindowPlacement.h"

#include <gtest/gtest.h>

namespace fendrel {
namespace {

TEST(WindowPlacement, EveryWindowLiesOnTheScreenAndTheHelpWindowStaysDocked) {
  const QSize minimum(677, 502);
  struct TCase {
    const char* Name;
    QRect Available, Main;
    QSize Help, Banner;
    QRect ExpectedMain, ExpectedHelp;
    bool Centre = false;  // a first start: no remembered place
  };
  const TCase cases[] = {
      // What a window manager chose on a 1600 x 1000 screen: the start button below its edge.
      {"pushed off",
       {0, 0, 1600, 1000},
       {800, 415, 800, 600},
       {196, 600},
       {300, 200},
       {604, 400, 800, 600},
       {1404, 400, 196, 600}},
      {"fits as it is",
       {0, 0, 1600, 1000},
       {100, 50, 800, 600},
       {196, 600},
       {300, 200},
       {100, 50, 800, 600},
       {900, 50, 196, 600}},
      {"panel on the left",
       {48, 0, 1552, 1000},
       {0, 0, 800, 600},
       {196, 600},
       {},
       {48, 0, 800, 600},
       {848, 0, 196, 600}},
      {"taller than the screen",
       {0, 0, 1280, 700},
       {0, 0, 800, 900},
       {196, 900},
       {},
       {0, 0, 800, 700},
       {800, 0, 196, 700}},
      {"too narrow for both",
       {0, 0, 800, 600},
       {0, 0, 800, 600},
       {196, 600},
       {},
       {0, 0, 677, 600},
       {604, 0, 196, 600}},
      {"help window hidden",
       {0, 0, 1600, 1000},
       {1000, 0, 800, 600},
       {},
       {},
       {800, 0, 800, 600},
       {}},
      // Where a window manager put a new window: low on the screen, the top 40 % empty.
      {"first start",
       {0, 0, 1600, 1000},
       {0, 395, 800, 600},
       {196, 600},
       {300, 200},
       {302, 200, 800, 600},
       {1102, 200, 196, 600},
       true},
      {"first start, panel on the left",
       {48, 0, 1552, 1000},
       {0, 0, 800, 600},
       {196, 600},
       {},
       {326, 200, 800, 600},
       {1126, 200, 196, 600},
       true},
      {"first start, help window hidden",
       {0, 0, 1600, 1000},
       {0, 0, 800, 600},
       {},
       {},
       {400, 200, 800, 600},
       {},
       true},
      {"first start, too narrow for both",
       {0, 0, 800, 600},
       {0, 0, 800, 600},
       {196, 600},
       {},
       {0, 0, 677, 600},
       {604, 0, 196, 600},
       true},
  };
  for (const TCase& c : cases) {
    const TWindowPlacement placed =
        PlaceWindows(c.Available, c.Main, c.Help, c.Banner, minimum, c.Centre);
    EXPECT_EQ(placed.Main, c.ExpectedMain) << c.Name;
    EXPECT_EQ(placed.Help, c.ExpectedHelp) << c.Name;
    if (c.Banner.isEmpty()) continue;
    EXPECT_TRUE(c.Available.contains(placed.Banner)) << c.Name;
    EXPECT_FALSE(placed.Banner.intersects(placed.Help)) << c.Name << ": over the help list";
    EXPECT_FALSE(placed.Banner.intersects(placed.Main)) << c.Name;
  }
}

TEST(WindowPlacement, TheBannerCoversOnlyTheMainWindowWhenNothingElseIsFree) {
  const TWindowPlacement placed =
      PlaceWindows({0, 0, 1000, 700}, {0, 0, 800, 700}, {196, 700}, {300, 200}, {677, 502});
  EXPECT_TRUE(QRect(0, 0, 1000, 700).contains(placed.Banner));
  EXPECT_FALSE(placed.Banner.intersects(placed.Help));
}

}  // namespace
}  // namespace fendrel

// The window system the program asks for, from the environment it starts in.
#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "ui/window/SessionPlatform.h"

namespace fendrel {
namespace {

TEST(SessionPlatform, ChoiceByEnvironment) {
  struct TCase {
    const char* Name;
    TSessionEnvironment Environment;
    TSessionPlatform Expected;
  };
  // WaylandDisplay, SessionType, Display, PlatformVariable, PlatformArgument, XcbPluginInstalled
  const TCase cases[] = {
      {"X session", {"", "x11", ":0", "", "", true}, {"", true}},
      {"no session known", {"", "", "", "", "", true}, {"", true}},
      {"Wayland with XWayland", {"wayland-0", "wayland", ":0", "", "", true}, {"xcb", true}},
      {"Wayland display alone", {"wayland-0", "", ":1", "", "", true}, {"xcb", true}},
      {"Wayland session type alone", {"", "wayland", ":0", "", "", true}, {"xcb", true}},
      {"Wayland without X server", {"wayland-0", "wayland", "", "", "", true}, {"", false}},
      {"Wayland without X plugin", {"wayland-0", "wayland", ":0", "", "", false}, {"", false}},
      {"user's variable: wayland",
       {"wayland-0", "wayland", ":0", "wayland", "", true},
       {"", false}},
      {"user's variable: xcb", {"wayland-0", "wayland", ":0", "xcb", "", true}, {"", true}},
      {"user's variable: list",
       {"wayland-0", "wayland", ":0", "wayland;xcb", "", true},
       {"", false}},
      {"user's argument: offscreen",
       {"wayland-0", "wayland", "", "", "offscreen", true},
       {"", true}},
      {"argument wins over variable",
       {"wayland-0", "", ":0", "xcb", "wayland-egl", true},
       {"", false}},
  };
  for (const TCase& c : cases) {
    const TSessionPlatform chosen = ChooseSessionPlatform(c.Environment);
    EXPECT_EQ(chosen.Platform, c.Expected.Platform) << c.Name;
    EXPECT_EQ(chosen.GuidingLines, c.Expected.GuidingLines) << c.Name;
  }
}

TEST(SessionPlatform, XcbPluginIsFoundInAnyOfTheFolders) {
  test::TTempDir dir;
  test::MakeDir(dir / "empty");
  test::MakeDir(dir / "platforms");
  test::WriteFile(dir / "platforms/libqxcb.so", "");
  EXPECT_FALSE(XcbPluginIn({}));
  EXPECT_FALSE(XcbPluginIn({dir / "empty", dir / "missing"}));
  EXPECT_TRUE(XcbPluginIn({dir / "missing", dir / "platforms"}));
}

}  // namespace
}  // namespace fendrel

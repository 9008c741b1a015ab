// The window system the program runs on. The docked help window and the guiding lines need the
// windows' places on the screen, which a Wayland session keeps from its programs; the X server
// such a session usually runs beside it (XWayland) gives them. So in a Wayland session the
// program runs on X when it can, unless the user chose a platform; without an X server it runs
// on Wayland without the guiding lines.
#pragma once

#include <string>
#include <vector>

namespace fendrel {

// What the choice is made from: the process environment and the command line, as found before
// the application object exists.
struct TSessionEnvironment {
  std::string WaylandDisplay;       // WAYLAND_DISPLAY
  std::string SessionType;          // XDG_SESSION_TYPE
  std::string Display;              // DISPLAY
  std::string PlatformVariable;     // QT_QPA_PLATFORM
  std::string PlatformArgument;     // NAME of -platform NAME on the command line
  bool XcbPluginInstalled = false;  // Qt's X platform plugin is there to be loaded
};

struct TSessionPlatform {
  // The platform the program asks Qt for; empty leaves the choice to Qt.
  std::string Platform;
  // Whether the guiding lines can be drawn where the program will run.
  bool GuidingLines = true;
};

TSessionPlatform ChooseSessionPlatform(const TSessionEnvironment& environment);

// Reads the environment and the command line of this process.
TSessionEnvironment CurrentSessionEnvironment(int argc, char* argv[]);

// Whether Qt's X platform plugin lies in one of `platformDirectories` (folders of platform
// plugins, such as Qt's "plugins/platforms").
bool XcbPluginIn(const std::vector<std::string>& platformDirectories);

}  // namespace fendrel

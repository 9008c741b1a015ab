#include "SessionPlatform.h"

#include <QLibraryInfo>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fendrel {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Qt's platform plugins are looked for where Qt looks for them: the folders its variables name
// first, then its own.
std::vector<std::string> PlatformDirectories() {
  std::vector<std::string> directories;
  const auto addList = [&directories](const std::string& list, const char* below) {
    std::size_t start = 0;
    while (start <= list.size()) {
      const std::size_t end = std::min(list.find(':', start), list.size());
      if (end > start) directories.push_back(list.substr(start, end - start) + below);
      start = end + 1;
    }
  };
  addList(Variable("QT_QPA_PLATFORM_PLUGIN_PATH"), "");
  addList(Variable("QT_PLUGIN_PATH"), "/platforms");
  directories.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms");
  return directories;
}

}  // namespace

TSessionPlatform ChooseSessionPlatform(const TSessionEnvironment& environment) {
  // The command line's platform wins over the variable's, as in Qt.
  const std::string& chosen = !environment.PlatformArgument.empty() ? environment.PlatformArgument
                                                                    : environment.PlatformVariable;
  if (!chosen.empty()) return {"", !chosen.starts_with("wayland")};
  const bool wayland = !environment.WaylandDisplay.empty() || environment.SessionType == "wayland";
  if (!wayland) return {"", true};
  if (!environment.Display.empty() && environment.XcbPluginInstalled) return {"xcb", true};
  return {"", false};
}

TSessionEnvironment CurrentSessionEnvironment(int argc, char* argv[]) {
  TSessionEnvironment environment;
  environment.WaylandDisplay = Variable("WAYLAND_DISPLAY");
  environment.SessionType = Variable("XDG_SESSION_TYPE");
  environment.Display = Variable("DISPLAY");
  environment.PlatformVariable = Variable("QT_QPA_PLATFORM");
  for (int index = 1; index + 1 < argc; ++index) {
    // Qt takes the option with one dash or two.
    if (std::strcmp(argv[index], "-platform") == 0 || std::strcmp(argv[index], "--platform") == 0)
      environment.PlatformArgument = argv[index + 1];
  }
  environment.XcbPluginInstalled = XcbPluginIn(PlatformDirectories());
  return environment;
}

bool XcbPluginIn(const std::vector<std::string>& platformDirectories) {
  std::error_code error;
  for (const std::string& directory : platformDirectories) {
    if (std::filesystem::is_regular_file(std::filesystem::path(directory) / "libqxcb.so", error))
      return true;
  }
  return false;
}

}  // namespace fendrel

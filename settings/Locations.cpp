#include "Locations.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fendrel {
namespace {

// The directory part of `path`, up to and including its last '/'; empty when there is none.
std::string DirectoryPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string RunningProgramFile() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length > 0 && static_cast<std::size_t>(length) < path.size()) {
    path.resize(static_cast<std::size_t>(length));
    return path;
  }
  // Without /proc the current directory is the best guess for the program's own directory.
  std::error_code ec;
  return (std::filesystem::current_path(ec) / "fendrel").string();
}

// The settings file an "IniFile" entry of `settingsFile` points to, or `settingsFile` itself.
std::string FollowIniFileEntry(const std::string& settingsFile) {
  const std::optional<TIniValue> entry =
      TIniReader(settingsFile).Lookup(kGenerelSection, kIniFileKey);
  // A cut path names some other file; an empty one names none.
  if (!entry || entry->Cut || entry->Text.empty()) return settingsFile;
  if (entry->Text.front() == '/') return entry->Text;
  return DirectoryPart(settingsFile) + entry->Text;
}

}  // namespace

std::string SettingsFileName(std::string_view programFile) {
  const std::size_t slash = programFile.rfind('/');
  std::string_view name =
      slash == std::string_view::npos ? programFile : programFile.substr(slash + 1);
  // A leading dot begins a hidden name, not an extension.
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name) + ".ini";
}

TLocations ComputeLocations(const TLocationSources& sources) {
  const std::string fileName = SettingsFileName(sources.ProgramFile);
  const std::string programDirectory = DirectoryPart(sources.ProgramFile);

  TLocations locations;
  std::string folder = RegistryReadString(TRegistryRoot::CurrentUser, kShellFoldersKey,
                                          kAppDataValue, programDirectory, sources.Environment);
  if (folder == programDirectory || folder.empty()) {
    // Everything stays beside the program, the settings file included.
    locations.DataDirectory = programDirectory;
    locations.SettingsFile = programDirectory + fileName;
    return locations;
  }

  if (folder.back() != '/') folder += '/';
  const std::string defaultSettingsFile = folder + std::string(kDataFolderName) + "/" + fileName;
  locations.SettingsFile = FollowIniFileEntry(defaultSettingsFile);
  locations.DataDirectory = DirectoryPart(locations.SettingsFile);

  std::error_code ec;
  std::filesystem::create_directories(locations.DataDirectory, ec);
  return locations;
}

const TLocations& ProgramLocations() {
  static const TLocations locations =
      ComputeLocations(TLocationSources{RunningProgramFile(), ProcessEnvironment()});
  return locations;
}

const std::string& GetSettingsFile() {
  return ProgramLocations().SettingsFile;
}

TLocations DesktopLocations() {
  return ComputeLocations(
      TLocationSources{DirectoryPart(RunningProgramFile()) + "fendrel", ProcessEnvironment()});
}

const std::string& GetDataDirectory() {
  return ProgramLocations().DataDirectory;
}

}  // namespace fendrel

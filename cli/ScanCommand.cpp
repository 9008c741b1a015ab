// fendrel-cli scan: the file list the desktop program would show for a path and mask.
#include <dirent.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CommandLine.h"
#include "Commands.h"
#include "platform/FileAttributes.h"
#include "scan/DirWalk.h"
#include "scan/uScanDirThread.h"

namespace fendrel::cli {
namespace {

// Collects the scanner's hits.
class TFileCollector : public TStrings {
 public:
  void Add(const std::string& entry) override { Files.push_back(entry); }
  std::size_t Count() const override { return Files.size(); }
  std::vector<std::string> Files;
};

}  // namespace

std::optional<std::string> ScanArgumentsError(const std::string& dir, const std::string& mask) {
  if (mask.find('/') != std::string::npos)
    return "MASK is a file-name pattern and holds no '/': " + mask;
  DIR* handle = opendir(dir.c_str());
  if (handle == nullptr) {
    if (errno == ENOTDIR) return dir + " is not a directory";
    return "cannot open directory " + dir + ": " + std::strerror(errno);
  }
  closedir(handle);
  return std::nullopt;
}

std::vector<TOptionSpec> WithExcludeOptions(std::vector<TOptionSpec> specs) {
  specs.push_back({.Short = nullptr, .Long = "--exclude", .TakesValue = true, .Repeatable = true});
  specs.push_back({.Short = nullptr, .Long = "--exclude-vcs", .TakesValue = false});
  return specs;
}

std::optional<std::vector<std::string>> ExcludedNames(const TParsedArgs& parsed,
                                                      std::string& error) {
  std::vector<std::string> excluded = parsed.All("--exclude");
  for (const std::string& glob : excluded) {
    // Such a GLOB would silently exclude nothing, and the user would take the run for a
    // filtered one.
    if (glob.empty()) error = "--exclude needs a name pattern";
    if (glob.find('/') != std::string::npos)
      error = "--exclude matches names and holds no '/': " + glob;
    if (!error.empty()) return std::nullopt;
  }
  if (parsed.Has("--exclude-vcs"))
    excluded.insert(excluded.end(), kVcsFolderNames.begin(), kVcsFolderNames.end());
  return excluded;
}

std::vector<std::string> ScanFiles(const std::string& dir, const std::string& mask, bool recursive,
                                   const std::vector<std::string>& excluded, bool followLinks,
                                   std::size_t* failedRecoveries) {
  // Without a window to keep responsive, the command line installs no window thread: the
  // scanner's hand-overs run on the scan thread itself, and the list is read only after the
  // scanner has ended.
  TFileCollector found;
  {
    TScanDirThread scanner;
    scanner.Setup(dir, mask, &found, recursive, kFileScanFilter);
    scanner.SetExcludedNames(excluded);
    scanner.SetFollowLinks(followLinks);
    scanner.Start();
    scanner.WaitFor();
    const std::size_t failed = PrintRecoveries(scanner.Recoveries());
    if (failedRecoveries != nullptr) *failedRecoveries = failed;
  }
  return std::move(found.Files);
}

std::size_t PrintRecoveries(const std::vector<TRecovery>& recoveries) {
  std::size_t failed = 0;
  for (const TRecovery& recovery : recoveries) {
    std::fprintf(stderr, "fendrel-cli: %s: %s\n", recovery.File.c_str(), recovery.Text.c_str());
    if (recovery.Failed) ++failed;
  }
  return failed;
}

int ScanCommand(const std::vector<std::string>& args) {
  static const std::vector<TOptionSpec> kOptions =
      WithExcludeOptions({{"-r", "--recursive", false}, {nullptr, "--follow-links", false}});
  std::string error;
  const auto parsed = ParseArgs(args, kOptions, 2, error);
  std::optional<std::vector<std::string>> excluded;
  if (parsed) excluded = ExcludedNames(*parsed, error);
  if (excluded) {
    if (auto refused = ScanArgumentsError(parsed->Positional[0], parsed->Positional[1]))
      error = *refused;
  }
  if (!parsed || !excluded || !error.empty()) {
    std::fprintf(stderr, "fendrel-cli scan: %s\nTry 'fendrel-cli --help'.\n", error.c_str());
    return kExitUsage;
  }
  for (const std::string& file :
       ScanFiles(parsed->Positional[0], parsed->Positional[1], parsed->Has("--recursive"),
                 *excluded, parsed->Has("--follow-links"))) {
    std::fwrite(file.data(), 1, file.size(), stdout);
    std::fputc('\n', stdout);
  }
  return kExitOk;
}

}  // namespace fendrel::cli

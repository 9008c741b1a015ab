// fendrel-cli scan: the file list the desktop program would show for a path and mask.
#include <dirent.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CommandLine.h"
#include "Commands.h"
#include "TerminalText.h"
#include "platform/FileAttributes.h"
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
  specs.push_back({.Short = nullptr, .Long = "--include-vcs", .TakesValue = false});
  specs.push_back({.Short = nullptr, .Long = "--no-ignore", .TakesValue = false});
  return specs;
}

std::optional<TWalkOptions> WalkOptionsOf(const TParsedArgs& parsed, std::string& error) {
  TWalkOptions options;
  options.Excluded = parsed.All("--exclude");
  for (const std::string& glob : options.Excluded) {
    switch (ExcludeGlobFault(glob)) {
      case TExcludeFault::None:
        continue;
      case TExcludeFault::Empty:
        error = "--exclude needs a name pattern";
        break;
      case TExcludeFault::HoldsSlash:
        error = "--exclude matches names and holds no '/': " + glob;
        break;
    }
    return std::nullopt;
  }
  // --exclude-vcs asks for what is done anyway; it stays accepted for the command lines that
  // were written when it was not.
  if (parsed.Has("--exclude-vcs") && parsed.Has("--include-vcs")) {
    error = "--exclude-vcs and --include-vcs exclude each other";
    return std::nullopt;
  }
  options.IncludeVcsFolders = parsed.Has("--include-vcs");
  // A run over a work tree leaves its build output and other ignored files alone, as the tools
  // the user works with in it do.
  options.HonourIgnoreFiles = !parsed.Has("--no-ignore");
  options.FollowLinks = parsed.Has("--follow-links");
  return options;
}

std::vector<std::string> ScanFiles(const std::string& dir, const std::string& mask, bool recursive,
                                   const TWalkOptions& options, TScanShortfall* shortfall) {
  // Without a window to keep responsive, the command line installs no window thread: the
  // scanner's hand-overs run on the scan thread itself, and the list is read only after the
  // scanner has ended.
  TFileCollector found;
  {
    TScanDirThread scanner;
    scanner.Setup(dir, mask, &found, recursive, kFileScanFilter);
    scanner.SetWalkOptions(options);
    scanner.Start();
    scanner.WaitFor();
    const std::size_t failed = PrintRecoveries(scanner.Recoveries());
    for (const TUnreadableFolder& folder : scanner.Unreadable()) {
      WriteLine(stderr, "fendrel-cli: " + EscapeControls(folder.Path) +
                            ": cannot read the folder: " + std::strerror(folder.Error));
    }
    if (shortfall != nullptr) *shortfall = {failed, scanner.Unreadable().size()};
  }
  return std::move(found.Files);
}

std::size_t PrintRecoveries(const std::vector<TRecovery>& recoveries) {
  std::size_t failed = 0;
  for (const TRecovery& recovery : recoveries) {
    WriteLine(stderr, "fendrel-cli: " + EscapeControls(recovery.File) + ": " + recovery.Text);
    if (recovery.Failed) ++failed;
  }
  return failed;
}

int ScanCommand(const std::vector<std::string>& args) {
  static const std::vector<TOptionSpec> kOptions =
      WithExcludeOptions({{"-r", "--recursive", false}, {nullptr, "--follow-links", false}});
  std::string error;
  const auto parsed = ParseArgs(args, kOptions, 2, error);
  std::optional<TWalkOptions> options;
  if (parsed) options = WalkOptionsOf(*parsed, error);
  if (options) {
    if (auto refused = ScanArgumentsError(parsed->Positional[0], parsed->Positional[1]))
      error = *refused;
  }
  if (!parsed || !options || !error.empty()) {
    std::fprintf(stderr, "fendrel-cli scan: %s\nTry 'fendrel-cli --help'.\n", error.c_str());
    return kExitUsage;
  }
  TScanShortfall shortfall;
  for (const std::string& file : ScanFiles(parsed->Positional[0], parsed->Positional[1],
                                           parsed->Has("--recursive"), *options, &shortfall)) {
    WriteLine(stdout, EscapeControls(file));
  }
  // A list missing a folder's files must not pass for the whole one.
  return shortfall.UnreadableFolders > 0 ? kExitFailed : kExitOk;
}

}  // namespace fendrel::cli

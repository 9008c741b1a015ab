// fendrel-cli recover: finishes the rewrites in place that runs left unfinished below a folder,
// through the same recovery a scan makes of the folders it lists.
#include <cstdio>

#include "Commands.h"
#include "TerminalText.h"
#include "scan/DirWalk.h"

namespace fendrel::cli {

int RecoverCommand(const std::vector<std::string>& args) {
  std::string error;
  const auto parsed = ParseArgs(args, {}, 1, error);
  if (parsed) {
    if (auto refused = ScanArgumentsError(parsed->Positional[0], "*")) error = *refused;
  }
  if (!parsed || !error.empty()) {
    std::fprintf(stderr, "fendrel-cli recover: %s\nTry 'fendrel-cli --help'.\n", error.c_str());
    return kExitUsage;
  }
  std::size_t found = 0, failed = 0;
  // Every folder below DIR, files of none: the walk recovers each folder holding a record. A
  // record may lie anywhere a run once wrote, so no folder is left out.
  TWalkOptions options;
  options.IncludeVcsFolders = true;
  options.Recovered = [&](std::vector<TRecovery> recoveries) {
    for (const TRecovery& recovery : recoveries) {
      WriteLine(recovery.Failed ? stderr : stdout,
                std::string(recovery.Failed ? "fendrel-cli: " : "") +
                    EscapeControls(recovery.File) + ": " + recovery.Text);
      ++found;
      if (recovery.Failed) ++failed;
    }
  };
  WalkDirectory(
      parsed->Positional[0], "", 0, true, [](const std::string&) {}, options);
  if (found == 0) std::puts("nothing to recover");
  std::fflush(stdout);
  return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace fendrel::cli

// Runs the fendrel-cli this build made, as a user would from a shell. Its configuration folder
// is one of the tests' own, so the run journal it keeps never reaches the user's.
#pragma once

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fendrel::test {

// The configuration folder of every fendrel-cli the tests run; the data directory is its
// "Fendrel" folder.
inline const TTempDir& CliConfigFolder() {
  static const TTempDir folder;
  return folder;
}

inline TRun RunCli(const std::vector<std::string>& args,
                   const std::string& configFolder = CliConfigFolder().Path()) {
  std::vector<std::string> command = {"XDG_CONFIG_HOME=" + configFolder, FENDREL_CLI};
  command.insert(command.end(), args.begin(), args.end());
  return RunProgram("env", command);
}

// As RunCli, from the folder `workingFolder`, as a user who changed into it first.
inline TRun RunCliIn(const std::string& workingFolder, const std::vector<std::string>& args) {
  std::vector<std::string> command = {"-C", workingFolder,
                                      "XDG_CONFIG_HOME=" + CliConfigFolder().Path(), FENDREL_CLI};
  command.insert(command.end(), args.begin(), args.end());
  return RunProgram("env", command);
}

}  // namespace fendrel::test

// Runs the fendrel-cli this build made, as a user would from a shell.
#pragma once

#include <string>
#include <vector>

#include "support/RunProgram.h"

namespace fendrel::test {

inline TRun RunCli(const std::vector<std::string>& args) {
  return RunProgram(FENDREL_CLI, args);
}

}  // namespace fendrel::test

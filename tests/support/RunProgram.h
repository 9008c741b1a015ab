// Runs a program as a user would from a shell: its output and exit status.
#pragma once

#include <string>
#include <vector>

namespace fendrel::test {

struct TRun {
  int Status;       // exit status, -1 when the program did not exit normally
  std::string Out;  // standard output and standard error, merged
};

// Runs `program` with `args` (each quoted for the shell) and waits for it.
TRun RunProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace fendrel::test

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

// The same with standard output and standard error on a terminal of its own (a pseudo-terminal,
// which turns "\n" into "\r\n" on the way out), as a user at a terminal runs it.
TRun RunInTerminal(const std::string& program, const std::vector<std::string>& args);

}  // namespace fendrel::test

// Runs the real git as the reference for what a work tree's ignore files mean, and to check
// that a run left a repository whole. The user's own git configuration (their global ignore
// file above all) never reaches it: home and configuration folders are one of the tests' own.
#pragma once

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fendrel::test {

inline bool GitInstalled() {
  return RunProgram("git", {"--version"}).Status == 0;
}

// git `args` in the work tree `workTree`, its standard error merged into its output; `input`,
// when given, is its standard input.
inline TRun RunGit(const std::string& workTree, const std::vector<std::string>& args,
                   const std::string& input = {}) {
  static const TTempDir home;
  std::vector<std::string> command = {"HOME=" + home.Path(),
                                      "XDG_CONFIG_HOME=" + home.Path(),
                                      "GIT_CONFIG_NOSYSTEM=1",
                                      "GIT_CONFIG_GLOBAL=/dev/null",
                                      "git",
                                      "-C",
                                      workTree,
                                      "-c",
                                      "user.name=Fendrel Test",
                                      "-c",
                                      "user.email=test@fendrel.invalid",
                                      "-c",
                                      "commit.gpgSign=false"};
  command.insert(command.end(), args.begin(), args.end());
  if (input.empty()) return RunProgram("env", command);
  const TTempDir folder;
  WriteFile(folder / "input", input);
  command.insert(command.begin(),
                 {"-c", "f=$1; shift; exec env \"$@\" < \"$f\"", "sh", folder / "input"});
  return RunProgram("sh", command);
}

// The NUL-terminated records of a git output made with -z.
inline std::vector<std::string> SplitNul(const std::string& out) {
  std::vector<std::string> records;
  for (std::size_t pos = 0, end; (end = out.find('\0', pos)) != std::string::npos; pos = end + 1)
    records.push_back(out.substr(pos, end - pos));
  return records;
}

}  // namespace fendrel::test

// The subcommands of fendrel-cli. Each takes its arguments (after the subcommand's name) and
// returns the exit status: 0 success, 1 a task failed or the run was interrupted, 2 usage error.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fendrel::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int ReplaceCommand(const std::vector<std::string>& args);
int ScanCommand(const std::vector<std::string>& args);
int RegexDumpCommand(const std::vector<std::string>& args);
int MatchCommand(const std::vector<std::string>& args);
int SubstituteCommand(const std::vector<std::string>& args);
int ChecksumCommand(const std::vector<std::string>& args);
int ContainerCommand(const std::vector<std::string>& args);

// Why DIR and MASK cannot be listed as asked: DIR is missing, unreadable or no directory, or
// MASK holds '/' (it matches names within DIR only). nullopt when they can. The scanner itself
// lists nothing in each of these cases, which a command line must not pass off as "no files".
std::optional<std::string> ScanArgumentsError(const std::string& dir, const std::string& mask);

// Lists DIR for MASK with the background scanner and returns the files in the order found.
std::vector<std::string> ScanFiles(const std::string& dir, const std::string& mask, bool recursive);

}  // namespace fendrel::cli

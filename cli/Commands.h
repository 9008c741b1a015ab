// The subcommands of fendrel-cli. Each takes its arguments (after the subcommand's name) and
// returns the exit status: 0 success, 1 a task failed or the run was interrupted, 2 usage error.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "platform/InPlaceRecovery.h"

namespace fendrel::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int ReplaceCommand(const std::vector<std::string>& args);
int ScanCommand(const std::vector<std::string>& args);
int RestoreCommand(const std::vector<std::string>& args);
int RegexDumpCommand(const std::vector<std::string>& args);
int MatchCommand(const std::vector<std::string>& args);
int SubstituteCommand(const std::vector<std::string>& args);
int ChecksumCommand(const std::vector<std::string>& args);
int ContainerCommand(const std::vector<std::string>& args);

// Why DIR and MASK cannot be listed as asked: DIR is missing, unreadable or no directory, or
// MASK holds '/' (it matches names within DIR only). nullopt when they can. The scanner itself
// lists nothing in each of these cases, which a command line must not pass off as "no files".
std::optional<std::string> ScanArgumentsError(const std::string& dir, const std::string& mask);

// `specs` with the options of every command that lists files: --exclude=GLOB (repeatable) and
// --exclude-vcs.
std::vector<TOptionSpec> WithExcludeOptions(std::vector<TOptionSpec> specs);

// The names those options leave out of the listing, or nullopt with `error` set for a GLOB that
// could never match a name (empty, or holding '/').
std::optional<std::vector<std::string>> ExcludedNames(const TParsedArgs& parsed,
                                                      std::string& error);

// Lists DIR for MASK with the background scanner and returns the files in the order found;
// names matching an `excluded` mask are left out, and folders matching one are not entered; links
// to folders are entered with `followLinks`. What the scan found and did about interrupted
// rewrites in place goes to standard error (PrintRecoveries); `failedRecoveries`, when given,
// counts the ones that could not be recovered.
std::vector<std::string> ScanFiles(const std::string& dir, const std::string& mask, bool recursive,
                                   const std::vector<std::string>& excluded = {},
                                   bool followLinks = false,
                                   std::size_t* failedRecoveries = nullptr);

// Prints each entry as "fendrel-cli: PATH: TEXT" on standard error; returns how many failed.
std::size_t PrintRecoveries(const std::vector<TRecovery>& recoveries);

int RecoverCommand(const std::vector<std::string>& args);

}  // namespace fendrel::cli

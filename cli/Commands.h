// The subcommands of fendrel-cli. Each takes its arguments (after the subcommand's name) and
// returns the exit status: 0 success, 1 a task failed or the run was interrupted, 2 usage error.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "platform/InPlaceRecovery.h"
#include "scan/DirWalk.h"

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

// `specs` with the options of every command that lists files: --exclude=GLOB (repeatable),
// --exclude-vcs, --include-vcs and --no-ignore.
std::vector<TOptionSpec> WithExcludeOptions(std::vector<TOptionSpec> specs);

// The walk those options ask for: names matching a GLOB left out, the version-control folders
// left out unless --include-vcs (--exclude-vcs says so explicitly), the ignore files of the work
// tree honoured unless --no-ignore, links to folders followed with --follow-links (for the
// commands that take it). nullopt with `error` set for a GLOB that could never match a name
// (empty, or holding '/'), and for --exclude-vcs together with --include-vcs.
std::optional<TWalkOptions> WalkOptionsOf(const TParsedArgs& parsed, std::string& error);

// What a listing could not do: interrupted rewrites it could not recover, folders it could not
// read.
struct TScanShortfall {
  std::size_t FailedRecoveries = 0;
  std::size_t UnreadableFolders = 0;
};

// Lists DIR for MASK with the background scanner and returns the files in the order found,
// leaving out what `options` say (their stop, recovery report and unreadable folders are the
// scanner's own). What the scan found and did about interrupted rewrites in place goes to
// standard error (PrintRecoveries), and so does each folder it could not read, as
// "fendrel-cli: PATH: cannot read the folder: REASON"; `shortfall`, when given, counts both.
std::vector<std::string> ScanFiles(const std::string& dir, const std::string& mask, bool recursive,
                                   const TWalkOptions& options,
                                   TScanShortfall* shortfall = nullptr);

// Prints each entry as "fendrel-cli: PATH: TEXT" on standard error; returns how many failed.
std::size_t PrintRecoveries(const std::vector<TRecovery>& recoveries);

int RecoverCommand(const std::vector<std::string>& args);

}  // namespace fendrel::cli

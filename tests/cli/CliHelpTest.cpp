// fendrel-cli --help and --version, and the help naming every option the commands accept.
#include <gtest/gtest.h>

#include "FendrelVersion.h"
#include "RunCli.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::RunCli;
using test::TRun;
using test::TTempDir;
using test::WriteFile;

TEST(CliHelp, AnswersInsteadOfACommand) {
  const struct {
    std::vector<std::string> Args;
    int Status;
    std::string Begins;
  } cases[] = {
      {{"--version"}, 0, std::string("fendrel-cli ") + kFendrelVersion + "\n"},
      {{"--help"}, 0, "Usage:\n  fendrel-cli [--encoding=NAME | --bytes] COMMAND"},
      {{"-h"}, 0, "Usage:\n  fendrel-cli [--encoding=NAME | --bytes] COMMAND"},
      {{}, 2, "fendrel-cli: missing command\n"},
      {{"--verbose"}, 2, "fendrel-cli: unknown command --verbose\n"},
      // A command's own help: its usage lines, then its paragraphs alone.
      {{"replace", "--help"},
       0,
       "Usage:\n  fendrel-cli replace [options] DIR MASK OLD NEW\n  fendrel-cli replace "},
      {{"restore", "-n", "-h"}, 0, "Usage:\n  fendrel-cli restore [-n] [--exclude=GLOB]"},
      {{"container", "--help"},
       0,
       "Usage:\n  fendrel-cli container list EXE\n  fendrel-cli "
       "container extract EXE DIR\n\ncontainer list  Prints"},
      {{"match", "--", "--help", "x"}, 0, "matches 0\n"},
  };
  for (const auto& c : cases) {
    const TRun run = RunCli(c.Args);
    const std::string shown = c.Args.empty() ? "(none)" : c.Args[0];
    EXPECT_EQ(run.Status, c.Status) << shown;
    EXPECT_EQ(run.Out.substr(0, c.Begins.size()), c.Begins) << shown;
  }
  EXPECT_EQ(RunCli({"--version"}).Out, std::string("fendrel-cli ") + kFendrelVersion + "\n");
  const std::string scan = RunCli({"scan", "--help"}).Out;
  EXPECT_EQ(scan.find("\nreplace "), std::string::npos) << scan;
}

// Each option as the help names it, and a command line that uses it: the help must name what
// the commands accept, and the commands accept what the help names.
TEST(CliHelp, NamesEveryOptionTheCommandsAccept) {
  TTempDir dir;
  WriteFile(dir / "a.txt", "abc");
  WriteFile(dir / "list", dir / "a.txt\n");
  WriteFile(dir / "zero-list", dir / "a.txt" + std::string(1, '\0'));
  const std::string d = dir.Path();
  const std::string help = RunCli({"--help"}).Out;
  const struct {
    std::string InHelp;
    std::vector<std::string> Args;
  } cases[] = {
      {"-r, --recursive", {"scan", "-r", "--recursive", d, "*.txt"}},
      {"--exclude=GLOB", {"scan", "--exclude=b*", d, "*.txt"}},
      {"--exclude-vcs", {"scan", "--exclude-vcs", d, "*.txt"}},
      {"--include-vcs", {"restore", "-n", "-r", "--include-vcs", d, "*.txt"}},
      {"--no-ignore", {"replace", "-n", "--no-ignore", d, "*.txt", "b", "x"}},
      {"-n, --dry-run", {"replace", "-n", "--dry-run", d, "*.txt", "b", "x"}},
      {"-i, --ignore-case", {"replace", "-n", "-i", "--ignore-case", d, "*.txt", "B", "x"}},
      {"-e, --regex", {"replace", "-n", "-e", "--regex", d, "*.txt", "b+", "x"}},
      {"--hex", {"replace", "-n", "--hex", d, "*.txt", "62", "78"}},
      {"--multi-line", {"replace", "-n", "--multi-line", d, "*.txt", "b", "x"}},
      {"--no-backup", {"replace", "-n", "--no-backup", d, "*.txt", "b", "x"}},
      {"--keep-mtime", {"replace", "-n", "--keep-mtime", d, "*.txt", "b", "x"}},
      {"--log=MODE", {"replace", "-n", "--log=replaced", d, "*.txt", "b", "x"}},
      {"--quiet", {"replace", "-n", "--quiet", d, "*.txt", "b", "x"}},
      {"--diff", {"replace", "-n", "--diff", d, "*.txt", "b", "x"}},
      {"--json", {"replace", "-n", "--json", d, "*.txt", "b", "x"}},
      {"restore [-n]", {"restore", "-n", "-r", d, "*.txt"}},
      {"--follow-links", {"scan", "--follow-links", d, "*.txt"}},
      {"recover DIR", {"recover", d}},
      {"--modifiers=M", {"regex-dump", "--modifiers=i-s", "b"}},
      {"--count", {"match", "--count", "b", "abc"}},
      {"--subject-file FILE", {"match", "b", "--subject-file", dir / "a.txt"}},
      {"--literal", {"substitute", "--literal", "b", "abc", "$1"}},
      {"checksum FILE", {"checksum", dir / "a.txt"}},
      // A run that keeps the content, so that the next can undo it.
      {"-w, --word", {"replace", "-w", "--word", d, "*.txt", "abc", "abc"}},
      {"--color=WHEN", {"replace", "-n", "--diff", "--color=always", d, "*.txt", "b", "x"}},
      {"--run=N, --run=last", {"restore", "-n", "--run=last"}},
      {"--list-runs", {"restore", "--list-runs"}},
      {"--files-from=LIST", {"replace", "-n", "--files-from", dir / "list", "b", "x"}},
      {"-0, --null",
       {"replace", "-n", "-0", "--null", "--files-from", dir / "zero-list", "b", "x"}},
  };
  for (const auto& c : cases) {
    EXPECT_NE(help.find(c.InHelp), std::string::npos) << c.InHelp;
    const TRun run = RunCli(c.Args);
    EXPECT_EQ(run.Status, 0) << c.InHelp << ": " << run.Out;
  }
  EXPECT_EQ(test::ReadFile(dir / "a.txt"), "abc");
}

}  // namespace
}  // namespace fendrel

// fendrel-cli as a user runs it: output, exit status and the files it leaves.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "RunCli.h"
#include "platform/InPlaceRecovery.h"
#include "support/RunGit.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::RunCli;
using test::RunProgram;
using test::TRun;
using test::TTempDir;
using test::WriteFile;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeDir(Dir / "sub");
    WriteFile(Dir / "a.txt", "Hello hello");
    WriteFile(Dir / "sub/b.txt", "say HELLO");
    WriteFile(Dir / "c.txt", "nothing");
    WriteFile(Dir / "d.dat", "hello");
  }
  TTempDir Dir;
};

TEST_F(CliTest, RecursiveCaseInsensitiveRunReportsLikeTheResultList) {
  const TRun run = RunCli({"replace", "-ri", "--log", "all", Dir.Path(), "*.TXT", "hello", "bye"});
  EXPECT_EQ(run.Status, 0);
  const std::string result = "hello [68656C6C6F] --> bye [627965] :\n";
  EXPECT_EQ(run.Out, "backup: " + Dir / "sub/b.txt.0.snr_bak\n" + Dir / "sub/b.txt\n" + result +
                         "1 replacements\n\n" + Dir / "c.txt\n" + result + "0 replacements\n\n" +
                         "backup: " + Dir / "a.txt.0.snr_bak\n" + Dir / "a.txt\n" + result +
                         "2 replacements\n\n")
      << "order may differ only if the directory lists differently: " << run.Out;
  EXPECT_EQ(ReadFile(Dir / "a.txt"), "bye bye");
  EXPECT_EQ(ReadFile(Dir / "sub/b.txt"), "say bye");
  EXPECT_EQ(ReadFile(Dir / "d.dat"), "hello");
}

// Without --log: a line per changed or failed file, paths as typed from a relative folder, names
// that would steer a terminal escaped.
TEST_F(CliTest, ShortLinesNameChangedFilesAsTyped) {
  WriteFile(Dir / "esc\x1B[31mred.txt", "hello");
  const auto inDir = [&](std::vector<std::string> command) {
    std::vector<std::string> args = {"-c",     "cd \"$0\" && exec \"$@\"",          Dir.Path(),
                                     "env",    "XDG_CONFIG_HOME=" + Dir / "config", FENDREL_CLI,
                                     "replace"};
    args.insert(args.end(), command.begin(), command.end());
    return RunProgram("sh", args);
  };
  TRun run = inDir({"-ri", ".", "*.txt", "hello", "hi"});
  EXPECT_EQ(run.Status, 0);
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = run.Out.find('\n', at)) != std::string::npos; at = end + 1)
    lines.push_back(run.Out.substr(at, end - at));
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"./a.txt: 2 replacements",
                                             "./esc\\e[31mred.txt: 1 replacement",
                                             "./sub/b.txt: 1 replacement"}))
      << run.Out;
  // The other commands name files escaped too.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"scan", Dir.Path(), "esc*"},
        std::vector<std::string>{"restore", "-n", Dir / "esc\x1B[31mred.txt"}}) {
    const std::string out = RunCli(args).Out;
    EXPECT_NE(out.find(Dir / "esc\\e[31mred.txt"), std::string::npos) << out;
    EXPECT_EQ(out.find('\x1B'), std::string::npos) << out;
  }
  run = inDir({"-rw", "sub", "*.none", "h", "x"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "fendrel-cli replace: no file in sub matches *.none\n");
  run = inDir({"-w", "--log=all", "./sub/", "b.txt", "hi", "$1"});
  EXPECT_EQ(run.Out.substr(0, 50), "backup: ./sub/b.txt.1.snr_bak\n./sub/b.txt\n\\bhi\\b [")
      << run.Out;
  EXPECT_EQ(ReadFile(Dir / "sub/b.txt"), "say $1");
}

// A filter from standard input to standard output in every mode, and the files of a list, as
// "git ls-files -z" writes it.
TEST_F(CliTest, StandardInputAndListsOfFiles) {
  const std::string text = "Stra\u00DFe 1\r\nSTRASSE x1\nno match\n";
  WriteFile(Dir / "in.txt", text);
  const struct {
    std::vector<std::string> Args;
    std::string Out;
  } cases[] = {
      {{"-", "1", "2"}, "Stra\u00DFe 2\r\nSTRASSE x2\nno match\n"},
      {{"-i", "-", "strasse", "Gasse"}, "Stra\u00DFe 1\r\nGasse x1\nno match\n"},
      {{"-e", "-", "x(\\d)", "$1$1"}, "Stra\u00DFe 1\r\nSTRASSE 11\nno match\n"},
      {{"-w", "-", "1", "one"}, "Stra\u00DFe one\r\nSTRASSE x1\nno match\n"},
      {{"--hex", "-", "0D0A", "0A"}, "Stra\u00DFe 1\nSTRASSE x1\nno match\n"},
      {{"--multi-line", "-", "x1\nno", "-"}, "Stra\u00DFe 1\r\nSTRASSE - match\n"},
      {{"-", "absent", "y"}, text},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-c", "exec \"$@\" < \"$0\"", Dir / "in.txt", FENDREL_CLI,
                                     "replace"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const TRun run = RunProgram("sh", args);
    EXPECT_EQ(run.Status, 0) << c.Args[0];
    EXPECT_EQ(run.Out, c.Out) << c.Args[0];
  }
  // The same bytes as another filter gives for a plain replacement, where one is installed.
  if (RunProgram("sh", {"-c", "command -v sd"}).Status == 0) {
    EXPECT_EQ(RunProgram("sh", {"-c", "exec \"$@\" < \"$0\"", Dir / "in.txt", FENDREL_CLI,
                                "replace", "-", "1", "two"})
                  .Out,
              RunProgram("sh", {"-c", "exec sd -s 1 two < \"$0\"", Dir / "in.txt"}).Out);
  }

  // A list from git, relative to the folder it is run in; empty entries pass.
  WriteFile(Dir / "list", std::string("a.txt\0\0sub/b.txt\0", 17));
  const TRun listed = RunProgram("sh", {"-c", "cd \"$0\" && exec \"$@\"", Dir.Path(), "env",
                                        "XDG_CONFIG_HOME=" + Dir / "config", FENDREL_CLI, "replace",
                                        "-i0", "--files-from=list", "hello", "hi"});
  EXPECT_EQ(listed.Status, 0) << listed.Out;
  EXPECT_EQ(listed.Out, "./a.txt: 2 replacements\n./sub/b.txt: 1 replacement\n");
  EXPECT_EQ(ReadFile(Dir / "a.txt"), "hi hi");
  EXPECT_EQ(ReadFile(Dir / "c.txt"), "nothing");
  if (RunProgram("sh", {"-c", "command -v git"}).Status == 0) {
    const TRun fromGit = RunProgram(
        "sh", {"-c",
               "cd \"$0\" && git init -q && git add a.txt sub/b.txt && git ls-files -z | "
               "env XDG_CONFIG_HOME=config \"$1\" replace -0 --files-from - hi yo",
               Dir.Path(), FENDREL_CLI});
    EXPECT_EQ(fromGit.Status, 0) << fromGit.Out;
    EXPECT_EQ(ReadFile(Dir / "sub/b.txt"), "say yo");
  }
  EXPECT_EQ(RunCli({"replace", "-0", Dir.Path(), "*", "a", "b"}).Status, 2);
  EXPECT_EQ(RunCli({"replace", "-r", "-", "a", "b"}).Status, 2);
}

// At a terminal: the summary, colour in the difference listing (unless NO_COLOR asks for none);
// through a pipe neither.
TEST_F(CliTest, TerminalGetsSummaryAndColourPipesNot) {
  const auto atTerminal = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"XDG_CONFIG_HOME=" + Dir / "config", FENDREL_CLI, "replace"});
    return test::RunInTerminal("env", args).Out;
  };
  const std::string dry = atTerminal({"-rin", Dir.Path(), "*.txt", "hello", "hi"});
  EXPECT_NE(dry.find("\r\n2 files would change, 3 replacements, 0."), std::string::npos) << dry;
  EXPECT_NE(dry.find(Dir / "a.txt: 2 replacements\r\n"), std::string::npos) << dry;
  const std::string run = atTerminal({"-r", Dir.Path(), "*.dat", "hello", "hi"});
  EXPECT_EQ(run.substr(0, run.find(',')), Dir / "d.dat: 1 replacement\r\n1 file changed") << run;
  EXPECT_NE(atTerminal({"-n", "--diff", Dir.Path(), "a.txt", "Hello", "Hi"})
                .find("\x1B[36m@@ -1,1 +1,1 @@\x1B[0m\r\n\x1B[31m-Hello hello\x1B[0m\r\n"),
            std::string::npos);
  EXPECT_EQ(
      atTerminal({"-n", "--diff", "--color=never", Dir.Path(), "a.txt", "H", "J"}).find('\x1B'),
      std::string::npos);
  const std::string noColour =
      test::RunInTerminal("env", {"NO_COLOR=1", FENDREL_CLI, "replace", "-n", "--diff", Dir.Path(),
                                  "a.txt", "H", "J"})
          .Out;
  EXPECT_EQ(noColour.find('\x1B'), std::string::npos) << noColour;
  const TRun piped = RunCli({"replace", "-n", "--diff", Dir.Path(), "a.txt", "H", "J"});
  EXPECT_EQ(piped.Out.find('\x1B'), std::string::npos);
  EXPECT_EQ(RunCli({"replace", "-n", Dir.Path(), "a.txt", "H", "J"}).Out,
            Dir / "a.txt: 1 replacement\n");
}

// A file's modification time as seconds since the epoch.
time_t ModificationTime(const std::string& file) {
  struct stat st;
  return ::stat(file.c_str(), &st) == 0 ? st.st_mtime : -1;
}

TEST_F(CliTest, HexMultiLineNoBackupKeptTimesAndLogModes) {
  WriteFile(Dir / "m.txt", "x\r\ny|x\ny|x\ry");
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  for (const char* file : {"m.txt", "c.txt"})
    ASSERT_EQ(utimensat(AT_FDCWD, (Dir / file).c_str(), old, 0), 0);
  const TRun run = RunCli({"replace", "--multi-line", "--hex", "--no-backup", "--keep-mtime",
                           "--log=replaced", Dir.Path(), "m.txt", "78 0A 79", "2D"});
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_EQ(ReadFile(Dir / "m.txt"), "-|-|-");
  EXPECT_EQ(ModificationTime(Dir / "m.txt"), 1000000000) << "kept through all three rewrites";
  EXPECT_FALSE(Exists(Dir / "m.txt.0.snr_bak"));
  EXPECT_EQ(run.Out.find("backup:"), std::string::npos);
  // Three tasks, each finding its own line break once.
  EXPECT_EQ(run.Out, Dir / "m.txt\nx..y [780D0A79] --> - [2D] :\n1 replacements\n\n" +
                         Dir / "m.txt\nx.y [780A79] --> - [2D] :\n1 replacements\n\n" +
                         Dir / "m.txt\nx.y [780D79] --> - [2D] :\n1 replacements\n\n");

  const TRun quiet = RunCli({"replace", "--log=none", Dir.Path(), "c.txt", "nothing", "all"});
  EXPECT_EQ(quiet.Status, 0);
  EXPECT_EQ(quiet.Out, "") << "no file is reported, not even its backup";
  EXPECT_TRUE(Exists(Dir / "c.txt.0.snr_bak"));
  EXPECT_GT(ModificationTime(Dir / "c.txt"), 1000000000) << "new unless asked to keep it";
  EXPECT_EQ(ModificationTime(Dir / "c.txt.0.snr_bak"), 1000000000) << "the backup's own";
}

TEST_F(CliTest, RegularExpressionModeUsesTemplates) {
  WriteFile(Dir / "k.cfg", "key=value\nname=x\x01y=z");
  const TRun run = RunCli({"replace", "-e", "--no-backup", "--log=none", Dir.Path(), "k.cfg",
                           "(\\w+)=(\\w+)", "$2=$1"});
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_EQ(ReadFile(Dir / "k.cfg"), "value=key\nx=name\x01z=y");
  EXPECT_EQ(RunCli({"replace", "-e", Dir.Path(), "k.cfg", "a(", "b"}).Status, 2);
  // -i is "(?i)", -w "\b" on both sides; both also with a literal search.
  const struct {
    std::vector<std::string> Options;
    std::string Old, New, Content, Want;
  } cases[] = {
      {{"-ei"}, "(K)EY", "$1", "key KEY", "k K"},
      {{"-e", "-w"}, "a|ab", "x", "ab a cab", "x x cab"},
      {{"-ew"}, "(a)(b)", "$2${1}$&", "ab cab", "baab cab"},
      {{"-iw"}, "A.B", "$1\\", "a.b xa.b A.B", "$1\\ xa.b $1\\"},
      {{"-w"}, "+", "-", "a + b", "a + b"},  // no word letter: never between two \b
  };
  for (const auto& c : cases) {
    WriteFile(Dir / "w.txt", c.Content);
    std::vector<std::string> args = {"replace", "--no-backup", "--log=none"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.insert(args.end(), {Dir.Path(), "w.txt", c.Old, c.New});
    EXPECT_EQ(RunCli(args).Status, 0) << c.Old;
    EXPECT_EQ(ReadFile(Dir / "w.txt"), c.Want) << c.Old;
  }
  EXPECT_EQ(RunCli({"replace", "-w", "--hex", Dir.Path(), "k.cfg", "61", "62"}).Status, 2);
}

TEST_F(CliTest, MatchAndSubstituteShowWhatThePatternDoes) {
  EXPECT_EQ(RunCli({"match", "(\\w+)=(\\w+)", "ab=cd"}).Out,
            "match 1 1 5\ngroup 1 1 2\ngroup 2 4 2\nmatches 1\n");
  WriteFile(Dir / "subject", std::string("x x\0x", 5));
  EXPECT_EQ(RunCli({"match", "--count", "x", "--subject-file", Dir / "subject"}).Out,
            "matches 2\n");
  EXPECT_EQ(RunCli({"substitute", "--modifiers=i", "B", "abc", "[$0]"}).Out,
            "replacements 1\na[b]c\n");
  const TRun bad = RunCli({"match", "a(", "x"});
  EXPECT_EQ(bad.Status, 1);
  EXPECT_EQ(bad.Out, "error 103 TRegExpr(comp): ParseReg Unmatched () (pos 2)\n");
}

TEST_F(CliTest, FailedTaskGivesExitStatusOneAndItsReason) {
  WriteFile(Dir / "empty.txt", "");
  const TRun run = RunCli({"replace", Dir.Path(), "empty.txt", "a", "b"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out,
            "fendrel-cli: " + Dir / "empty.txt: the file is empty\n" + Dir / "empty.txt: FAILED\n");
  // A quiet run still tells why.
  EXPECT_EQ(RunCli({"replace", "--quiet", Dir.Path(), "empty.txt", "a", "b"}).Out,
            "fendrel-cli: " + Dir / "empty.txt: the file is empty\n");
}

// A listed link fails unless links are followed, and then leads only inside DIR; an interrupted
// rewrite in place is recovered by the next run, and by recover.
TEST_F(CliTest, LinksAndRecovery) {
  const TTempDir outside;
  WriteFile(outside / "secret.txt", "hello");
  ASSERT_EQ(symlink((outside / "secret.txt").c_str(), (Dir / "evil.txt").c_str()), 0);
  ASSERT_EQ(symlink("a.txt", (Dir / "near.txt").c_str()), 0);
  TRun run = RunCli({"replace", "--log=replaced", Dir.Path(), "*.txt", "hello", "bye"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("fendrel-cli: " + Dir / "evil.txt: is a symbolic link\n"),
            std::string::npos);
  EXPECT_NE(run.Out.find("fendrel-cli: " + Dir / "near.txt: is a symbolic link\n"),
            std::string::npos);
  run = RunCli({"replace", "--follow-links", "--log=replaced", Dir.Path(), "*.txt", "Hello", "Hi"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find(Dir / "evil.txt: is a symbolic link that leads outside the folder\n"),
            std::string::npos);
  EXPECT_EQ(ReadFile(outside / "secret.txt"), "hello");
  EXPECT_EQ(ReadFile(Dir / "a.txt"), "Hi bye");

  EXPECT_EQ(RunCli({"recover", Dir.Path()}).Out, "nothing to recover\n");
  // What a run killed in the middle of writing a.txt in place leaves: its record and its copy.
  WriteFile(Dir / "snr4.tmp", "Hi bye");
  WriteFile(Dir / "a.txt", "Hi bHELLO");
  const int folder = open(Dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  const int copy = open((Dir / "snr4.tmp").c_str(), O_RDONLY);
  struct stat st;
  ASSERT_EQ(stat((Dir / "a.txt").c_str(), &st), 0);
  TInPlaceIntent intent{"a.txt", "snr4.tmp", false, "", st, 6, 0, 9, 0};
  ASSERT_TRUE(ContentSum(copy, 6, intent.OldSum));
  ASSERT_FALSE(WriteIntentRecord(folder, intent).empty());
  close(copy);
  close(folder);
  const std::string undone = Dir /
                             "a.txt: an interrupted rewrite was undone: the file has its "
                             "previous content back\n";
  run = RunCli({"recover", Dir.Path()});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, undone);
  EXPECT_EQ(ReadFile(Dir / "a.txt"), "Hi bye");
  EXPECT_EQ(test::ListNames(Dir.Path()),
            (std::vector<std::string>{"a.txt", "a.txt.0.snr_bak", "a.txt.1.snr_bak", "c.txt",
                                      "d.dat", "evil.txt", "near.txt", "sub"}));
}

TEST_F(CliTest, UsageErrorsGiveExitStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"replace", Dir.Path(), "*"},
      {"replace", "--log=some", Dir.Path(), "*", "a", "b"},
      {"replace", "--bogus", Dir.Path(), "*", "a", "b"},
      {"replace", Dir.Path(), "*", "", "b"},
      {"replace", "--hex", Dir.Path(), "*", std::string(2050, 'a'), "b"},
      {"replace", "--hex", Dir.Path(), "*", "zz", "b"},
  };
  for (const auto& args : cases) {
    const TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 2) << run.Out;
    EXPECT_NE(run.Out.find("fendrel-cli"), std::string::npos) << run.Out;
  }
  EXPECT_EQ(ReadFile(Dir / "a.txt"), "Hello hello");
}

TEST_F(CliTest, ScanListsSubdirectoriesFirstAndDashEndsOptions) {
  const TRun scan = RunCli({"scan", "-r", Dir.Path(), "*.txt"});
  EXPECT_EQ(scan.Status, 0);
  EXPECT_EQ(scan.Out.find(Dir / "sub/b.txt"), 0u) << scan.Out;

  WriteFile(Dir / "opt.txt", "a -r b");
  const TRun run = RunCli({"replace", "--no-backup", Dir.Path(), "opt.txt", "--", "-r", "-x"});
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_EQ(ReadFile(Dir / "opt.txt"), "a -x b");
}

TEST_F(CliTest, ExcludedNamesAreLeftOutOfScanAndReplace) {
  test::MakeDir(Dir / ".git");
  test::MakeDir(Dir / "sub/.hg");
  WriteFile(Dir / ".git/e.txt", "hello");
  WriteFile(Dir / "sub/.hg/f.txt", "hello");
  const struct {
    std::vector<std::string> Options;
    std::string Listed;
  } cases[] = {
      // The version-control folders are left out unless asked for; --exclude-vcs says so.
      {{}, "sub/b.txt a.txt c.txt"},
      {{"--exclude-vcs"}, "sub/b.txt a.txt c.txt"},
      {{"--include-vcs"}, "sub/.hg/f.txt sub/b.txt .git/e.txt a.txt c.txt"},
      // Repeated, and in both forms: each value counts.
      {{"--exclude=sub", "--exclude", "A.*", "--include-vcs"}, ".git/e.txt c.txt"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"scan", "-r"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.insert(args.end(), {Dir.Path(), "*.txt"});
    const TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 0) << run.Out;
    std::set<std::string> listed, expected;
    for (std::size_t pos = 0, end; (end = run.Out.find('\n', pos)) != std::string::npos;
         pos = end + 1)
      listed.insert(run.Out.substr(pos, end - pos));
    std::istringstream names(c.Listed);
    for (std::string name; names >> name;)
      expected.insert(Dir / name);
    EXPECT_EQ(listed, expected) << c.Listed;
  }

  const TRun run = RunCli({"replace", "-r", "-i", "--exclude-vcs", "--exclude=a.txt", "--log=none",
                           Dir.Path(), "*.txt", "hello", "bye"});
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_EQ(ReadFile(Dir / "sub/b.txt"), "say bye");
  for (const char* untouched : {".git/e.txt", "sub/.hg/f.txt"})
    EXPECT_EQ(ReadFile(Dir / untouched), "hello") << untouched;
  EXPECT_EQ(ReadFile(Dir / "a.txt"), "Hello hello");
}

// A folder the user may not read is named, escaped, on standard error and fails the command; a
// replace still changes what was listed. Root reads every folder, so as root the commands run as
// the unprivileged user.
TEST_F(CliTest, UnreadableFolderIsToldAndFailsTheCommand) {
  const std::string locked = Dir / "lo\tcked";
  test::MakeDir(locked);
  WriteFile(locked + "/x.txt", "hello");
  for (const std::string& folder : {Dir.Path(), Dir / "sub"})
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
  for (const char* file : {"a.txt", "sub/b.txt", "c.txt"})
    ASSERT_EQ(chmod((Dir / file).c_str(), 0666), 0);
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  const auto run = [&](std::vector<std::string> args) {
    if (geteuid() != 0) return RunCli(args);
    std::vector<std::string> command = {"--reuid=65534", "--regid=65534", "--clear-groups", "env",
                                        FENDREL_CLI};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram("setpriv", command);
  };
  const std::string told =
      "fendrel-cli: " + Dir.Path() + "/lo\\tcked: cannot read the folder: Permission denied\n";
  const struct {
    std::vector<std::string> Args;
    int Status;
    bool Told;
    const char* A;  // a.txt afterwards
  } cases[] = {
      {{"scan", "-r", Dir.Path(), "*.txt"}, 1, true, "Hello hello"},
      {{"scan", Dir.Path(), "*.txt"}, 0, false, "Hello hello"},  // not entered, not read
      {{"replace", "-n", "-r", Dir.Path(), "*.txt", "hello", "bye"}, 1, true, "Hello hello"},
      {{"replace", "-r", "--no-backup", Dir.Path(), "*.txt", "hello", "bye"}, 1, true, "Hello bye"},
  };
  for (const auto& c : cases) {
    const TRun result = run(c.Args);
    const std::string name = ::testing::PrintToString(c.Args);
    EXPECT_EQ(result.Status, c.Status) << name << result.Out;
    EXPECT_EQ(result.Out.find(told) != std::string::npos, c.Told) << name << result.Out;
    if (c.Args[0] == "scan") {  // the rest is still listed
      EXPECT_NE(result.Out.find(Dir / "c.txt"), std::string::npos) << name << result.Out;
    }
    EXPECT_EQ(ReadFile(Dir / "a.txt"), c.A) << name;
  }
  chmod(locked.c_str(), 0755);
}

std::set<std::string> Lines(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.insert(line);
  return lines;
}

// The run that used to break checkouts: every file of a git work tree, from inside it, with the
// branch's name in .git/HEAD. The repository stays whole and only the work tree's tracked files
// change (beside their backups); what .gitignore leaves out stays as it was.
TEST(CliGit, ReplaceEverywhereInACheckoutLeavesTheRepositoryWhole) {
  if (!test::GitInstalled()) GTEST_SKIP() << "git is not installed";
  const TTempDir repo;
  const auto git = [&repo](const std::vector<std::string>& args) {
    return test::RunGit(repo.Path(), args);
  };
  ASSERT_EQ(git({"-c", "init.defaultBranch=master", "init", "-q"}).Status, 0);
  test::MakeDir(repo / "src");
  test::MakeDir(repo / "build");
  WriteFile(repo / "README", "on master\n");
  WriteFile(repo / "src/deploy.sh", "git push origin master\n");
  WriteFile(repo / ".gitignore", "build/\n*.log\n");
  WriteFile(repo / "build/out.txt", "master\n");
  WriteFile(repo / "run.log", "master\n");
  ASSERT_EQ(git({"add", "-A"}).Status, 0);
  ASSERT_EQ(git({"commit", "-q", "-m", "first"}).Status, 0);
  ASSERT_EQ(ReadFile(repo / ".git/HEAD"), "ref: refs/heads/master\n");

  // Asked to, a dry run reaches the repository's records and the ignored files.
  const TRun withVcs = test::RunCliIn(
      repo.Path(), {"replace", "-n", "-r", "--include-vcs", ".", "*", "master", "trunk"});
  EXPECT_NE(withVcs.Out.find("/.git/HEAD: "), std::string::npos) << withVcs.Out;
  const TRun withIgnored = test::RunCliIn(
      repo.Path(), {"replace", "-n", "-r", "--no-ignore", ".", "*", "master", "trunk"});
  for (const char* ignored : {"/build/out.txt: ", "/run.log: "})
    EXPECT_NE(withIgnored.Out.find(ignored), std::string::npos) << withIgnored.Out;
  EXPECT_EQ(withIgnored.Out.find("/.git/"), std::string::npos) << withIgnored.Out;

  const TRun run = test::RunCliIn(repo.Path(), {"replace", "-r", ".", "*", "master", "trunk"});
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_EQ(ReadFile(repo / ".git/HEAD"), "ref: refs/heads/master\n");
  const TRun fsck = git({"fsck", "--strict", "--no-progress"});
  EXPECT_EQ(fsck.Status, 0) << fsck.Out;
  EXPECT_EQ(git({"rev-parse", "--abbrev-ref", "HEAD"}).Out, "master\n");
  const TRun status = git({"status", "--porcelain", "--untracked-files=all"});
  EXPECT_EQ(Lines(status.Out),
            (std::set<std::string>{" M README", " M src/deploy.sh", "?? README.0.snr_bak",
                                   "?? src/deploy.sh.0.snr_bak"}))
      << status.Out;
  EXPECT_EQ(ReadFile(repo / "src/deploy.sh"), "git push origin trunk\n");
  EXPECT_EQ(ReadFile(repo / "build/out.txt"), "master\n");
  EXPECT_EQ(ReadFile(repo / "run.log"), "master\n");
}

}  // namespace
}  // namespace fendrel

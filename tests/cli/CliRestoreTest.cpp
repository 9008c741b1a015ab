// fendrel-cli restore: the newest backup back in place, the replaced content kept as a new
// backup, and the exit status telling whether every file came back.
#include <gtest/gtest.h>

#include <regex>

#include "RunCli.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ListNames;
using test::ReadFile;
using test::RunCli;
using test::TRun;
using test::TTempDir;
using test::WriteFile;

TEST(CliRestore, PutsBackTheNewestBackupAndKeepsWhatItReplaces) {
  TTempDir dir;
  const std::string file = dir / "a.txt";
  WriteFile(file, "one");
  ASSERT_EQ(RunCli({"replace", "--log=none", dir.Path(), "a.txt", "one", "two"}).Status, 0);

  const TRun dry = RunCli({"restore", "--dry-run", file});
  EXPECT_EQ(dry.Status, 0);
  EXPECT_EQ(dry.Out, file + "\na.txt.0.snr_bak --> a.txt :\nrestored\n\n");
  EXPECT_EQ(ListNames(dir.Path()), (std::vector<std::string>{"a.txt", "a.txt.0.snr_bak"}));
  EXPECT_EQ(ReadFile(file), "two");

  const TRun run = RunCli({"restore", file});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "backup: " + file + ".1.snr_bak\n" + file +
                         "\na.txt.0.snr_bak --> a.txt :\nrestored\n\n");
  EXPECT_EQ(ReadFile(file), "one");
  EXPECT_EQ(ReadFile(file + ".1.snr_bak"), "two");
  // The newest backup is now the replaced content: a second restore undoes the first.
  EXPECT_EQ(RunCli({"restore", file}).Status, 0);
  EXPECT_EQ(ReadFile(file), "two");
  EXPECT_EQ(ReadFile(file + ".2.snr_bak"), "one");
}

TEST(CliRestore, OutcomesAndExitStatus) {
  TTempDir dir;
  WriteFile(dir / "same.txt", "x");
  WriteFile(dir / "same.txt.0.snr_bak", "x");
  WriteFile(dir / "gone.txt.3.snr_bak", "back");
  WriteFile(dir / "none.txt", "x");
  const struct {
    std::vector<std::string> Args;
    int Status;
    std::string Out;
  } cases[] = {
      {{"same.txt"}, 0, "same.txt\nsame.txt.0.snr_bak --> same.txt :\nunchanged\n\n"},
      {{"gone.txt"}, 0, "gone.txt\ngone.txt.3.snr_bak --> gone.txt :\nrestored\n\n"},
      {{"none.txt"},
       1,
       "fendrel-cli: none.txt: no backup to restore\nnone.txt\nno backup --> none.txt :\n"
       "FAILED\n\n"},
      {{"--exclude=n*", "none.txt"}, 0, ""},
      {{}, 2, "fendrel-cli restore: expected at least one PATH\n"},
      {{"-r", "."}, 2, "fendrel-cli restore: with -r, expected DIR and MASK, got 1 arguments\n"},
  };
  for (const auto& c : cases) {
    // Relative paths, as typed in the folder.
    std::vector<std::string> args = {"-c",
                                     "cd \"$0\" && exec \"$@\"",
                                     dir.Path(),
                                     "env",
                                     "XDG_CONFIG_HOME=" + test::CliConfigFolder().Path(),
                                     FENDREL_CLI,
                                     "restore"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const TRun run = test::RunProgram("sh", args);
    EXPECT_EQ(run.Status, c.Status) << run.Out;
    EXPECT_EQ(run.Out.substr(0, c.Out.size()), c.Out);
  }
  EXPECT_EQ(ReadFile(dir / "gone.txt"), "back");
  EXPECT_EQ(ListNames(dir.Path()),
            (std::vector<std::string>{"gone.txt", "gone.txt.3.snr_bak", "none.txt", "same.txt",
                                      "same.txt.0.snr_bak"}));
}

TEST(CliRestore, BelowADirectoryEveryMatchingFileThatHasABackup) {
  TTempDir dir;
  for (const char* folder : {"sub", ".git"})
    test::MakeDir(dir / folder);
  for (const auto& [name, content] :
       std::initializer_list<std::pair<const char*, const char*>>{{"a.txt", "now"},
                                                                  {"a.txt.0.snr_bak", "old"},
                                                                  {"sub/b.txt", "now"},
                                                                  {"sub/b.txt.9.snr_bak", "older"},
                                                                  {"sub/b.txt.10.snr_bak", "old"},
                                                                  {".git/c.txt", "now"},
                                                                  {".git/c.txt.0.snr_bak", "old"},
                                                                  {"d.dat", "now"},
                                                                  {"d.dat.0.snr_bak", "old"},
                                                                  {"gone.txt.0.snr_bak", "old"},
                                                                  {"plain.txt", "now"}})
    WriteFile(dir / name, content);

  const TRun run = RunCli({"restore", "-r", "--exclude-vcs", "--exclude=A.*", dir.Path(), "*.txt"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "backup: " + dir / "sub/b.txt.0.snr_bak\n" + dir / "sub/b.txt\n" +
                         "b.txt.10.snr_bak --> b.txt :\nrestored\n\n");
  EXPECT_EQ(ReadFile(dir / "sub/b.txt"), "old");
  for (const char* untouched : {"a.txt", ".git/c.txt", "d.dat", "plain.txt"})
    EXPECT_EQ(ReadFile(dir / untouched), "now") << untouched;
  // A file removed since its backup was made stays removed unless it is named.
  EXPECT_FALSE(Exists(dir / "gone.txt"));
}

// A restore never writes through a link: neither a file nor a backup that is one.
TEST(CliRestore, NeverThroughALink) {
  TTempDir dir, outside;
  WriteFile(outside / "passwd", "root:x:0:0\n");
  WriteFile(dir / "cfg.txt.3.snr_bak", "root::0:0:OWNED\n");
  ASSERT_EQ(symlink((outside / "passwd").c_str(), (dir / "cfg.txt").c_str()), 0);
  WriteFile(dir / "b.txt", "now");
  ASSERT_EQ(symlink((outside / "passwd").c_str(), (dir / "b.txt.0.snr_bak").c_str()), 0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"restore", "-r", dir.Path(), "*.txt"},
        std::vector<std::string>{"restore", dir / "cfg.txt", dir / "b.txt"}}) {
    const TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Out.find("fendrel-cli: " + dir / "cfg.txt: is a symbolic link\n"),
              std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find("fendrel-cli: " + dir / "b.txt: the backup is a symbolic link\n"),
              std::string::npos)
        << run.Out;
  }
  EXPECT_EQ(ReadFile(outside / "passwd"), "root:x:0:0\n");
  EXPECT_EQ(ReadFile(dir / "b.txt"), "now");
  EXPECT_EQ(ListNames(outside.Path()), std::vector<std::string>{"passwd"});
}

// Runs are recorded in the journal and undone whole, newest first or by number; the undoing is a
// run in turn.
TEST(CliRestore, UndoesAWholeRunAndTheUndoingToo) {
  TTempDir dir, config;
  const auto cli = [&](std::vector<std::string> args) { return RunCli(args, config.Path()); };
  WriteFile(dir / "a.txt", "one");
  WriteFile(dir / "b.txt", "one one");
  ASSERT_EQ(cli({"replace", "--log=none", dir.Path(), "*.txt", "one", "two"}).Status, 0);
  ASSERT_EQ(cli({"replace", "--log=none", dir.Path(), "a.txt", "two", "six"}).Status, 0);
  ASSERT_EQ(cli({"replace", "--log=none", "--no-backup", dir.Path(), "b.txt", "two", "ten"}).Status,
            0);
  const TRun listed = cli({"restore", "--list-runs"});
  EXPECT_EQ(listed.Status, 0);
  // Newest first; a run without backups cannot be undone and is not listed.
  const std::string runs = "2  [-0-9]+ [:0-9]+  1 file  replace in " + dir.Path() +
                           ": a.txt: two .* --> six .*\n"
                           "1  [-0-9]+ [:0-9]+  2 files  replace in .*: \\*.txt: one .*\n";
  EXPECT_TRUE(std::regex_match(listed.Out, std::regex(runs))) << listed.Out;

  const struct {
    std::vector<std::string> Args;
    int Status;
    std::string A, B;  // the files' content after it
  } steps[] = {
      {{"--run=last", "-n"}, 0, "six", "ten ten"},
      {{"--run=last"}, 0, "two", "ten ten"},  // run 2
      {{"--run=1"}, 0, "one", "one one"},     // the file changed since is put back all the same
      {{"--run=last"}, 0, "two", "ten ten"},  // undoes run 4, the undoing of run 1
      {{"--run=99"}, 1, "two", "ten ten"},
      {{"--run=x"}, 2, "two", "ten ten"},
      {{"--run=1", "a.txt"}, 2, "two", "ten ten"},
      {{"--run=1", "--list-runs"}, 2, "two", "ten ten"},
  };
  for (const auto& step : steps) {
    std::vector<std::string> args = {"restore"};
    args.insert(args.end(), step.Args.begin(), step.Args.end());
    const TRun run = cli(args);
    EXPECT_EQ(run.Status, step.Status) << testing::PrintToString(step.Args) << run.Out;
    EXPECT_EQ(ReadFile(dir / "a.txt"), step.A) << testing::PrintToString(step.Args);
    EXPECT_EQ(ReadFile(dir / "b.txt"), step.B) << testing::PrintToString(step.Args);
  }
  EXPECT_EQ(cli({"restore", "--run=last"}).Out.find("fendrel-cli restore: no run"),
            std::string::npos);
  TTempDir fresh;
  EXPECT_EQ(RunCli({"restore", "--run=last"}, fresh.Path()).Out,
            "fendrel-cli restore: no run to undo is recorded; 'fendrel-cli restore --list-runs' "
            "lists them\n");
}

}  // namespace
}  // namespace fendrel

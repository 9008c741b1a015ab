// fendrel-cli refuses what it cannot do as asked, with a message, before it touches a file.
#include <gtest/gtest.h>

#include "RunCli.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::RunCli;
using test::TRun;
using test::TTempDir;
using test::WriteFile;

class CliArgumentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeDir(Dir / "sub");
    WriteFile(Dir / "a.txt", "abc");
    WriteFile(Dir / "sub/b.txt", "abc");
  }

  // Runs `args` and expects a usage error whose first line is `message`, and no file changed.
  void ExpectRefused(const std::vector<std::string>& args, const std::string& message) {
    const TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 2) << run.Out;
    EXPECT_EQ(run.Out.substr(0, run.Out.find('\n')), message);
    EXPECT_EQ(ReadFile(Dir / "a.txt"), "abc");
    EXPECT_EQ(ReadFile(Dir / "sub/b.txt"), "abc");
    EXPECT_FALSE(Exists(Dir / "a.txt.0.snr_bak"));
  }

  TTempDir Dir;
};

TEST_F(CliArgumentsTest, DirectoryAndMaskMustNameWhatIsThere) {
  const std::string missing = Dir / "missing";
  const std::string file = Dir / "a.txt";
  for (const std::string command : {"replace", "scan"}) {
    auto args = [&](const std::string& dir, const std::string& mask) {
      std::vector<std::string> all = {command, "-r", dir, mask};
      if (command == "replace") all.insert(all.end(), {"abc", "x"});
      return all;
    };
    const std::string prefix = "fendrel-cli " + command + ": ";
    ExpectRefused(args(missing, "*"),
                  prefix + "cannot open directory " + missing + ": No such file or directory");
    ExpectRefused(args(file, "*"), prefix + file + " is not a directory");
    ExpectRefused(args(Dir.Path(), "sub/*.txt"),
                  prefix + "MASK is a file-name pattern and holds no '/': sub/*.txt");
    // An exclusion that could never match a name would leave the run unfiltered; of two
    // options that contradict each other neither may silently win.
    const struct {
      std::vector<std::string> Options;
      std::string Message;
    } refusals[] = {
        {{"--exclude="}, "--exclude needs a name pattern"},
        {{"--exclude=sub/b.txt"}, "--exclude matches names and holds no '/': sub/b.txt"},
        {{"--exclude-vcs", "--include-vcs"}, "--exclude-vcs and --include-vcs exclude each other"},
    };
    for (const auto& refusal : refusals) {
      auto withOptions = args(Dir.Path(), "*");
      withOptions.insert(withOptions.begin() + 1, refusal.Options.begin(), refusal.Options.end());
      ExpectRefused(withOptions, prefix + refusal.Message);
    }
  }
}

TEST_F(CliArgumentsTest, InvalidPatternFailsOnceBeforeTheRun) {
  const std::string message =
      "fendrel-cli replace: error 103: unmatched parenthesis at position 2";
  ExpectRefused({"replace", "-e", "-r", Dir.Path(), "*.txt", "a(", "x"}, message);
  // Without a file to search the pattern is still checked.
  ExpectRefused({"replace", "-e", Dir.Path(), "*.none", "a(", "x"}, message);
  // Every joined form of a multi-line pattern is checked.
  ExpectRefused({"replace", "-e", "--multi-line", Dir.Path(), "*.txt", "a\n(", "x"},
                "fendrel-cli replace: error 103: unmatched parenthesis at position 4");
  // Only a pattern that compiles gets to the listing, which here finds nothing.
  EXPECT_EQ(RunCli({"replace", "-e", Dir.Path(), "*.none", "a(b)", "x"}).Status, 1);
}

TEST_F(CliArgumentsTest, HexStringsMustBeWholeBytes) {
  const std::string prefix = "fendrel-cli replace: --hex: ";
  const std::string dir = Dir.Path();
  ExpectRefused({"replace", "--hex", dir, "*.txt", "616", "78"},
                prefix + "OLD has an odd number of hexadecimal digits (3)");
  ExpectRefused({"replace", "--hex", dir, "*.txt", "61", "7 8 7"},
                prefix + "NEW has an odd number of hexadecimal digits (3)");
  ExpectRefused({"replace", "--hex", dir, "*.txt", "zz", "78"},
                prefix + "OLD holds 'z' at position 1, which is not a hexadecimal digit");
  ExpectRefused({"replace", "--hex", dir, "*.txt", "0x61", "78"},
                prefix + "OLD holds 'x' at position 2, which is not a hexadecimal digit");
  ExpectRefused({"replace", "--hex", dir, "*.txt", "61", "7\xC3\xA4"},
                prefix + "NEW holds byte 0xC3 at position 2, which is not a hexadecimal digit");
  ExpectRefused({"replace", "--hex", dir, "*.txt", "  ", "78"},
                "fendrel-cli replace: OLD must not be empty");
  // Blanks and line breaks may separate the digits; NEW may be empty.
  const TRun run =
      RunCli({"replace", "--hex", "--no-backup", "--log=none", dir, "a.txt", "6 1\t62\n63", ""});
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_EQ(ReadFile(Dir / "a.txt"), "");
}

// Options as users of other tools give them: grouped, with a value after a blank, and a hint
// where the shell seems to have expanded MASK.
TEST_F(CliArgumentsTest, OptionsAsOtherToolsTakeThem) {
  ExpectRefused({"replace", "--log", Dir.Path(), "a.txt", "abc", "x"},
                "fendrel-cli replace: expected 4 arguments, got 3");
  ExpectRefused({"replace", "--log", "every", Dir.Path(), "a.txt", "abc", "x"},
                "fendrel-cli replace: --log must be none, replaced or all");
  ExpectRefused({"replace", "-rx", Dir.Path(), "a.txt", "abc", "x"},
                "fendrel-cli replace: unknown option -rx");
  ExpectRefused({"replace", "--color=pink", Dir.Path(), "a.txt", "abc", "x"},
                "fendrel-cli replace: --color must be auto, always or never");
  // What "replace -n DIR *.txt abc x" becomes where the shell expands *.txt.
  ExpectRefused({"replace", "-n", Dir.Path(), Dir / "a.txt", Dir / "sub/b.txt", "abc", "x"},
                "fendrel-cli replace: expected 4 arguments, got 5; the shell may have put file "
                "names in MASK's place: quote it, as in '*.txt'");
  const TRun run = RunCli({"replace", "-rn", "--log", "replaced", Dir.Path(), "*.txt", "b", "x"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Out.find(Dir / "sub/b.txt\nb [62] --> x [78] :\n1 replacements\n"),
            std::string::npos)
      << run.Out;
  // Other options keep taking their value from the next argument.
  WriteFile(Dir / "subject", "ab");
  EXPECT_EQ(RunCli({"match", "--subject-file", Dir / "subject", "b"}).Out,
            "match 1 2 1\nmatches 1\n");
}

TEST_F(CliArgumentsTest, LogNoneReportsNothingPerFile) {
  const TRun run = RunCli({"replace", "-r", "--log=none", Dir.Path(), "*.txt", "b", "x"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(ReadFile(Dir / "a.txt"), "axc");
  EXPECT_TRUE(Exists(Dir / "a.txt.0.snr_bak"));
}

TEST_F(CliArgumentsTest, DoubleDashLetsEveryCommandTakeArgumentsBeginningWithDash) {
  WriteFile(Dir / "-x.txt", "-x");
  const struct {
    std::vector<std::string> Args;
    std::string Out;
  } cases[] = {
      {{"match", "--", "-x", "a-x"}, "match 1 2 2\nmatches 1\n"},
      {{"replace", "--no-backup", "--log=none", Dir.Path(), "--", "-x.txt", "-x", "-y"}, ""},
  };
  for (const auto& c : cases) {
    const TRun run = RunCli(c.Args);
    EXPECT_EQ(run.Status, 0) << c.Args[0] << ": " << run.Out;
    EXPECT_EQ(run.Out, c.Out) << c.Args[0];
  }
  EXPECT_EQ(ReadFile(Dir / "-x.txt"), "-y");
  const std::string help = RunCli({"--help"}).Out;
  EXPECT_NE(help.find("fendrel-cli match -- -x"), std::string::npos) << help;
}

}  // namespace
}  // namespace fendrel

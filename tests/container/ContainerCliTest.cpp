// fendrel-cli checksum and container as a user runs them: output lines and exit status.
#include <gtest/gtest.h>

#include <cstdio>

#include "container/ContainerFormat.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::RunProgram;
using test::TRun;
using test::TTempDir;
using test::WriteFile;

TRun RunCli(const std::vector<std::string>& args) {
  return RunProgram(FENDREL_CLI, args);
}

class ContainerCliTest : public ::testing::Test {
 protected:
  // "prog": the image "IMAGE", then "hello" stored as a.txt, then `extra` pointing at "hello".
  void WriteProgram(const std::vector<TContainerEntry>& extra) {
    std::string bytes = "IMAGEhello" + EncodeEntry(MakeEntry("prog", 5, 0, "0163041B")) +
                        EncodeEntry(MakeEntry("a.txt", 5, 5, "02140651"));
    for (const TContainerEntry& entry : extra)
      bytes += EncodeEntry(entry);
    WriteFile(Dir / "prog", bytes + EncodeTrailer(static_cast<uint16_t>(2 + extra.size())));
  }

  TTempDir Dir;
};

TEST_F(ContainerCliTest, ChecksumPrintsEightDigits) {
  WriteFile(Dir / "abc", "abc");
  EXPECT_EQ(RunCli({"checksum", Dir / "abc"}).Out, "0126024E\n");
  const TRun missing = RunCli({"checksum", Dir / "missing"});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Out, "fendrel-cli checksum: cannot read " + Dir / "missing" + "\n");
}

TEST_F(ContainerCliTest, ListShowsEveryEntryOnItsOwnLine) {
  WriteProgram({MakeEntry("bad\nname", 5, 5, "02140651"), MakeEntry("far", 5, 99, "02140651")});
  const TRun run = RunCli({"container", "list", Dir / "prog"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out,
            "0 prog 0 5 0163041B\n"
            "1 a.txt 5 5 02140651\n"
            "2 bad.name 5 5 02140651\n"
            "3 far 99 5 02140651 damaged\n");

  WriteFile(Dir / "plain", "no container here");
  EXPECT_EQ(RunCli({"container", "list", Dir / "plain"}).Out, "");
}

TEST_F(ContainerCliTest, ExtractReportsEachFileAndFailsWhenOneDoes) {
  WriteProgram(
      {MakeEntry("wrong.txt", 5, 5, "0000FFFF"), MakeEntry("../up.txt", 5, 5, "02140651")});
  test::MakeDir(Dir / "out");
  const TRun run = RunCli({"container", "extract", Dir / "prog", Dir / "out"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "ok a.txt\nmismatch wrong.txt\nfailed ../up.txt\n");
  EXPECT_EQ(ReadFile(Dir / "out/a.txt"), "hello");
  EXPECT_EQ(ReadFile(Dir / "out/wrong.txt"), "hello");  // a mismatch stays written

  WriteProgram({});
  const TRun good = RunCli({"container", "extract", Dir / "prog", Dir / "out/"});
  EXPECT_EQ(good.Status, 0);
  EXPECT_EQ(good.Out, "ok a.txt\n");
}

TEST_F(ContainerCliTest, DamagedUnreadableAndUsage) {
  WriteFile(Dir / "damaged", "abc" + EncodeTrailer(3));
  const TRun damaged = RunCli({"container", "list", Dir / "damaged"});
  EXPECT_EQ(damaged.Status, 1);
  EXPECT_NE(damaged.Out.find("damaged"), std::string::npos) << damaged.Out;
  EXPECT_EQ(RunCli({"container", "extract", Dir / "missing", Dir.Path()}).Status, 1);

  const std::vector<std::vector<std::string>> usage = {
      {"checksum"},
      {"checksum", "a", "b"},
      {"container"},
      {"container", "list"},
      {"container", "list", "a", "b"},
      {"container", "extract", Dir / "prog"},
      {"container", "unpack", Dir / "prog"},
      {"container", "--bogus", "list", Dir / "prog"},
  };
  for (const auto& args : usage) {
    const TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 2) << run.Out;
    EXPECT_NE(run.Out.find("fendrel-cli"), std::string::npos) << run.Out;
  }
}

}  // namespace
}  // namespace fendrel

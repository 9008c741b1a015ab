// fendrel-cli replace --quiet and --json: what a script reads of a run.
#include <gtest/gtest.h>

#include "RunCli.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::RunCli;
using test::TRun;
using test::TTempDir;
using test::WriteFile;

TEST(CliJson, OneObjectPerTaskWithEscapedPath) {
  const struct {
    std::string Name;     // in the directory
    std::string Content;  // "" makes the task fail
    std::vector<std::string> Options;
    std::string Json;  // with PATH for the directory; a failure's reason text is left open
  } cases[] = {
      {"a.txt", "x x", {}, R"({"path":"PATH/a.txt","count":2,"backup":"PATH/a.txt.0.snr_bak"})"},
      {"b.txt", "y", {}, R"({"path":"PATH/b.txt","count":0})"},
      {"c.txt", "x", {"--no-backup"}, R"({"path":"PATH/c.txt","count":1})"},
      {"d.txt", "", {}, R"({"path":"PATH/d.txt","reason":")"},
      {"q\"b\\s\x01.txt", "x", {"--no-backup"}, R"({"path":"PATH/q\"b\\s\u0001.txt","count":1})"},
      {"\xC3\xA4\xFF.txt",
       "x",
       {"--no-backup"},
       R"({"path":"PATH/)"
       "\xC3\xA4"
       R"(\udcff.txt","count":1})"},
  };
  for (const auto& c : cases) {
    TTempDir dir;
    WriteFile(dir / c.Name, c.Content);
    std::vector<std::string> args = {"replace", "--json"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.insert(args.end(), {dir.Path(), "*.txt", "x", "z"});
    const TRun run = RunCli(args);
    std::string want = c.Json + "\n";
    for (std::size_t at = 0; (at = want.find("PATH", at)) != std::string::npos;
         at += dir.Path().size())
      want.replace(at, 4, dir.Path());
    if (c.Content.empty()) {
      // The reason is the worker's text when it gives one, "failed" otherwise.
      EXPECT_EQ(run.Out.substr(0, want.size() - 1), want.substr(0, want.size() - 1)) << run.Out;
      EXPECT_TRUE(run.Out.ends_with("\"}\n")) << run.Out;
      EXPECT_EQ(run.Status, 1);
    } else {
      EXPECT_EQ(run.Out, want) << c.Name;
      EXPECT_EQ(run.Status, 0) << c.Name;
    }
  }
}

TEST(CliJson, LogModeChoosesTheTasksAndQuietPrintsNothing) {
  TTempDir dir;
  WriteFile(dir / "hit.txt", "x");
  WriteFile(dir / "miss.txt", "y");
  const struct {
    std::vector<std::string> Options;
    std::string Out;
  } cases[] = {
      {{"--json", "--log=replaced"},
       R"({"path":"PATH/hit.txt","count":1})"
       "\n"},
      {{"--json", "--log=none"}, ""},
      {{"--quiet"}, ""},
  };
  for (const auto& c : cases) {
    WriteFile(dir / "hit.txt", "x");
    std::vector<std::string> args = {"replace", "--no-backup"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.insert(args.end(), {dir.Path(), "*.txt", "x", "z"});
    const TRun run = RunCli(args);
    std::string want = c.Out;
    if (const auto at = want.find("PATH"); at != std::string::npos) want.replace(at, 4, dir.Path());
    EXPECT_EQ(run.Out, want) << c.Options[0];
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(ReadFile(dir / "hit.txt"), "z");
  }
  // The exit status still tells a quiet run's failure, and standard error why.
  WriteFile(dir / "empty.txt", "");
  const TRun failed = RunCli({"replace", "--quiet", dir.Path(), "empty.txt", "x", "z"});
  EXPECT_EQ(failed.Status, 1);
  EXPECT_EQ(failed.Out, "fendrel-cli: " + dir / "empty.txt: the file is empty\n");
  EXPECT_EQ(RunCli({"replace", "--quiet", "--json", dir.Path(), "*", "x", "z"}).Status, 2);
}

}  // namespace
}  // namespace fendrel

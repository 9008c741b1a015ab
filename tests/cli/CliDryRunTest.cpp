// replace --dry-run and --diff against a real run over a copy of the same tree: the same result
// lines, not a byte or a time stamp changed, and a listing that patch turns into the run's bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "RunCli.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::RunCli;
using test::RunProgram;
using test::TRun;
using test::TTempDir;
using test::WriteFile;

const std::pair<const char*, std::string> kTree[] = {
    {"a.txt", "Hello hello\nkey=value\n2\n3\n4\n5\n6\n7\nhello end"},
    {"sub/b.txt", "say HELLO\r\nhello\r\nname=x\r\n"},
    {"c.txt", "nothing"},
    {"m.txt", "x\r\ny|x\ny|x\ry\nhello\n"},
    {"bin.dat", std::string("he\0llo hello x\ny", 16)},
};

// Every entry below `dir` (folders too: a temporary file made and removed changes its folder's
// time) with its content and modification time.
std::map<std::string, std::pair<std::string, int64_t>> Snapshot(const std::string& dir) {
  std::map<std::string, std::pair<std::string, int64_t>> shot;
  const auto take = [&](const std::string& path, bool file) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0);
    shot[path.substr(dir.size())] = {file ? ReadFile(path) : "",
                                     st.st_mtim.tv_sec * 1'000'000'000 + st.st_mtim.tv_nsec};
  };
  take(dir, false);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
    take(entry.path(), entry.is_regular_file());
  return shot;
}

// The files below `dir` whose access time is not `seconds`; with `set`, every file's access time
// becomes `seconds` first (its modification time stays).
std::vector<std::string> AccessedSince(const std::string& dir, int64_t seconds, bool set) {
  std::vector<std::string> accessed;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    const timespec times[2] = {{seconds, 0}, {0, UTIME_OMIT}};
    if (set) {
      EXPECT_EQ(utimensat(AT_FDCWD, entry.path().c_str(), times, 0), 0);
    }
    struct stat st {};
    EXPECT_EQ(stat(entry.path().c_str(), &st), 0);
    if (st.st_atim.tv_sec != seconds) accessed.push_back(entry.path());
  }
  return accessed;
}

// UTF-16 files, whose listing `patch` cannot apply: their lines are their decoded text.
const std::pair<const char*, std::string> kUtf16Tree[] = {
    {"le.txt", test::Utf16File("Hello hello\nkey=value\n", false)},
    {"sub/be.txt", test::Utf16File("Straße\r\nhello\r\nx\r\ny\r\n", true)},
};

void MakeTree(const std::string& dir, bool utf16 = false) {
  test::MakeDir(dir);
  test::MakeDir(dir + "/sub");
  for (const auto& [name, content] : kTree)
    WriteFile(dir + "/" + name, content);
  for (const auto& [name, content] : kUtf16Tree)
    if (utf16) WriteFile(dir + "/" + name, content);
  // Times in the past, so a rewrite within the same clock tick still shows.
  const timespec past[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
  for (const char* entry :
       {"a.txt", "sub/b.txt", "c.txt", "m.txt", "bin.dat", "le.txt", "sub/be.txt", "sub", "."})
    utimensat(AT_FDCWD, (dir + "/" + entry).c_str(), past, AT_SYMLINK_NOFOLLOW);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

struct TMode {
  const char* Name;
  std::vector<std::string> Options;
  std::string From, To;
};

const TMode kModes[] = {
    {"literal", {}, "hello", "bye"},
    {"ignore case", {"-i"}, "hello", "bye"},
    {"hex", {"--hex"}, "68 65 6C", "0D 0A"},
    {"multi-line", {"--multi-line"}, "x\ny", "-\n"},
    {"regex", {"-e"}, R"((\w+)=(\w+))", "$2=$1"},
};

std::vector<std::string> Args(const TMode& mode, std::vector<std::string> front,
                              const std::string& dir) {
  front.insert(front.begin(), {"replace", "-r"});
  front.insert(front.end(), mode.Options.begin(), mode.Options.end());
  front.insert(front.end(), {"--", dir, "*.*", mode.From, mode.To});
  return front;
}

TEST(CliDryRun, WritesNothingAndReportsWhatTheRunDoes) {
  for (const TMode& mode : kModes) {
    TTempDir root;
    const std::string dry = root / "dry";
    const std::string real = root / "real";
    MakeTree(dry, true);
    MakeTree(real, true);
    const auto before = Snapshot(dry);
    // Reading would set the access time of a file last read this long ago.
    constexpr int64_t kLongAgo = 1'000'000'000;
    ASSERT_TRUE(AccessedSince(dry, kLongAgo, true).empty());
    const TRun dryRun = RunCli(Args(mode, {"--dry-run"}, dry));
    EXPECT_EQ(AccessedSince(dry, kLongAgo, false), std::vector<std::string>()) << mode.Name;
    EXPECT_EQ(Snapshot(dry), before) << mode.Name;
    const TRun run = RunCli(Args(mode, {"--no-backup"}, real));
    EXPECT_EQ(dryRun.Status, run.Status) << mode.Name;
    EXPECT_EQ(ReplaceAll(dryRun.Out, dry, real), run.Out) << mode.Name;
    EXPECT_NE(run.Out.find(": 1 replacement\n"), std::string::npos) << mode.Name << run.Out;
  }
}

TEST(CliDryRun, JsonAndQuietAsForTheRun) {
  TTempDir root;
  MakeTree(root / "dry");
  MakeTree(root / "real");
  const TRun json = RunCli(Args(kModes[1], {"-n", "--json"}, root / "dry"));
  const TRun run = RunCli(Args(kModes[1], {"--json", "--no-backup"}, root / "real"));
  EXPECT_EQ(ReplaceAll(json.Out, root / "dry", root / "real"), run.Out);
  const TRun quiet = RunCli(Args(kModes[1], {"-n", "--quiet"}, root / "dry"));
  EXPECT_EQ(quiet.Status, 0);
  EXPECT_EQ(quiet.Out, "");
}

TEST(CliDryRun, PatchMakesOfTheListingWhatTheRunWrites) {
  for (const TMode& mode : kModes) {
    TTempDir root;
    for (const char* dir : {"dry", "real", "patched"})
      MakeTree(root / dir);
    const auto before = Snapshot(root / "dry");
    const TRun diff = RunCli(Args(mode, {"-n", "--diff"}, root / "dry"));
    EXPECT_EQ(diff.Status, 0) << mode.Name << diff.Out;
    EXPECT_EQ(Snapshot(root / "dry"), before) << mode.Name;
    ASSERT_EQ(RunCli(Args(mode, {"--no-backup", "--log=none"}, root / "real")).Status, 0);
    WriteFile(root / "listing", diff.Out);
    const TRun patch =
        RunProgram("patch", {"-p1", "-s", "-d", root / "patched", "-i", root / "listing"});
    EXPECT_EQ(patch.Status, 0) << mode.Name << "\n" << patch.Out << diff.Out;
    for (const auto& [name, content] : kTree) {
      const std::string path = std::string("/") + name;
      const bool changed = ReadFile(root / "real" + path) != content;
      if (std::string(name) == "bin.dat") {
        // No listing for a binary file: it is named, and patch leaves it alone.
        EXPECT_EQ(diff.Out.find("Binary file bin.dat would change") != std::string::npos, changed)
            << mode.Name << diff.Out;
        EXPECT_EQ(ReadFile(root / "patched" + path), content) << mode.Name;
      } else {
        EXPECT_EQ(ReadFile(root / "patched" + path), ReadFile(root / "real" + path))
            << mode.Name << " " << name << "\n"
            << diff.Out;
      }
    }
  }
}

TEST(CliDryRun, ListingOfAUtf16FileIsItsTextUnderItsEncoding) {
  TTempDir root;
  MakeTree(root.Path(), true);
  const TRun diff = RunCli(Args(kModes[0], {"-n", "--diff"}, root.Path()));
  EXPECT_NE(diff.Out.find("UTF-16 LE file le.txt, shown as UTF-8:\n--- a/le.txt\n+++ b/le.txt\n"
                          "@@ -1,2 +1,2 @@\n-Hello hello\n+Hello bye\n key=value\n"),
            std::string::npos)
      << diff.Out;
  EXPECT_NE(diff.Out.find("UTF-16 BE file sub/be.txt, shown as UTF-8:\n"), std::string::npos);
}

TEST(CliDryRun, DiffOnlyAsADryRunListing) {
  TTempDir root;
  MakeTree(root.Path());
  const struct {
    std::vector<std::string> Options;
    std::string Message;
  } cases[] = {
      {{"--diff"}, "--diff only with --dry-run"},
      {{"-n", "--diff", "--json"}, "--diff takes none of --log, --quiet and --json"},
      {{"-n", "--diff", "--log=all"}, "--diff takes none of --log, --quiet and --json"},
  };
  for (const auto& c : cases) {
    const TRun run = RunCli(Args(kModes[0], c.Options, root.Path()));
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out.substr(0, run.Out.find('\n')), "fendrel-cli replace: " + c.Message);
  }
  EXPECT_EQ(ReadFile(root / "a.txt"), kTree[0].second);
}

}  // namespace
}  // namespace fendrel

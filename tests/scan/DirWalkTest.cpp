#include "scan/DirWalk.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/FileAttributes.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::MakeDir;
using test::TTempDir;
using test::WriteFile;
using TPaths = std::vector<std::string>;
using TPathSet = std::set<std::string>;

TPaths Walk(const std::string& dir, const char* mask, uint32_t filter,
            const TDirWalkFound& also = {}, const TWalkOptions& options = {}) {
  TPaths found;
  WalkDirectory(
      dir, mask, filter, true,
      [&](const std::string& path) {
        found.push_back(path);
        if (also) also(path);
      },
      options);
  return found;
}

std::string CurrentDir() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

TEST(LexicalFullPath, Table) {
  const struct {
    const char* Dir;
    const char* Cwd;
    const char* Full;
  } cases[] = {
      {"a/./b/../c", "/home/u", "/home/u/a/c"},
      {"", "/home/u", "/home/u"},
      {"//x//y///", "/home/u", "/x/y"},
      {"../../..", "/a/b", "/"},  // nothing above the root
      {"/a/link/..", "/", "/a"},  // lexical: "link" is not looked at
  };
  for (const auto& c : cases)
    EXPECT_EQ(LexicalFullPath(c.Dir, c.Cwd), c.Full) << c.Dir;
}

TEST(WalkDirectory, WhatIsListed) {
  TTempDir r;
  for (const char* file : {"a.txt", ".h.txt", "ro.txt", "other.dat"})
    WriteFile(r / file, "x");
  chmod((r / "ro.txt").c_str(), 0444);
  ASSERT_EQ(mkfifo((r / "fifo.txt").c_str(), 0644), 0);  // opening it would block the walk
  MakeDir(r / "old.txt");
  WriteFile(r / "old.txt/in.txt", "x");
  ASSERT_EQ(symlink("old.txt", (r / "lnk.txt").c_str()), 0);
  ASSERT_EQ(symlink("a.txt", (r / "ln.txt").c_str()), 0);
  ASSERT_EQ(symlink("gone", (r / "dl.txt").c_str()), 0);

  // Files: the matching directory is descended but not listed, the directory link neither.
  TPaths files = Walk(r.Path(), "*.txt", kFileScanFilter);
  ASSERT_EQ(files.size(), 5u);
  EXPECT_EQ(files[0], r / "old.txt/in.txt");
  EXPECT_EQ(TPathSet(files.begin() + 1, files.end()),
            (TPathSet{r / "a.txt", r / ".h.txt", r / "ro.txt", r / "ln.txt"}));

  // With the directory bit: matching directories only, a link to one included.
  TPaths dirs = Walk(r.Path(), "*.txt", 0x3F);
  EXPECT_EQ(TPathSet(dirs.begin(), dirs.end()), (TPathSet{r / "old.txt", r / "lnk.txt"}));
}

// Linked folders are entered only when links are followed, only inside the start folder, and
// never into a folder the walk is already in.
TEST(WalkDirectory, LinkedFoldersOnlyWhenFollowedInsideAndWithoutLoops) {
  TTempDir r, outside;
  MakeDir(r / "real");
  WriteFile(r / "real/f.txt", "x");
  WriteFile(outside / "g.txt", "x");
  ASSERT_EQ(symlink("real", (r / "in").c_str()), 0);
  ASSERT_EQ(symlink(outside.Path().c_str(), (r / "out").c_str()), 0);
  ASSERT_EQ(symlink("..", (r / "real/loop").c_str()), 0);
  for (const bool follow : {false, true}) {
    TWalkOptions options;
    options.FollowLinks = follow;
    const TPaths found = Walk(r.Path(), "*.txt", kFileScanFilter, {}, options);
    const TPathSet expected =
        follow ? TPathSet{r / "real/f.txt", r / "in/f.txt"} : TPathSet{r / "real/f.txt"};
    EXPECT_EQ(TPathSet(found.begin(), found.end()), expected) << follow;
    EXPECT_EQ(found.size(), expected.size());
  }
}

TEST(WalkDirectory, StartDirectoryAndCurrentDirectory) {
  TTempDir r;
  MakeDir(r / "S");
  MakeDir(r / "U");
  for (const char* file : {"S/b.txt", "U/c.txt", "a.txt"})
    WriteFile(r / file, "x");
  const std::string before = CurrentDir();
  ASSERT_EQ(chdir(r.Path().c_str()), 0);
  const std::string here = CurrentDir();  // the temporary directory may sit behind a link

  EXPECT_EQ(Walk("S", "*", kFileScanFilter), TPaths{here + "/S/b.txt"});
  EXPECT_TRUE(Walk("missing", "*", kFileScanFilter).empty());
  EXPECT_TRUE(Walk("a.txt", "*", kFileScanFilter).empty());

  // Moving the process elsewhere after the first hit, before the second subdirectory is entered,
  // changes neither what is found nor how it is named, and the walk does not move it back.
  TPaths found = Walk("", "*.txt", kFileScanFilter, [](const std::string&) { (void)chdir("/"); });
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(TPathSet(found.begin(), found.begin() + 2),
            (TPathSet{here + "/S/b.txt", here + "/U/c.txt"}));
  EXPECT_EQ(found[2], here + "/a.txt");
  EXPECT_EQ(CurrentDir(), "/");
  ASSERT_EQ(chdir(before.c_str()), 0);
}

TEST(WalkDirectory, DepthDoesNotUseUpDescriptors) {
  TTempDir r;
  std::string deepest = r.Path();
  for (int i = 0; i < 200; ++i)
    deepest += "/d";
  MakeDir(deepest);
  WriteFile(deepest + "/x.txt", "x");
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = 32;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  TPaths found = Walk(r.Path(), "*.txt", kFileScanFilter);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(found, TPaths{deepest + "/x.txt"});
}

TEST(WalkDirectory, TheProgramsOwnFilesAreNeverListed) {
  TTempDir r;
  for (const char* file : {"a.txt", "a.txt.0.snr_bak", "a.txt.snr_new", "a.txt.2.snr_new",
                           "snr4.tmp", "snr4.1a2b3c4d.tmp", "b.snr_bak.txt", "c.tmp"})
    WriteFile(r / file, "x");
  struct TCase {
    const char* Mask;
    TPathSet Listed;
  };
  const TCase cases[] = {
      {"*", {r / "a.txt", r / "b.snr_bak.txt", r / "c.tmp"}},
      {"*.*", {r / "a.txt", r / "b.snr_bak.txt", r / "c.tmp"}},
      {"*.snr_bak", {}},
      {"*.tmp", {r / "c.tmp"}},
      {"*snr*", {r / "b.snr_bak.txt"}},
  };
  for (const TCase& c : cases) {
    const TPaths found = Walk(r.Path(), c.Mask, kFileScanFilter);
    EXPECT_EQ(TPathSet(found.begin(), found.end()), c.Listed) << c.Mask;
  }
}

TEST(WalkDirectory, ExcludedNamesAreNeitherListedNorEntered) {
  TTempDir r;
  for (const char* dir : {".git", ".git/objects", "src", "src/.svn", "src/build", "build"})
    MakeDir(r / dir);
  for (const char* file : {"a.txt", "b.o", ".git/config", ".git/objects/c.txt", "src/d.txt",
                           "src/.svn/e.txt", "src/build/f.txt", "build/g.txt", "src/Build.txt"})
    WriteFile(r / file, "x");
  struct TCase {
    std::vector<std::string> Excluded;
    TPathSet Listed;
  };
  const TPathSet all = {r / "a.txt",           r / "b.o",
                        r / ".git/config",     r / ".git/objects/c.txt",
                        r / "src/d.txt",       r / "src/.svn/e.txt",
                        r / "src/build/f.txt", r / "build/g.txt",
                        r / "src/Build.txt"};
  const TCase cases[] = {
      {{}, all},
      // A path never matches a name.
      {{"src/d.txt", "*/build"}, all},
      // Folders at any depth, by name.
      {kVcsFolderNames,
       {r / "a.txt", r / "b.o", r / "src/d.txt", r / "src/build/f.txt", r / "build/g.txt",
        r / "src/Build.txt"}},
      {{"build"},
       {r / "a.txt", r / "b.o", r / ".git/config", r / ".git/objects/c.txt", r / "src/d.txt",
        r / "src/.svn/e.txt", r / "src/Build.txt"}},
      // Matched as masks are: letters in any case, '?' and '*', "*.*" also names without a dot.
      {{"*.O", "b?ild*", "a.*"},
       {r / ".git/config", r / ".git/objects/c.txt", r / "src/d.txt", r / "src/.svn/e.txt"}},
      // Several in one, as the window's box holds them.
      {{"*.O;b?ild*;a.*"},
       {r / ".git/config", r / ".git/objects/c.txt", r / "src/d.txt", r / "src/.svn/e.txt"}},
      {{".*"},
       {r / "a.txt", r / "b.o", r / "src/d.txt", r / "src/build/f.txt", r / "build/g.txt",
        r / "src/Build.txt"}},
      {{"*.*"}, {}},
  };
  for (const TCase& c : cases) {
    TWalkOptions options;
    options.Excluded = c.Excluded;
    options.IncludeVcsFolders = true;
    const TPaths found = Walk(r.Path(), "*", kFileScanFilter, {}, options);
    EXPECT_EQ(TPathSet(found.begin(), found.end()), c.Listed)
        << ::testing::PrintToString(c.Excluded);
  }
  // The start directory is walked even when its own name is excluded.
  TPaths inBuild;
  TWalkOptions options;
  options.Excluded = {"build"};
  WalkDirectory(
      r / "build", "*", kFileScanFilter, false,
      [&](const std::string& path) { inBuild.push_back(path); }, options);
  EXPECT_EQ(inBuild, TPaths{r / "build/g.txt"});

  // What can never match a name is refused, by every front end alike.
  const std::pair<const char*, TExcludeFault> globs[] = {
      {"build", TExcludeFault::None},    {"*.min.js;node_modules", TExcludeFault::None},
      {"", TExcludeFault::Empty},        {"src/build", TExcludeFault::HoldsSlash},
      {"*/", TExcludeFault::HoldsSlash},
  };
  for (const auto& [glob, fault] : globs)
    EXPECT_EQ(ExcludeGlobFault(glob), fault) << glob;
}

// A run over a repository's own records could break it: those folders (and a submodule's .git
// file) are left out at any depth unless asked for; names that merely resemble them are not.
TEST(WalkDirectory, VersionControlFoldersOnlyWhenIncluded) {
  TTempDir r;
  const TPathSet records = {r / ".git/HEAD",   r / ".hg/store",     r / "sub/.svn/entries",
                            r / ".bzr/branch", r / "_darcs/format", r / "deep/er/CVS/Root",
                            r / "sub/mod/.git"};
  const TPathSet others = {r / "a.txt", r / "sub/b.txt", r / "gitlike/c.txt", r / ".github/ci.yml",
                           r / "sub/mod/d.txt"};
  for (const TPathSet* files : {&records, &others}) {
    for (const std::string& file : *files) {
      MakeDir(file.substr(0, file.rfind('/')));
      WriteFile(file, "x");
    }
  }
  TPathSet all = others;
  all.insert(records.begin(), records.end());
  for (const bool include : {false, true}) {
    TWalkOptions options;
    options.IncludeVcsFolders = include;
    const TPaths found = Walk(r.Path(), "*", kFileScanFilter, {}, options);
    EXPECT_EQ(TPathSet(found.begin(), found.end()), include ? all : others) << include;
  }
  // The start is walked whatever its name.
  EXPECT_EQ(Walk(r / ".git", "*", kFileScanFilter), TPaths{r / ".git/HEAD"});
}

// A folder that cannot be read is left out, the walk goes on, and the folder is told: running
// as root, a mode cannot refuse a folder, so the walk's hook fails the open instead.
TEST(WalkDirectory, UnreadableFoldersAreToldAndSkipped) {
  TTempDir r;
  for (const char* dir : {"S", "S/T", "U", "build"})
    MakeDir(r / dir);
  for (const char* file : {"a.txt", "S/b.txt", "S/T/c.txt", "U/d.txt", "build/e.txt"})
    WriteFile(r / file, "x");
  struct TCase {
    const char* Name;
    std::map<std::string, int> Fails;  // folder below r ("" for r) -> errno of its open
    bool Recursive;
    TPathSet Listed;  // below r
    std::map<std::string, int> Told;
    std::vector<std::string> Excluded = {};
  };
  const TCase cases[] = {
      {"nothing fails", {}, true, {"a.txt", "S/b.txt", "S/T/c.txt", "U/d.txt", "build/e.txt"}, {}},
      {"a subfolder and all below it",
       {{"S", EACCES}},
       true,
       {"a.txt", "U/d.txt", "build/e.txt"},
       {{"S", EACCES}}},
      {"two, one deeper",
       {{"S/T", EACCES}, {"U", EIO}},
       true,
       {"a.txt", "S/b.txt", "build/e.txt"},
       {{"S/T", EACCES}, {"U", EIO}}},
      // Gone since its parent was read: nothing to read, nothing to tell.
      {"vanished", {{"U", ENOENT}}, true, {"a.txt", "S/b.txt", "S/T/c.txt", "build/e.txt"}, {}},
      {"the start", {{"", EACCES}}, true, {}, {{"", EACCES}}},
      // Folders the walk does not enter are not read.
      {"not recursive", {{"S", EACCES}}, false, {"a.txt"}, {}},
      {"excluded",
       {{"build", EACCES}},
       true,
       {"a.txt", "S/b.txt", "S/T/c.txt", "U/d.txt"},
       {},
       {"build"}},
  };
  for (const TCase& c : cases) {
    WalkHooks().OpenError = [&](const std::string& path) {
      const auto fails = c.Fails.find(path == r.Path() ? "" : path.substr(r.Path().size() + 1));
      return fails == c.Fails.end() ? 0 : fails->second;
    };
    TPathSet listed;
    std::map<std::string, int> told;
    TWalkOptions options;
    options.Excluded = c.Excluded;
    options.Unreadable = [&](const std::string& path, int error) {
      EXPECT_TRUE(
          told.emplace(path == r.Path() ? "" : path.substr(r.Path().size() + 1), error).second)
          << path;
    };
    WalkDirectory(
        r.Path(), "*.txt", kFileScanFilter, c.Recursive,
        [&](const std::string& path) { listed.insert(path.substr(r.Path().size() + 1)); }, options);
    WalkHooks().OpenError = nullptr;
    EXPECT_EQ(listed, c.Listed) << c.Name;
    EXPECT_EQ(told, c.Told) << c.Name;
  }
}

TEST(WalkDirectory, FilesBeyondThePathLimitAreListed) {
  TTempDir r;
  const std::string deep = test::MakeDeepFolder(r.Path(), PATH_MAX + 500);
  test::WriteDeepFile(deep, r.Path(), "deep.txt", "x");
  WriteFile(r / "top.txt", "x");
  EXPECT_EQ(Walk(r.Path(), "*.txt", kFileScanFilter), (TPaths{deep + "/deep.txt", r / "top.txt"}));
}

}  // namespace
}  // namespace fendrel

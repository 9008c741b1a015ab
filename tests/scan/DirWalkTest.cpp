#include "scan/DirWalk.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::vector<std::string> Walk(const std::string& dir, const std::string& mask, uint32_t filter,
                              bool recursive, const TDirWalkFound& also = {}) {
  std::vector<std::string> found;
  WalkDirectory(dir, mask, filter, recursive, [&](const std::string& path) {
    found.push_back(path);
    if (also) also(path);
  });
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
      {"sub/", "/", "/sub"},
      {"/x/y///", "/home/u", "/x/y"},
      {"//x//y", "/home/u", "/x/y"},
      {"/", "/home/u", "/"},
      {"..", "/", "/"},  // nothing above the root
      {"../../..", "/a/b", "/"},
      {"../c", "/a/b", "/a/c"},
      {"/a/link/..", "/", "/a"},  // lexical: "link" is not looked at
  };
  for (const auto& c : cases)
    EXPECT_EQ(LexicalFullPath(c.Dir, c.Cwd), c.Full) << c.Dir;
}

TEST(WalkDirectory, WhatIsListed) {
  TTempDir r;
  WriteFile(r / "a.txt", "x");
  WriteFile(r / ".h.txt", "x");
  WriteFile(r / "ro.txt", "x");
  chmod((r / "ro.txt").c_str(), 0444);
  WriteFile(r / "other.dat", "x");
  ASSERT_EQ(mkfifo((r / "fifo.txt").c_str(), 0644), 0);  // opening it would block the walk
  MakeDir(r / "old.txt");
  WriteFile(r / "old.txt/in.txt", "x");
  ASSERT_EQ(symlink("old.txt", (r / "lnk.txt").c_str()), 0);
  ASSERT_EQ(symlink("a.txt", (r / "ln.txt").c_str()), 0);
  ASSERT_EQ(symlink("gone", (r / "dl.txt").c_str()), 0);

  // Files: the matching directory is descended but not listed, the directory link neither.
  std::vector<std::string> files = Walk(r.Path(), "*.txt", kFileScanFilter, true);
  ASSERT_EQ(files.size(), 5u);
  EXPECT_EQ(files[0], r / "old.txt/in.txt");
  EXPECT_EQ(std::set<std::string>(files.begin() + 1, files.end()),
            (std::set<std::string>{r / "a.txt", r / ".h.txt", r / "ro.txt", r / "ln.txt"}));

  // With the directory bit only matching directories, a link to one included.
  std::vector<std::string> dirs = Walk(r.Path(), "*.txt", 0x3F, true);
  EXPECT_EQ(std::set<std::string>(dirs.begin(), dirs.end()),
            (std::set<std::string>{r / "old.txt", r / "lnk.txt"}));
}

TEST(WalkDirectory, StartDirectoryForms) {
  TTempDir r;
  MakeDir(r / "S");
  WriteFile(r / "S/b.txt", "x");
  MakeDir(r / "U");
  WriteFile(r / "U/c.txt", "x");
  WriteFile(r / "a.txt", "x");
  const std::string before = CurrentDir();
  ASSERT_EQ(chdir(r.Path().c_str()), 0);
  const std::string here = CurrentDir();  // the temporary directory may sit behind a link

  EXPECT_EQ(Walk("", "*.txt", kFileScanFilter, false), std::vector<std::string>{here + "/a.txt"});
  EXPECT_EQ(Walk("./S/../S/", "*.txt", kFileScanFilter, false),
            std::vector<std::string>{here + "/S/b.txt"});
  EXPECT_TRUE(Walk("missing", "*", kFileScanFilter, true).empty());
  EXPECT_TRUE(Walk("a.txt", "*", kFileScanFilter, true).empty());

  // The walk keeps its own position: moving the process elsewhere after the first hit (before
  // the second subdirectory is entered) changes neither what is found nor how it is named, and
  // the walk does not move it back.
  std::vector<std::string> found =
      Walk("S/..", "*.txt", kFileScanFilter, true, [](const std::string&) { (void)chdir("/"); });
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(std::set<std::string>(found.begin(), found.begin() + 2),
            (std::set<std::string>{here + "/S/b.txt", here + "/U/c.txt"}));
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
  std::vector<std::string> found = Walk(r.Path(), "*.txt", kFileScanFilter, true);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(found, std::vector<std::string>{deepest + "/x.txt"});
}

}  // namespace
}  // namespace fendrel

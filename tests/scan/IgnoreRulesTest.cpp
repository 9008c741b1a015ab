// The walk with a work tree's ignore files honoured: which files apply where and which wins,
// on small trees. The trees git can judge are also put to `git ls-files --others
// --exclude-standard` in a real repository, which must list exactly what the walk lists.
#include "scan/IgnoreRules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileAttributes.h"
#include "scan/DirWalk.h"
#include "support/RunGit.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::TTempDir;
using TListing = std::set<std::string>;

struct TScenario {
  const char* Name;
  std::vector<std::pair<std::string, std::string>> IgnoreFiles;  // path, content
  const char* Files;   // blank-separated; a path ending in '/' is a folder
  const char* Start;   // below the root
  const char* Listed;  // blank-separated paths below the root; the ignore files count too
};

TListing Words(const char* text) {
  TListing words;
  std::istringstream in(text);
  for (std::string word; in >> word;)
    words.insert(word);
  return words;
}

// Writes the scenario's tree below `root`, folders made on the way; every file it lists but the
// repository's own.
TListing WriteTree(const TTempDir& root, const TScenario& s) {
  TListing files = Words(s.Files);
  for (const auto& [path, content] : s.IgnoreFiles) {
    files.insert(path);
    if (path.find('/') != std::string::npos) test::MakeDir(root / path.substr(0, path.rfind('/')));
    test::WriteFile(root / path, content);
  }
  for (const std::string& path : Words(s.Files)) {
    test::MakeDir(root / path.substr(0, path.rfind('/') + 1));
    if (!path.ends_with('/')) test::WriteFile(root / path, "");
  }
  std::erase_if(files, [](const std::string& path) {
    return path.ends_with('/') || path.starts_with(".git/") || path.find("/.git/") != path.npos;
  });
  return files;
}

TListing WalkBelow(const TTempDir& root, const std::string& start, bool honour) {
  TWalkOptions options;
  options.HonourIgnoreFiles = honour;
  TListing listed;
  WalkDirectory(
      start.empty() ? root.Path() : root / start, "*", kFileScanFilter, true,
      [&](const std::string& path) { listed.insert(path.substr(root.Path().size() + 1)); },
      options);
  return listed;
}

// Work trees of .gitignore files at several levels and .git/info/exclude, which git judges too.
const TScenario kGitScenarios[] = {
    {"later lines and deeper files win; folder patterns; anchoring",
     {{".gitignore", "*.log\n!keep.log\nbuild/\n/top.txt\n"}, {"sub/.gitignore", "!*.log\n"}},
     "a.log keep.log b.txt top.txt sub/top.txt build/x.txt sub/build/y.txt src/build sub/c.log "
     "sub/deep/d.log",
     "",
     ".gitignore keep.log b.txt sub/top.txt src/build sub/.gitignore sub/c.log sub/deep/d.log"},
    {"nothing below an ignored folder comes back; below one whose entries are ignored it can",
     {{".gitignore", "logs/\n!logs/keep.txt\nout/*\n!out/keep/\n"}},
     "logs/keep.txt logs/x.txt out/b.txt out/keep/a.txt",
     "",
     ".gitignore out/keep/a.txt"},
    {"** as leading, trailing and middle segment",
     {{".gitignore", "**/gen\nlib/**\na/**/z.txt\n**/tmp/*.o\n"}},
     "gen/f.txt x/y/gen/f.txt lib/f.txt lib/d/f.txt liba/f.txt a/z.txt a/b/c/z.txt b/a/z.txt "
     "tmp/x.o q/tmp/y.o q/tmp/sub/z.o q/tmp/w.c",
     "",
     ".gitignore liba/f.txt b/a/z.txt q/tmp/sub/z.o q/tmp/w.c"},
    {"info/exclude is the weakest; a subfolder's patterns are tied to it",
     {{".git/info/exclude", "*.bak\n/root-only\n"},
      {".gitignore", "!keep.bak\n"},
      {"sub/.gitignore", "/only.txt\nx/y.txt\n"}},
     "x.bak keep.bak sub/y.bak root-only sub/root-only only.txt sub/only.txt sub/d/only.txt "
     "sub/x/y.txt sub/d/x/y.txt",
     "",
     ".gitignore keep.bak sub/.gitignore sub/root-only only.txt sub/d/only.txt sub/d/x/y.txt"},
    {"escapes, classes and comments in a file with CR LF line ends",
     {{".gitignore", "\\#lit\r\n\\!bang\r\ntrail   \r\n[a-c].txt\r\n#comment.txt\r\n"}},
     "#lit !bang trail a.txt d.txt #comment.txt",
     "",
     ".gitignore d.txt #comment.txt"},
};

TEST(IgnoreRules, WorkTreeFiles) {
  for (const TScenario& s : kGitScenarios) {
    TTempDir root;
    test::MakeDir(root / ".git");
    const TListing all = WriteTree(root, s);
    EXPECT_EQ(WalkBelow(root, s.Start, true), Words(s.Listed)) << s.Name;
    EXPECT_EQ(WalkBelow(root, s.Start, false), all) << s.Name << ": not asked to honour them";
  }
}

TEST(IgnoreRules, WorkTreeFilesAgreeWithGit) {
  if (!test::GitInstalled()) GTEST_SKIP() << "git is not installed";
  for (const TScenario& s : kGitScenarios) {
    TTempDir root;
    ASSERT_EQ(test::RunGit(root.Path(), {"init", "-q"}).Status, 0);
    WriteTree(root, s);
    const test::TRun git =
        test::RunGit(root.Path(), {"ls-files", "--others", "--exclude-standard", "-z"});
    ASSERT_EQ(git.Status, 0) << git.Out;
    const std::vector<std::string> records = test::SplitNul(git.Out);
    EXPECT_EQ(TListing(records.begin(), records.end()), Words(s.Listed)) << s.Name;
    EXPECT_EQ(WalkBelow(root, s.Start, true), Words(s.Listed)) << s.Name;
  }
}

// What git knows nothing of (.ignore files, trees outside a work tree) and where the walk
// starts.
TEST(IgnoreRules, WhichFilesApplyWhere) {
  const TScenario cases[] = {
      {".ignore over .gitignore in one folder; a deeper file over either",
       {{".gitignore", "*.txt\n"},
        {".ignore", "!keep.txt\nx.dat\n"},
        {"sub/.gitignore", "!*.txt\n!x.dat\n"},
        {"sub/.ignore", "drop.txt\n"}},
       ".git/ a.txt keep.txt x.dat sub/b.txt sub/drop.txt sub/x.dat",
       "",
       ".gitignore .ignore keep.txt sub/.gitignore sub/.ignore sub/b.txt sub/x.dat"},
      {"outside a work tree only .ignore files count, until a folder holds .git",
       {{".gitignore", "*.txt\n"},
        {".ignore", "*.dat\n"},
        {"sub/.ignore", "!c.dat\n"},
        {"inner/.gitignore", "*.md\n"}},
       "a.txt b.dat sub/c.dat sub/d.dat inner/.git/ inner/e.md inner/f.txt",
       "",
       ".gitignore .ignore a.txt sub/.ignore sub/c.dat inner/.gitignore inner/f.txt"},
      {"a folder holding .git is a work tree of its own, with its own info/exclude",
       {{".gitignore", "*.txt\n"},
        {"inner/.git/info/exclude", "*.x\n"},
        {"inner/.gitignore", "*.md\n"}},
       ".git/ a.txt b.md c.x inner/a.txt inner/b.md inner/c.x",
       "",
       ".gitignore b.md c.x inner/.gitignore inner/a.txt"},
      {"the files between the work tree's root and the start apply",
       {{".gitignore", "*.o\n/sub/deeper/gen/\n"},
        {"sub/.gitignore", "*.tmp\n"},
        {"sub/deeper/.gitignore", "!keep.o\n"}},
       ".git/ sub/deeper/x.o sub/deeper/keep.o sub/deeper/y.tmp sub/deeper/gen/f.c "
       "sub/deeper/z.c sub/deeper/more/w.o",
       "sub/deeper",
       "sub/deeper/.gitignore sub/deeper/keep.o sub/deeper/z.c"},
      {"a start inside an ignored folder is walked",
       {{".gitignore", "build/\n*.o\n"}},
       ".git/ build/a.c build/b.o build/sub/c.c",
       "build",
       "build/a.c build/sub/c.c"},
      // A .git file is itself left out, as the version-control folders are.
      {"a .git file leads to the repository folder's info/exclude",
       {{"tree/.git", "gitdir: ../store\n"}, {"store/info/exclude", "*.x\n"}},
       "tree/a.x tree/b.c",
       "tree",
       "tree/b.c"},
      {"and a linked work tree's to the shared repository folder's",
       {{"tree/.git", "gitdir: ../store/worktrees/w\n"},
        {"store/worktrees/w/commondir", "../..\n"},
        {"store/info/exclude", "*.x\n"}},
       "tree/a.x tree/b.c",
       "tree",
       "tree/b.c"},
  };
  for (const TScenario& c : cases) {
    TTempDir root;
    WriteTree(root, c);
    EXPECT_EQ(WalkBelow(root, c.Start, true), Words(c.Listed)) << c.Name;
  }
}

// A FIFO named .gitignore would block the walk that opened it for reading; a link named so
// could make it read a file anywhere. Neither is read, as git reads neither.
TEST(IgnoreRules, OnlyRegularFilesAreRead) {
  TTempDir root, elsewhere;
  test::MakeDir(root / ".git");
  test::MakeDir(root / "linked");
  ASSERT_EQ(mkfifo((root / ".gitignore").c_str(), 0644), 0);
  test::WriteFile(elsewhere / "patterns", "*.txt\n");
  ASSERT_EQ(symlink((elsewhere / "patterns").c_str(), (root / "linked/.gitignore").c_str()), 0);
  test::WriteFile(root / "a.txt", "");
  test::WriteFile(root / "linked/b.txt", "");
  EXPECT_EQ(WalkBelow(root, "", true), (TListing{"a.txt", "linked/.gitignore", "linked/b.txt"}));
}

}  // namespace
}  // namespace fendrel

// The main window's last file selection: texts come back exactly or not at all, the boxes as
// they were.
#include "settings/LastWindow.h"

#include <gtest/gtest.h>

#include "settings/IniText.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::TTempDir;

TEST(LastWindow, PathsComeBackExactlyOrEmpty) {
  struct TCase {
    std::string Written;
    std::string Read;
    // The two boxes beside the mask, written and read back with the texts.
    bool Recursive = false;
    bool FollowLinks = false;
  };
  const TCase cases[] = {
      {"/home/a b", "/home/a b", true, false},
      {" /lead and trail/ ", " /lead and trail/ ", false, true},
      {"\"quoted\"", "\"quoted\"", true, true},
      {"'one", "'one"},
      {"/a\nb", ""},
      {std::string(kIniReadLimit, 'x'), std::string(kIniReadLimit, 'x')},
      {std::string(kIniReadLimit + 1, 'x'), ""},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    TLastWindow written;
    written.Path = c.Written;
    written.Mask = c.Written;
    written.Exclude = c.Written;
    written.Recursive = c.Recursive;
    written.FollowLinks = c.FollowLinks;
    written.IncludeVcs = c.Recursive;
    written.IgnoreFiles = c.FollowLinks;
    written.KeepModificationTime = c.Recursive;
    ASSERT_TRUE(SaveLastWindow(dir / "fendrel.ini", written));
    TLastWindow read;
    read.Path = read.Mask = read.Exclude = "before";
    read.Recursive = !c.Recursive;
    read.FollowLinks = !c.FollowLinks;
    read.IncludeVcs = !c.Recursive;
    read.IgnoreFiles = !c.FollowLinks;
    read.KeepModificationTime = !c.Recursive;
    LoadLastWindow(dir / "fendrel.ini", read);
    EXPECT_EQ(read.Path, c.Read) << c.Written;
    EXPECT_EQ(read.Mask, c.Read) << c.Written;
    EXPECT_EQ(read.Exclude, c.Read) << c.Written;
    EXPECT_EQ(read.Recursive, c.Recursive) << c.Written;
    EXPECT_EQ(read.FollowLinks, c.FollowLinks) << c.Written;
    EXPECT_EQ(read.IncludeVcs, c.Recursive) << c.Written;
    EXPECT_EQ(read.IgnoreFiles, c.FollowLinks) << c.Written;
    EXPECT_EQ(read.KeepModificationTime, c.Recursive) << c.Written;
  }

  // Settings of a version without the link box leave links unfollowed.
  test::WriteFile(dir / "fendrel.ini", "[Window]\r\nRecursive=1\r\n");
  TLastWindow older;
  LoadLastWindow(dir / "fendrel.ini", older);
  EXPECT_TRUE(older.Recursive);
  EXPECT_FALSE(older.FollowLinks);
  EXPECT_FALSE(older.IncludeVcs);
  EXPECT_FALSE(older.IgnoreFiles);
  EXPECT_FALSE(older.KeepModificationTime);
}

}  // namespace
}  // namespace fendrel

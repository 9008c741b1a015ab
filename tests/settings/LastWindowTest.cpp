// The main window's last place and file selection: texts come back exactly or not at all, and
// the rest of the settings file stays as it was.
#include "settings/LastWindow.h"

#include <gtest/gtest.h>

#include "settings/IniText.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(LastWindow, PathsComeBackExactlyOrEmpty) {
  struct TCase {
    std::string Written;
    std::string Read;
  };
  const TCase cases[] = {
      {"/home/a b", "/home/a b"},
      {" /lead and trail/ ", " /lead and trail/ "},
      {"\"quoted\"", "\"quoted\""},
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
    ASSERT_TRUE(SaveLastWindow(dir / "fendrel.ini", written));
    TLastWindow read;
    read.Path = read.Mask = "before";
    LoadLastWindow(dir / "fendrel.ini", read);
    EXPECT_EQ(read.Path, c.Read) << c.Written;
    EXPECT_EQ(read.Mask, c.Read) << c.Written;
  }
}

TEST(LastWindow, OtherSectionsAndAStoredPlacementStay) {
  TTempDir dir;
  const std::string before = "[Generel]\r\nSprache=0\r\n[Window]\r\nLeft=5\r\nTop=6\r\n";
  WriteFile(dir / "fendrel.ini", before + "Width=700\r\nHeight=500\r\n");
  TLastWindow unplaced;
  unplaced.Recursive = true;
  ASSERT_TRUE(SaveLastWindow(dir / "fendrel.ini", unplaced));
  EXPECT_EQ(ReadFile(dir / "fendrel.ini"),
            before + "Width=700\r\nHeight=500\r\nPath=\"\"\r\nMask=\"\"\r\nRecursive=1\r\n");
  TLastWindow read;
  LoadLastWindow(dir / "fendrel.ini", read);
  EXPECT_EQ(read.Left, 5);
  EXPECT_EQ(read.Height, 500);
  EXPECT_TRUE(read.Recursive);
}

}  // namespace
}  // namespace fendrel

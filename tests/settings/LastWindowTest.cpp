// The main window's last file selection: texts come back exactly or not at all.
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

}  // namespace
}  // namespace fendrel

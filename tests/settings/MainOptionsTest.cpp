// The main window's options: first-start defaults, stored values, and writing them back.
#include "settings/MainOptions.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(MainOptions, FirstStartDefaultsAreWrittenBack) {
  TTempDir dir;
  TMainOptions options;
  LoadMainOptions(dir / "fendrel.ini", options);
  EXPECT_TRUE(options.FCreateBackups);
  EXPECT_EQ(options.FLogMode, 2);
  EXPECT_TRUE(options.FShowHelpWindow);
  EXPECT_FALSE(options.FShowBackupFileList);

  ASSERT_TRUE(SaveMainOptions(dir / "fendrel.ini", options));
  EXPECT_EQ(ReadFile(dir / "fendrel.ini"),
            "[Generel]\r\nBackup=1\r\nLogging=2\r\nShowHelpWindow=1\r\nShowBackupFileList=0\r\n");
}

TEST(MainOptions, StoredValues) {
  struct TCase {
    const char* Stored;
    TMainOptions Expected;
  };
  const TCase cases[] = {
      {"Backup=yes\r\nLogging=x\r\n", {false, 2, true, false}},
      {"Backup=0\r\nLogging=1\r\nShowHelpWindow=0\r\nShowBackupFileList=1\r\n",
       {false, 1, false, true}},
      {"backup = \"1\"\r\nLOGGING=0\r\nShowHelpWindow=\r\n", {true, 0, false, false}},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    WriteFile(dir / "fendrel.ini", std::string("[Generel]\r\n") + c.Stored);
    TMainOptions options;
    LoadMainOptions(dir / "fendrel.ini", options);
    EXPECT_EQ(options.FCreateBackups, c.Expected.FCreateBackups) << c.Stored;
    EXPECT_EQ(options.FLogMode, c.Expected.FLogMode) << c.Stored;
    EXPECT_EQ(options.FShowHelpWindow, c.Expected.FShowHelpWindow) << c.Stored;
    EXPECT_EQ(options.FShowBackupFileList, c.Expected.FShowBackupFileList) << c.Stored;
  }
}

}  // namespace
}  // namespace fendrel

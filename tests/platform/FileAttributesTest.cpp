#include "platform/FileAttributes.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <utility>

#include "support/TempDir.h"

namespace fendrel {
namespace {

TEST(EntryInfo, EveryKindOfEntry) {
  test::TTempDir dir;
  for (const char* file : {"plain", ".hidden", "locked"})
    test::WriteFile(dir / file, "x");
  chmod((dir / "locked").c_str(), 0444);
  test::MakeDir(dir / "sub");
  ASSERT_EQ(symlink("sub", (dir / "dirlink").c_str()), 0);
  ASSERT_EQ(symlink("plain", (dir / ".filelink").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);

  // The superuser may write any file, so for it nothing is read-only.
  const uint32_t locked = geteuid() == 0 ? faArchive : faArchive | faReadOnly;
  std::map<std::string, std::pair<uint32_t, bool>> expected = {
      {"plain", {faArchive, false}},
      {".hidden", {faArchive | faHidden, false}},
      {"locked", {locked, false}},
      {"sub", {faDirectory, true}},
      {"dirlink", {faDirectory, false}},  // a link to a directory is never descended
      {".filelink", {faArchive | faHidden, false}},
      {"dangling", {0, false}},
      {"fifo", {0, false}},
  };
  DIR* d = opendir(dir.Path().c_str());
  while (const dirent* e = readdir(d)) {
    const auto it = expected.find(e->d_name);
    if (it == expected.end()) continue;
    // Whether the enumeration reported a type or not must not change the answer.
    for (unsigned char type : {e->d_type, static_cast<unsigned char>(DT_UNKNOWN)}) {
      const TEntryInfo info = EntryInfo(dirfd(d), e->d_name, type);
      EXPECT_EQ(std::make_pair(info.Attributes, info.Descendable), it->second)
          << e->d_name << " d_type " << int(type);
    }
    expected.erase(it);
  }
  closedir(d);
  EXPECT_TRUE(expected.empty());
}

TEST(PassesAttributeFilter, DirectoryBitSelectsTheKind) {
  EXPECT_TRUE(PassesAttributeFilter(faArchive | faReadOnly, faReadOnly));
  EXPECT_FALSE(PassesAttributeFilter(faNormal, kFileScanFilter));  // shares no bit
  EXPECT_FALSE(PassesAttributeFilter(faDirectory, kFileScanFilter));
  EXPECT_TRUE(PassesAttributeFilter(faDirectory, 0x3F));
  EXPECT_FALSE(PassesAttributeFilter(faArchive, 0x3F));
}

}  // namespace
}  // namespace fendrel

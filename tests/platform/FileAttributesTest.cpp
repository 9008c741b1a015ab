#include "platform/FileAttributes.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>

#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::MakeDir;
using test::TTempDir;
using test::WriteFile;

// The d_type the system reports for each entry of `dir`.
std::map<std::string, unsigned char> EntryTypes(const std::string& dir) {
  std::map<std::string, unsigned char> types;
  DIR* d = opendir(dir.c_str());
  while (const dirent* e = readdir(d))
    types[e->d_name] = e->d_type;
  closedir(d);
  return types;
}

TEST(EntryInfo, EveryKindOfEntry) {
  TTempDir dir;
  WriteFile(dir / "plain", "x");
  WriteFile(dir / ".hidden", "x");
  WriteFile(dir / "locked", "x");
  chmod((dir / "locked").c_str(), 0444);
  MakeDir(dir / "sub");
  ASSERT_EQ(symlink("sub", (dir / "dirlink").c_str()), 0);
  ASSERT_EQ(symlink("plain", (dir / ".filelink").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (dir / "sock").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  // The superuser may write any file, so for it nothing is read-only.
  const uint32_t locked = geteuid() == 0 ? faArchive : faArchive | faReadOnly;
  const struct {
    const char* Name;
    uint32_t Attributes;
    bool Descendable;
  } cases[] = {
      {"plain", faArchive, false},
      {".hidden", faArchive | faHidden, false},
      {"locked", locked, false},
      {"sub", faDirectory, true},
      {"dirlink", faDirectory, false},  // a link to a directory is never descended
      {".filelink", faArchive | faHidden, false},
      {"dangling", 0, false},
      {"fifo", 0, false},
      {"sock", 0, false},
  };
  const auto types = EntryTypes(dir.Path());
  const int dirFd = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  for (const auto& c : cases) {
    // Whether the enumeration reported a type or not must not change the answer.
    for (unsigned char type : {types.at(c.Name), static_cast<unsigned char>(DT_UNKNOWN)}) {
      const TEntryInfo info = EntryInfo(dirFd, c.Name, type);
      EXPECT_EQ(info.Attributes, c.Attributes) << c.Name << " d_type " << int(type);
      EXPECT_EQ(info.Descendable, c.Descendable) << c.Name << " d_type " << int(type);
    }
  }
  close(dirFd);
  close(sock);
}

TEST(PassesAttributeFilter, Table) {
  const struct {
    uint32_t Attributes;
    uint32_t Filter;
    bool Passes;
  } cases[] = {
      {faArchive, kFileScanFilter, true},
      {faArchive | faReadOnly, faReadOnly, true},
      {faHidden | faArchive, faHidden, true},
      {faNormal, kFileScanFilter, false},  // shares no bit
      {0, kFileScanFilter, false},
      {faDirectory, kFileScanFilter, false},
      {faDirectory, 0x3F, true},
      {faArchive, 0x3F, false},  // the directory bit asks for directories only
      {faDirectory, faDirectory, true},
      {faDirectory, faArchive, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PassesAttributeFilter(c.Attributes, c.Filter), c.Passes)
        << std::hex << c.Attributes << " filter " << c.Filter;
  }
}

}  // namespace
}  // namespace fendrel

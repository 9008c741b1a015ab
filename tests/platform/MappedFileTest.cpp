// Mapping a whole file: which files can be mapped, and surviving a file that shrinks while
// mapped.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/MappedFile.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::TTempDir;
using test::WriteFile;
using TOpen = TMappedFile::TOpenResult;

TEST(MappedFile, WhichFilesCanBeMapped) {
  TTempDir dir;
  WriteFile(dir / "text", "abc");
  WriteFile(dir / "empty", "");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  struct TCase {
    std::string Path;
    TOpen Result;
  };
  const TCase cases[] = {
      {dir / "text", TOpen::Ok},
      {dir / "missing", TOpen::Missing},
      {dir / "empty", TOpen::CannotMap},
      {dir / "fifo", TOpen::CannotMap},  // must not block waiting for a writer
      {dir.Path(), TOpen::CannotMap},
  };
  for (const TCase& c : cases) {
    TMappedFile file;
    EXPECT_EQ(file.Open(c.Path), c.Result) << c.Path;
  }
  TMappedFile file;
  ASSERT_EQ(file.Open(dir / "text"), TOpen::Ok);
  EXPECT_EQ(std::string(file.Begin(), file.End()), "abc");
  EXPECT_FALSE(file.Damaged());
}

TEST(MappedFile, TruncatedWhileMappedIsReportedNotFatal) {
  TTempDir dir;
  const std::string path = dir / "big";
  // Larger than what is read into memory instead of mapped.
  const std::string content(32 * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), 'x');
  WriteFile(path, content);
  TMappedFile file;
  ASSERT_EQ(file.Open(path), TOpen::Ok);
  ASSERT_EQ(truncate(path.c_str(), 10), 0);

  // Reading every byte would kill the process without the fault handling.
  std::size_t xs = 0;
  for (const char* p = file.Begin(); p != file.End(); ++p)
    xs += *p == 'x';
  EXPECT_TRUE(file.Damaged());
  EXPECT_EQ(xs, 10u) << "the bytes the file kept, then zeros";

  struct stat now;
  ASSERT_EQ(stat(path.c_str(), &now), 0);
  EXPECT_FALSE(SameFileState(file.Identity(), now));

  // A later mapping of the same thread starts undamaged.
  TMappedFile again;
  ASSERT_EQ(again.Open(path), TOpen::Ok);
  EXPECT_FALSE(again.Damaged());
}

}  // namespace
}  // namespace fendrel

// The container checksum: golden values, block boundaries, and pieces of any size.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "container/checksum.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

std::string Pattern(std::size_t length) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

TEST(ChecksumTest, GoldenValuesAndBlockBoundaries) {
  const struct {
    std::string Content;
    const char* Expected;
  } cases[] = {
      {"abc", "0126024E"},
      {"", "00000000"},
      // Both sums reach 65535 exactly and wrap to 0: the modulus is 65535, not 65536.
      {std::string(257, '\xFF'), "00000000"},
      {std::string(60000, '\x01'), "EA60B27A"},  // one whole block
      {std::string(60001, '\x01'), "EA61B27B"},  // the last byte is position 1 of block 2
      {std::string(120001, '\x01'), "D4C264F6"},
      {Pattern(150000), "FE04B0A3"},
  };
  test::TTempDir dir;
  for (const auto& c : cases) {
    test::WriteFile(dir / "f", c.Content);
    EXPECT_EQ(FileChecksum(dir / "f"), c.Expected) << c.Content.size() << " bytes";
  }
}

TEST(ChecksumTest, PiecesOfAnySizeSumLikeTheWhole) {
  const std::string content = Pattern(130000);
  for (std::size_t piece : {1u, 7u, 59999u, 60000u, 60001u, 65536u}) {
    TChecksum checksum;
    for (std::size_t at = 0; at < content.size(); at += piece)
      checksum.Add(content.data() + at, std::min(piece, content.size() - at));
    EXPECT_EQ(checksum.Text(), "ED56635F") << "pieces of " << piece;
  }
}

TEST(ChecksumTest, WhatCannotBeReadHasNoChecksum) {
  test::TTempDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);  // must not block
  EXPECT_EQ(FileChecksum(dir / "missing"), "");
  EXPECT_EQ(FileChecksum(dir.Path()), "");
  EXPECT_EQ(FileChecksum(dir / "fifo"), "");
}

}  // namespace
}  // namespace fendrel

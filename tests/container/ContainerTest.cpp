// The container from both ends: files packed by the packer come back whole, and a directory that
// lies about its entries never makes the reader write outside its target or read outside the
// file.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "container/Packer.h"
#include "container/checksum.h"
#include "container/fileinst.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::WriteFile;

std::string Checksum(const std::string& bytes) {
  TChecksum checksum;
  checksum.Add(bytes.data(), bytes.size());
  return checksum.Text();
}

std::string Bytes(std::size_t length, unsigned seed) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<char>((i * 7 + seed) % 256);
  return bytes;
}

// The names in `dir`, sorted and separated by spaces: what a run left there, temporaries included.
std::string Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names)
    text += (text.empty() ? "" : " ") + name;
  return text;
}

class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override { test::MakeDir(Out); }

  // Writes `content`, then the entries and a trailer with `count`, as the program file "prog".
  void WriteProgram(const std::string& content, const std::vector<TContainerEntry>& entries,
                    uint16_t count) {
    std::string bytes = content;
    for (const TContainerEntry& entry : entries)
      bytes += EncodeEntry(entry);
    WriteFile(Prog, bytes + EncodeTrailer(count));
  }

  test::TTempDir Dir;
  const std::string Prog = Dir / "prog";
  const std::string Out = Dir / "out";
};

TEST_F(ContainerTest, PackedFilesComeBackWhole) {
  const std::string image = Bytes(1000, 1);
  const std::string files[][2] = {
      {"a.txt", "hello"}, {"b.bin", Bytes(60001, 2)}, {"empty.dat", ""}};
  WriteFile(Prog, image);
  ASSERT_EQ(chmod(Prog.c_str(), 0751), 0);
  std::vector<std::string> paths;
  for (const auto& file : files) {
    WriteFile(Dir / file[0], file[1]);
    paths.push_back(Dir / file[0]);
  }
  ASSERT_EQ(AppendContainerFiles(Prog, paths), "");

  struct stat st;
  ASSERT_EQ(stat(Prog.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
  EXPECT_EQ(ReadFile(Prog).substr(0, image.size()), image);
  EXPECT_EQ(Listing(Dir.Path()), "a.txt b.bin empty.dat out prog");

  TContainerDirectory directory;
  ASSERT_EQ(directory.Read(Prog), TContainerState::Ok);
  ASSERT_EQ(directory.FileCount(), 3u);
  const auto& entries = directory.Entries();
  EXPECT_EQ(EncodeEntry(entries[0]), EncodeEntry(MakeEntry("prog", 1000, 0, Checksum(image))));
  for (std::size_t i = 1; i < entries.size(); ++i) {
    // The appended files follow each other without a gap, and the directory follows the last.
    EXPECT_EQ(entries[i].FileOffset, entries[i - 1].FileOffset + entries[i - 1].FileSize);
    EXPECT_EQ(entries[i].FileName, files[i - 1][0]);
    EXPECT_EQ(entries[i].Checksum, Checksum(files[i - 1][1]));
    // Alternately with and without the '/' that ends the directory.
    EXPECT_EQ(directory.Extract(i, i % 2 ? Out : Out + "/"), TExtractResult::Ok);
    EXPECT_EQ(ReadFile(Out + "/" + files[i - 1][0]), files[i - 1][1]);
  }
  EXPECT_EQ(directory.DirectoryStart(), entries.back().FileOffset + entries.back().FileSize);
  EXPECT_EQ(Listing(Out), "a.txt b.bin empty.dat");
}

TEST_F(ContainerTest, PackingAgainReplacesTheContainer) {
  WriteFile(Prog, Bytes(500, 3));
  WriteFile(Dir / "a.txt", "first");
  WriteFile(Dir / "b.txt", "second");
  ASSERT_EQ(AppendContainerFiles(Prog, {Dir / "a.txt", Dir / "b.txt"}), "");
  ASSERT_EQ(AppendContainerFiles(Prog, {Dir / "b.txt"}), "");

  test::MakeDir(Dir / "fresh");
  WriteFile(Dir / "fresh/prog", Bytes(500, 3));
  ASSERT_EQ(AppendContainerFiles(Dir / "fresh/prog", {Dir / "b.txt"}), "");
  EXPECT_EQ(ReadFile(Prog), ReadFile(Dir / "fresh/prog"));
}

TEST_F(ContainerTest, ExtractionReplacesWholeFilesAndNeverFollowsLinks) {
  const std::string image = "IMAGE-BYTES";
  WriteProgram(
      image + "hello",
      {MakeEntry("prog", 11, 0, Checksum(image)), MakeEntry("good.txt", 5, 11, Checksum("hello"))},
      2);
  TContainerDirectory directory;
  ASSERT_EQ(directory.Read(Prog), TContainerState::Ok);

  WriteFile(Dir / "victim", "keep");
  ASSERT_EQ(symlink("../victim", (Out + "/good.txt").c_str()), 0);
  EXPECT_EQ(directory.Extract(1, Out), TExtractResult::Ok);
  EXPECT_EQ(ReadFile(Dir / "victim"), "keep");
  EXPECT_EQ(ReadFile(Out + "/good.txt"), "hello");
  const std::string first = ReadFile(Out + "/good.txt");
  EXPECT_EQ(directory.Extract(1, Out), TExtractResult::Ok);
  EXPECT_EQ(ReadFile(Out + "/good.txt"), first);

  EXPECT_EQ(directory.Extract(1, Out, "renamed.txt"), TExtractResult::Ok);
  EXPECT_EQ(ReadFile(Out + "/renamed.txt"), "hello");
  EXPECT_EQ(directory.Extract(1, Out, "../renamed.txt"), TExtractResult::Failed);
  EXPECT_EQ(directory.Extract(2, Out), TExtractResult::Failed);

  // The program file shrinks after its directory was read: the copy would come short, so the
  // extraction fails and the file already there stays as it was, with no temporary left.
  WriteFile(Out + "/good.txt", "OLD");
  ASSERT_EQ(truncate(Prog.c_str(), 13), 0);
  EXPECT_EQ(directory.Extract(1, Out), TExtractResult::Failed);
  EXPECT_EQ(ReadFile(Out + "/good.txt"), "OLD");
  EXPECT_EQ(Listing(Out), "good.txt renamed.txt");
}

TEST_F(ContainerTest, DirectoriesThatCannotBeTrustedAreNotRead) {
  const std::string entry = EncodeEntry(MakeEntry("x", 0, 0, "00000000"));
  const struct {
    const char* Name;
    std::string Content;
    TContainerState Expected;
  } cases[] = {
      {"empty file", "", TContainerState::NoContainer},
      {"shorter than a trailer", "ZQinst", TContainerState::NoContainer},
      {"no trailer", Bytes(4000, 4), TContainerState::NoContainer},
      {"count 0", EncodeTrailer(0), TContainerState::Ok},
      {"count 1, no room for the entry", "abc" + EncodeTrailer(1), TContainerState::Damaged},
      {"count 255 in a small file", entry + EncodeTrailer(255), TContainerState::Damaged},
      // Read by its low byte, this count would take one entry from the wrong place.
      {"count above 255", entry + entry + EncodeTrailer(0x0101), TContainerState::Damaged},
  };
  for (const auto& c : cases) {
    WriteFile(Prog, c.Content);
    TContainerDirectory directory;
    EXPECT_EQ(directory.Read(Prog), c.Expected) << c.Name;
    EXPECT_EQ(directory.FileCount(), 0u) << c.Name;
  }

  ASSERT_EQ(mkfifo((Dir / "fifo").c_str(), 0600), 0);
  TContainerDirectory directory;
  EXPECT_EQ(directory.Read(Dir / "fifo"), TContainerState::Unreadable);  // without blocking
  EXPECT_EQ(directory.Read(Out), TContainerState::Unreadable);
  EXPECT_EQ(directory.Read(Dir / "missing"), TContainerState::Unreadable);
}

TEST_F(ContainerTest, EntriesThatLieAreNeverWrittenOut) {
  const std::string image = "IMAGE-BYTES";
  const std::string sum = Checksum("hello");
  TContainerEntry longName = MakeEntry(std::string(100, 'a'), 5, 11, sum);
  longName.NameLength = 101;
  const struct {
    const char* Name;
    TContainerEntry Entry;
    TExtractResult Expected;
  } cases[] = {
      {"beyond the directory", MakeEntry("x", 5, 1000, sum), TExtractResult::Failed},
      {"into the directory", MakeEntry("x", 6, 11, sum), TExtractResult::Failed},
      {"negative size", MakeEntry("x", -1, 11, sum), TExtractResult::Failed},
      {"negative offset", MakeEntry("x", 5, -5, sum), TExtractResult::Failed},
      {"largest size", MakeEntry("x", 0x7FFFFFFF, 11, sum), TExtractResult::Failed},
      {"end beyond 2^31", MakeEntry("x", 0x7FFFFFF0, 0x7FFFFFF0, sum), TExtractResult::Failed},
      {"name length 101", longName, TExtractResult::Failed},
      {"parent directory", MakeEntry("../escaped", 5, 11, sum), TExtractResult::Failed},
      {"name ..", MakeEntry("..", 5, 11, sum), TExtractResult::Failed},
      {"subdirectory", MakeEntry("sub/x", 5, 11, sum), TExtractResult::Failed},
      {"backslash", MakeEntry("..\\escaped", 5, 11, sum), TExtractResult::Failed},
      {"empty name", MakeEntry("", 5, 11, sum), TExtractResult::Failed},
      {"zero byte", MakeEntry(std::string("a\0b", 3), 5, 11, sum), TExtractResult::Failed},
      {"wrong checksum", MakeEntry("x-wrong", 5, 11, "0000FFFF"), TExtractResult::Mismatch},
      {"dots inside a name", MakeEntry("x..y", 5, 11, sum), TExtractResult::Ok},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(Out);
    test::MakeDir(Out);
    WriteProgram(
        image + "hello",
        {MakeEntry("prog", 11, 0, Checksum(image)), MakeEntry("good", 5, 11, sum), c.Entry}, 3);
    TContainerDirectory directory;
    ASSERT_EQ(directory.Read(Prog), TContainerState::Ok) << c.Name;
    EXPECT_EQ(directory.Extract(2, Out), c.Expected) << c.Name;
    // A lying neighbour does not stop a good entry.
    EXPECT_EQ(directory.Extract(1, Out), TExtractResult::Ok) << c.Name;
    const std::string written = c.Expected == TExtractResult::Failed ? "" : " " + c.Entry.FileName;
    EXPECT_EQ(Listing(Out), "good" + written) << c.Name;
    if (!written.empty()) {
      EXPECT_EQ(ReadFile(Out + "/" + c.Entry.FileName), "hello") << c.Name;
    }
    EXPECT_EQ(Listing(Dir.Path()), "out prog") << c.Name;
  }
}

TEST_F(ContainerTest, PackerRefusesWhatCouldNotComeBackAndLeavesTheProgram) {
  const std::string image = Bytes(300, 5);
  WriteFile(Dir / "a.txt", "a");
  test::MakeDir(Dir / "other");
  WriteFile(Dir / "other/a.txt", "other a");
  WriteFile(Dir / "other/prog", "would overwrite the program");
  const std::string longName = std::string(101, 'n');
  WriteFile(Dir / ("other/" + longName), "n");
  const std::string damaged = "abc" + EncodeTrailer(7);
  const struct {
    const char* Name;
    std::string Program;
    std::vector<std::string> Files;
  } cases[] = {
      {"two files of one name", image, {Dir / "a.txt", Dir / "other/a.txt"}},
      {"the program's own name", image, {Dir / "other/prog"}},
      {"a name longer than 100 bytes", image, {Dir / ("other/" + longName)}},
      {"a missing file", image, {Dir / "a.txt", Dir / "missing"}},
      {"255 files", image, std::vector<std::string>(255, Dir / "a.txt")},
      {"a damaged container", image + damaged, {Dir / "a.txt"}},
  };
  for (const auto& c : cases) {
    WriteFile(Prog, c.Program);
    EXPECT_NE(AppendContainerFiles(Prog, c.Files), "") << c.Name;
    EXPECT_EQ(ReadFile(Prog), c.Program) << c.Name;
    EXPECT_EQ(Listing(Dir.Path()), "a.txt other out prog") << c.Name;
  }
}

// The build packs container_demo after linking it (fendrel_append_files in CMakeLists.txt); the
// demo reads its own container and writes its files out, as the program does when it starts.
TEST_F(ContainerTest, BuildStepPacksAProgramThatExtractsItself) {
  const std::string command = std::string(FENDREL_CONTAINER_DEMO) + " " + Out;
  for (int run = 0; run < 2; ++run) {
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[256];
    std::string output;
    while (fgets(buffer, sizeof buffer, pipe) != nullptr)
      output += buffer;
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(output, "files 2\n1 ok\n2 ok\n");
  }
  EXPECT_EQ(Listing(Out), "Carried-Library.so Carried.html");
  EXPECT_EQ(ReadFile(Out + "/Carried.html"), ReadFile(FENDREL_CARRIED_HTML));

  // An extracted library loads and runs.
  void* library = dlopen((Out + "/Carried-Library.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const auto answer = reinterpret_cast<int (*)()>(dlsym(library, "CarriedLibraryAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  dlclose(library);
}

}  // namespace
}  // namespace fendrel

#include "scan/MailTools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FileAttributes.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::MakeDir;
using test::TTempDir;
using test::WriteFile;

TEST(ReadDirectory, PostOrderAndAppend) {
  TTempDir r;
  MakeDir(r / "S/T");
  WriteFile(r / "S/T/c.txt", "x");
  WriteFile(r / "S/b.txt", "x");
  WriteFile(r / "a.txt", "x");

  TDirStringList list;
  list.ReadDirectory(r.Path(), "*.txt", kFileScanFilter, true, false);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{r / "S/T/c.txt", r / "S/b.txt", r / "a.txt"}));

  list.ReadDirectory(r.Path() + "/", "*.TXT", kFileScanFilter, false, true);
  EXPECT_EQ(list.Count(), 4u);
  EXPECT_EQ(list[3], r / "a.txt");

  list.ReadDirectory(r / "missing", "*", kFileScanFilter, true, true);
  EXPECT_EQ(list.Count(), 4u);
  list.ReadDirectory(r / "missing", "*", kFileScanFilter, true, false);
  EXPECT_EQ(list.Count(), 0u);
}

TEST(GetEntry, NamePartsAndBounds) {
  TDirStringList list;
  for (const char* entry : {"/r/s/b.txt", "C:name", "/r/a:b/c", "plain", "/dir/"})
    list.Add(entry);
  const struct {
    std::ptrdiff_t Index;
    bool FullPath;
    const char* Entry;
  } cases[] = {{0, true, "/r/s/b.txt"}, {0, false, "b.txt"}, {1, false, "name"}, {2, false, "c"},
               {3, false, "plain"},     {4, false, ""},      {-1, true, ""},     {5, true, ""}};
  for (const auto& c : cases)
    EXPECT_EQ(list.GetEntry(c.Index, c.FullPath), c.Entry) << c.Index;
}

}  // namespace
}  // namespace fendrel

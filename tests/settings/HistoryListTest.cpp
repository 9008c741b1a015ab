// The input histories: what a save and a load give back, the mouse-leave update, and clearing.
#include "settings/HistoryList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/Iniregi.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

// Saves `items` (top first) to a fresh history file and loads them again.
std::vector<std::string> RoundTrip(const std::string& file, const std::vector<std::string>& items) {
  std::filesystem::remove(file);
  THistoryList saved;
  saved.LoadHistory(file, kMaskSection);
  for (auto it = items.rbegin(); it != items.rend(); ++it)
    saved.AddToTop(*it);
  EXPECT_TRUE(saved.SaveHistory());
  THistoryList loaded;
  loaded.LoadHistory(file, kMaskSection);
  return loaded.Items();
}

TEST(HistoryList, EntriesComeBackExactlyOrNotAtAll) {
  const std::string s294(294, 's');
  const std::string s295(295, 's');
  const std::string s296(296, 's');
  // The editors' hexadecimal form: 147 bytes fit, 148 would not be read back whole.
  const std::string hex147(294, 'A');
  const std::string hex148(296, 'A');
  struct TCase {
    std::string Entry;
    bool Kept;
  };
  const TCase cases[] = {
      {" C:\\x ", true},
      {" ", true},
      {"\t*.txt\t", true},
      {"\"quoted\"", true},
      {"'single'", true},
      {"C:\\", true},
      {"\\", true},
      {"a=b", true},
      {"[Path]", true},
      {"\"", true},
      {"\"\\", true},
      {s294, true},
      {hex147, true},
      {s295, false},
      {s296, false},
      {hex148, false},
      {std::string(500, 's'), false},
      {"a\\\"b", false},
      {"\\\"", false},
      {"line\nbreak", false},
      {"cr\r", false},
      {std::string("nul\0", 4), false},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    EXPECT_EQ(HistoryEntryStorable(c.Entry), c.Kept) << c.Entry;
    const std::vector<std::string> back =
        RoundTrip(dir / "history.ini", {"before", c.Entry, "after"});
    const std::vector<std::string> expected =
        c.Kept ? std::vector<std::string>{"before", c.Entry, "after"}
               : std::vector<std::string>{"before", "after"};
    EXPECT_EQ(back, expected) << c.Entry;
  }
}

TEST(HistoryList, MouseLeaveUpdateAndStoredForm) {
  TTempDir dir;
  THistoryList list;
  EXPECT_FALSE(list.SaveHistory()) << "no history file remembered yet";
  list.LoadHistory(dir / "history.ini", kFromStringSection);
  list.AddToTop("4142");
  list.AddToTop("0D0A");
  list.AddToTop(std::string(300, 'A'));  // not storable: numbering closes the gap
  list.AddToTop("");
  list.AddToTop("4142");
  ASSERT_TRUE(list.SaveHistory());
  EXPECT_EQ(ReadFile(dir / "history.ini"),
            "[FromString]\r\nItemCount=2\r\nItem1=\\\"4142\\\"\r\nItem2=\\\"0D0A\\\"\r\n");
  EXPECT_EQ(list.Items().size(), 3u) << "the list keeps the entry while the program runs";
}

TEST(HistoryList, LoadingStoredFiles) {
  struct TCase {
    const char* Name;
    std::string Section;
    std::vector<std::string> Items;
  };
  const TCase cases[] = {
      {"blank entries are loaded",
       "ItemCount=3\r\nItem1=\\\"a\\\"\r\nItem3=\\\" \\\"\r\n",
       {"a", "", " "}},
      {"wrapper removed wherever it stands", "ItemCount=1\r\nItem1=x\\\"y\\\"z\r\n", {"xyz"}},
      {"cut by the reader",
       "ItemCount=1\r\nItem1=\\\"" + std::string(295, 's') + "\\\"\r\n",
       {std::string(295, 's') + "\\"}},
      {"keys beyond the count are ignored", "ItemCount=1\r\nItem1=a\r\nItem2=b\r\n", {"a"}},
      {"count not a number", "ItemCount=x\r\nItem1=a\r\n", {}},
      {"negative count", "ItemCount=-3\r\nItem1=a\r\n", {}},
      {"count beyond the entries",
       "ItemCount=2000000000\r\nItem1=a\r\nItem3=c\r\nItem07=z\r\n",
       {"a", "", "c"}},
      {"no count", "Item1=a\r\n", {}},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    WriteFile(dir / "history.ini",
              "[Path]\r\n" + c.Section + "[Mask]\r\nItemCount=1\r\nItem1=m\r\n");
    THistoryList list;
    list.LoadHistory(dir / "history.ini", kPathSection);
    EXPECT_EQ(list.Items(), c.Items) << c.Name;
  }
  THistoryList list;
  list.AddToTop("stale");
  list.LoadHistory(dir / "missing.ini", kPathSection);
  EXPECT_TRUE(list.Items().empty());
}

TEST(HistoryList, ClearHistoryThenClose) {
  TTempDir dir;
  const std::string file = HistoryFileIn(dir.Path() + "/");
  EXPECT_EQ(file, dir / "history.ini");
  THistoryList mask, path, from, to;
  mask.LoadHistory(file, kMaskSection);
  path.LoadHistory(file, kPathSection);
  from.LoadHistory(file, kFromStringSection);
  to.LoadHistory(file, kToStringSection);
  for (THistoryList* list : {&mask, &path, &from, &to}) {
    list->AddToTop("41");
    ASSERT_TRUE(list->SaveHistory());
  }

  ClearHistory({&mask, &path, &from, &to}, file);
  EXPECT_FALSE(Exists(file));
  for (THistoryList* list : {&mask, &path, &from, &to}) {
    EXPECT_TRUE(list->Items().empty());
    ASSERT_TRUE(list->SaveHistory());
  }
  EXPECT_EQ(ReadFile(file),
            "[Mask]\r\nItemCount=0\r\n[Path]\r\nItemCount=0\r\n[FromString]\r\nItemCount=0\r\n"
            "[ToString]\r\nItemCount=0\r\n");
}

}  // namespace
}  // namespace fendrel

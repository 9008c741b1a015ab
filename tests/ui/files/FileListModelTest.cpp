// The file list's counters against a full count after every kind of change, and the order of
// entries across hand-overs.
#include "ui/files/FileListModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace fendrel {
namespace {

int CountTicked(const TFileListModel& list) {
  int ticked = 0;
  for (int row = 0; row < list.Count(); ++row)
    ticked += list.data(list.index(row), Qt::CheckStateRole).toInt() == Qt::Checked;
  return ticked;
}

std::vector<std::string> Paths(int from, int to) {
  std::vector<std::string> paths;
  for (int i = from; i < to; ++i)
    paths.push_back("/d/f" + std::to_string(i));
  return paths;
}

TEST(FileListModel, TheTickCounterEqualsAFullCountAfterEveryChange) {
  TFileListModel list;
  using TChange = std::function<void()>;
  const std::pair<const char*, TChange> changes[] = {
      {"hand-over", [&] { list.Append(Paths(0, 5000)); }},
      {"tick", [&] { list.SetTicked(3, true); }},
      {"tick again", [&] { list.SetTicked(3, true); }},
      {"tick by the view", [&] { list.setData(list.index(7), Qt::Checked, Qt::CheckStateRole); }},
      {"untick", [&] { list.SetTicked(3, false); }},
      {"remove a ticked entry", [&] { list.Remove(7); }},
      {"remove an unticked one", [&] { list.Remove(0); }},
      {"select all", [&] { list.SetAllTicked(true); }},
      {"second hand-over", [&] { list.Append(Paths(5000, 6000)); }},
      {"remove a ticked entry again", [&] { list.Remove(10); }},
      {"select none", [&] { list.SetAllTicked(false); }},
      {"new scan", [&] { list.Clear(); }},
  };
  for (const auto& [name, change] : changes) {
    change();
    EXPECT_EQ(list.TickedCount(), CountTicked(list)) << name;
    EXPECT_EQ(static_cast<int>(list.TickedPaths().size()), list.TickedCount()) << name;
  }
  EXPECT_EQ(list.Count(), 0);
}

TEST(FileListModel, HandOversKeepTheOrderAndTicksFollowTheirEntries) {
  TFileListModel list;
  for (int from = 0; from < 10000; from += 4096)
    list.Append(Paths(from, std::min(from + 4096, 10000)));
  ASSERT_EQ(list.Count(), 10000);
  for (int row = 0; row < list.Count(); ++row)
    ASSERT_EQ(list.Path(row), "/d/f" + std::to_string(row));
  list.SetTicked(4096, true);
  list.SetTicked(9999, true);
  list.Remove(0);
  EXPECT_EQ(list.TickedPaths(), (std::vector<std::string>{"/d/f4096", "/d/f9999"}));
}

}  // namespace
}  // namespace fendrel

// The search options on both pages: exclusive, mirrored, and the mode a run takes from them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTest>
#include <QWidget>
#include <vector>

#include "ui/editors/SearchOptionBoxes.h"

namespace fendrel {
namespace {

enum TBox { kCaseSingle, kRegExpSingle, kCaseMulti, kRegExpMulti };

struct TOptionsCase {
  std::vector<TBox> Clicks;
  bool CaseSensitive;  // both pages
  bool RegExp;         // both pages
  TSearchMode Mode;
};

TEST(SearchOptionBoxes, ClicksKeepBothPagesInStep) {
  const TOptionsCase cases[] = {
      {{}, true, false, smCaseSensitive},
      {{kRegExpSingle}, false, true, smRegExpr},
      {{kRegExpMulti}, false, true, smRegExpr},
      {{kCaseSingle}, false, false, smIgnoreCase},
      {{kCaseMulti, kRegExpSingle, kRegExpMulti}, false, false, smIgnoreCase},
      {{kRegExpSingle, kCaseMulti}, true, false, smCaseSensitive},
  };
  for (const TOptionsCase& c : cases) {
    QWidget single;
    QWidget multi;
    TSearchOptionBoxes boxes(&single, &multi);
    int changes = 0;
    QObject::connect(&boxes, &TSearchOptionBoxes::Changed, [&] { ++changes; });
    QCheckBox* all[] = {boxes.CaseSensitivSingleLineCheckBox(), boxes.RegExpSingleLineCheckBox(),
                        boxes.CaseSensitivMultiLineCheckBox(), boxes.RegExpMultiLineCheckBox()};
    for (TBox box : c.Clicks)
      QTest::mouseClick(all[box], Qt::LeftButton);
    SCOPED_TRACE(c.Clicks.size());
    EXPECT_EQ(all[kCaseSingle]->isChecked(), c.CaseSensitive);
    EXPECT_EQ(all[kCaseMulti]->isChecked(), c.CaseSensitive);
    EXPECT_EQ(all[kRegExpSingle]->isChecked(), c.RegExp);
    EXPECT_EQ(all[kRegExpMulti]->isChecked(), c.RegExp);
    EXPECT_EQ(boxes.SearchMode(), c.Mode);
    EXPECT_EQ(changes, static_cast<int>(c.Clicks.size()));
    EXPECT_EQ(all[kRegExpMulti]->parent(), &multi);
  }
}

}  // namespace
}  // namespace fendrel

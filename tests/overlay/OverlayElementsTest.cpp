#include "overlay/OverlayElements.h"

#include <gtest/gtest.h>

#include <climits>

namespace fendrel::overlay {
namespace {

TEST(OverlayElements, NumbersRiseAcrossKindsAndClears) {
  TOverlayElements elements;
  EXPECT_EQ(elements.AddPoint(10, 20, 1, 0x0000FF), 1);
  EXPECT_EQ(elements.AddLine(0, 0, 5, 5, 0xFF0000), 2);
  EXPECT_EQ(elements.AddRectangle(1, 2, 3, 4, 0x00FF00), 3);
  // Drawing accumulates: all three are still there, in drawing order.
  ASSERT_EQ(elements.Elements().size(), 3u);
  EXPECT_EQ(elements.Elements()[0].Kind, TElementKind::Point);
  EXPECT_EQ(elements.Elements()[1].Kind, TElementKind::Line);
  EXPECT_EQ(elements.Elements()[2].Kind, TElementKind::Rectangle);

  elements.Clear();
  EXPECT_TRUE(elements.Elements().empty());
  // A number is never reused, so a late notification cannot name a newer element.
  EXPECT_EQ(elements.AddLine(1, 1, 2, 2, 0), 4);
  EXPECT_EQ(elements.AddLine(3, 3, 4, 4, 0), 5);
  EXPECT_EQ(elements.Elements().size(), 2u);
}

TEST(OverlayElements, PointTypes) {
  struct TCase {
    std::int32_t Type;
    bool Created;
  };
  const TCase cases[] = {{1, true},  {2, true},   {3, true},        {0, false},
                         {4, false}, {-1, false}, {INT_MIN, false}, {INT_MAX, false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Type);
    TOverlayElements elements;
    const std::int32_t number = elements.AddPoint(7, 8, c.Type, 0);
    if (c.Created) {
      EXPECT_EQ(number, 1);
      ASSERT_EQ(elements.Elements().size(), 1u);
      EXPECT_EQ(static_cast<std::int32_t>(elements.Elements()[0].PointType), c.Type);
    } else {
      // Nothing is created, and the refused call uses up no number.
      EXPECT_EQ(number, kNoElement);
      EXPECT_TRUE(elements.Elements().empty());
      EXPECT_EQ(elements.AddPoint(7, 8, 1, 0), 1);
    }
  }
}

TEST(OverlayElements, RectangleCornersAreOrdered) {
  struct TCase {
    std::int32_t Left, Top, Right, Bottom;
  };
  const TCase cases[] = {{10, 20, 30, 40}, {30, 40, 10, 20}, {30, 20, 10, 40}, {10, 40, 30, 20}};
  for (const TCase& c : cases) {
    TOverlayElements elements;
    elements.AddRectangle(c.Left, c.Top, c.Right, c.Bottom, 0);
    const TOverlayElement& e = elements.Elements().at(0);
    EXPECT_EQ(e.X1, 10);
    EXPECT_EQ(e.Y1, 20);
    EXPECT_EQ(e.X2, 30);
    EXPECT_EQ(e.Y2, 40);
  }
}

TEST(OverlayElements, ColourBytes) {
  TOverlayElements elements;
  // RGB(255, 0, 0) and RGB(0, 0, 255) as the guiding lines use them; the top byte is no colour.
  elements.AddLine(0, 0, 1, 1, 0x000000FF);
  elements.AddLine(0, 0, 1, 1, 0xAB0000FF);
  elements.AddLine(0, 0, 1, 1, 0x00FF0000);
  const auto& e = elements.Elements();
  EXPECT_EQ(e[0].Red(), 255);
  EXPECT_EQ(e[0].Blue(), 0);
  EXPECT_EQ(e[1].Colour, e[0].Colour);
  EXPECT_EQ(e[2].Red(), 0);
  EXPECT_EQ(e[2].Green(), 0);
  EXPECT_EQ(e[2].Blue(), 255);
}

}  // namespace
}  // namespace fendrel::overlay

// The screen overlay's elements without any drawing: what each operation adds, the number it
// answers with, and the clear that removes them all. Kept free of Qt so that the numbering and
// the checks of the arguments can be tested on their own.
#pragma once

#include <cstdint>
#include <vector>

namespace fendrel::overlay {

// What a drawing operation answers when it creates nothing or cannot draw at all.
inline constexpr std::int32_t kNoElement = -2;
inline constexpr std::int32_t kOperationFailed = -3;

enum class TElementKind { Point, Line, Rectangle };

// The shapes of a point mark, numbered as callers pass them.
enum class TPointType : std::int32_t { Cross = 1, Circle = 2, Square = 3 };

// Half the width of a point mark, so that a mark covers (2 * kMarkRadius + 1) pixels each way.
inline constexpr std::int32_t kMarkRadius = 4;

struct TOverlayElement {
  std::int32_t Number = 0;
  TElementKind Kind = TElementKind::Point;
  TPointType PointType = TPointType::Cross;
  // A point uses (X1, Y1); a line runs from (X1, Y1) to (X2, Y2); a rectangle has its left-top
  // corner in (X1, Y1) and its right-bottom corner in (X2, Y2), with X1 <= X2 and Y1 <= Y2.
  std::int32_t X1 = 0;
  std::int32_t Y1 = 0;
  std::int32_t X2 = 0;
  std::int32_t Y2 = 0;
  // Red in the lowest byte, then green, then blue.
  std::uint32_t Colour = 0;

  std::uint8_t Red() const { return Colour & 0xFF; }
  std::uint8_t Green() const { return (Colour >> 8) & 0xFF; }
  std::uint8_t Blue() const { return (Colour >> 16) & 0xFF; }
};

class TOverlayElements {
 public:
  // Each returns the new element's number, or kNoElement when the arguments describe nothing
  // that could be drawn.
  std::int32_t AddPoint(std::int32_t x, std::int32_t y, std::int32_t pointType,
                        std::uint32_t colour);
  std::int32_t AddLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                       std::uint32_t colour);
  std::int32_t AddRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom, std::uint32_t colour);

  // Removes every element. Numbers go on rising, so a notification about an element drawn
  // before the clear is never taken for one drawn after it.
  void Clear() { FElements.clear(); }

  // In the order they were drawn, so later marks paint over earlier ones.
  const std::vector<TOverlayElement>& Elements() const { return FElements; }

 private:
  std::int32_t Add(TOverlayElement element);

  std::vector<TOverlayElement> FElements;
  std::int32_t FLastNumber = 0;
};

}  // namespace fendrel::overlay

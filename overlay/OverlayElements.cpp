#include "OverlayElements.h"

#include <algorithm>

namespace fendrel::overlay {
namespace {

// The byte above blue carries no colour; a caller's stray bits there must not change the mark.
constexpr std::uint32_t kColourMask = 0x00FFFFFF;

}  // namespace

std::int32_t TOverlayElements::AddPoint(std::int32_t x, std::int32_t y, std::int32_t pointType,
                                        std::uint32_t colour) {
  if (pointType < static_cast<std::int32_t>(TPointType::Cross) ||
      pointType > static_cast<std::int32_t>(TPointType::Square))
    return kNoElement;
  TOverlayElement element;
  element.Kind = TElementKind::Point;
  element.PointType = static_cast<TPointType>(pointType);
  element.X1 = element.X2 = x;
  element.Y1 = element.Y2 = y;
  element.Colour = colour;
  return Add(element);
}

std::int32_t TOverlayElements::AddLine(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                       std::int32_t y2, std::uint32_t colour) {
  TOverlayElement element;
  element.Kind = TElementKind::Line;
  element.X1 = x1;
  element.Y1 = y1;
  element.X2 = x2;
  element.Y2 = y2;
  element.Colour = colour;
  return Add(element);
}

std::int32_t TOverlayElements::AddRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                            std::int32_t bottom, std::uint32_t colour) {
  // Corners given the other way round still name the same rectangle.
  TOverlayElement element;
  element.Kind = TElementKind::Rectangle;
  element.X1 = std::min(left, right);
  element.Y1 = std::min(top, bottom);
  element.X2 = std::max(left, right);
  element.Y2 = std::max(top, bottom);
  element.Colour = colour;
  return Add(element);
}

std::int32_t TOverlayElements::Add(TOverlayElement element) {
  // After 2^31 - 1 elements the numbers start again at 1 rather than turning negative, where
  // they would read as failures.
  FLastNumber = FLastNumber == INT32_MAX ? 1 : FLastNumber + 1;
  element.Number = FLastNumber;
  element.Colour &= kColourMask;
  FElements.push_back(element);
  return element.Number;
}

}  // namespace fendrel::overlay

// Between Qt's logical pixels and the screen's device pixels, the pixels the window system
// counts. Qt keeps each screen's top left corner where it is and stretches everything right of
// and below it by the screen's pixel ratio: at 200 % a control 100 logical pixels right of the
// screen's corner stands 200 device pixels right of it. The screen overlay draws in device
// pixels, and a window is docked to another to the device pixel.
#pragma once

#include <QPoint>
#include <QRect>
#include <cstdint>

class QWidget;

namespace fendrel {

// A rectangle in the screen's device pixels, right and bottom exclusive; all four 0 is no
// rectangle.
struct TScreenRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;

  bool Empty() const { return Left == 0 && Top == 0 && Right == 0 && Bottom == 0; }
  bool operator==(const TScreenRect&) const = default;
};

// The point `local` of `widget` in device pixels: where its window stands on the screen (as the
// window system has it, see NativeWindow.h), plus the point's distance from the window's corner
// at the screen's pixel ratio, as Qt paints it.
QPoint DevicePixels(const QWidget& widget, QPoint local);
// `local` of `widget`, right and bottom exclusive, in device pixels.
TScreenRect DeviceRect(const QWidget& widget, const QRect& local);
// The screen position `logical` where Qt puts it in device pixels on `widget`'s screen, and back,
// rounded to the nearest logical pixel.
QPoint DevicePosition(const QWidget& widget, QPoint logical);
QPoint LogicalPixels(const QWidget& widget, QPoint device);

}  // namespace fendrel

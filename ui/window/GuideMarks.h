// Where the guiding marks go on the screen. Qt places widgets in logical pixels; the screen
// overlay draws in the screen's device pixels, the pixels the window system counts. Qt keeps each
// screen's top left corner where it is and stretches everything right of and below it by the
// screen's pixel ratio, so at 200 % a control 100 logical pixels right of the screen's corner
// stands 200 device pixels right of it. Every position handed to the overlay goes through here.
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
  bool Contains(QPoint point) const {
    return point.x() >= Left && point.x() < Right && point.y() >= Top && point.y() < Bottom;
  }
  bool operator==(const TScreenRect&) const = default;
};

// The point `local` of `widget` in device pixels: where its window stands on the screen, plus
// the point's distance from the window's corner at the screen's pixel ratio, as Qt paints it.
QPoint DevicePixels(const QWidget& widget, QPoint local);
// `local` of `widget`, right and bottom exclusive, in device pixels.
TScreenRect DeviceRect(const QWidget& widget, const QRect& local);

// The marks that tie a help line to the control it speaks of: an outline around each, a cross
// on each and the line between the crosses.
struct TGuideMarks {
  TScreenRect Line;
  TScreenRect Control;
  QPoint From;  // the middle of the help line's left edge
  QPoint To;    // the middle of the control's top edge
};

// `line` is where the help line was drawn, in device pixels.
TGuideMarks GuideMarks(const TScreenRect& line, const QWidget& control);

}  // namespace fendrel

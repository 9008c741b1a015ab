#include "GuideMarks.h"

#include <QScreen>
#include <QWidget>

namespace fendrel {

QPoint DevicePixels(const QWidget& widget, QPoint local) {
  const QWidget& window = *widget.window();
  const QPoint inWindow = widget.mapTo(&window, local);
  const QPoint windowCorner = window.mapToGlobal(QPoint(0, 0));
  const QScreen* screen = window.screen();
  if (screen == nullptr) return windowCorner + inWindow;
  const qreal ratio = screen->devicePixelRatio();
  const QPoint origin = screen->geometry().topLeft();
  // Rounded once for the window and once inside it, as Qt places the window and then paints into
  // it, so that at 150 % the marks meet what is on the screen to the pixel.
  return origin + (windowCorner - origin) * ratio + (QPointF(inWindow) * ratio).toPoint();
}

TScreenRect DeviceRect(const QWidget& widget, const QRect& local) {
  const QPoint topLeft = DevicePixels(widget, local.topLeft());
  const QPoint bottomRight =
      DevicePixels(widget, local.topLeft() + QPoint(local.width(), local.height()));
  return {topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()};
}

TGuideMarks GuideMarks(const TScreenRect& line, const QWidget& control) {
  TGuideMarks marks;
  marks.Line = line;
  marks.Control = DeviceRect(control, control.rect());
  marks.From = QPoint(line.Left, (line.Top + line.Bottom) / 2);
  marks.To = QPoint((marks.Control.Left + marks.Control.Right) / 2, marks.Control.Top);
  return marks;
}

}  // namespace fendrel

#include "DevicePixels.h"

#include <QScreen>
#include <QWidget>

#include "NativeWindow.h"

namespace fendrel {

namespace {

const QScreen* ScreenOf(const QWidget& widget) {
  return widget.window()->screen();
}

}  // namespace

QPoint DevicePixels(const QWidget& widget, QPoint local) {
  const QWidget& window = *widget.window();
  const QScreen* screen = ScreenOf(widget);
  const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
  // Where the window is, and the point's distance from its corner as Qt paints it.
  return NativeGeometry(window).Client.topLeft() +
         (QPointF(widget.mapTo(&window, local)) * ratio).toPoint();
}

QPoint DevicePosition(const QWidget& widget, QPoint logical) {
  const QScreen* screen = ScreenOf(widget);
  if (screen == nullptr) return logical;
  const QPoint origin = screen->geometry().topLeft();
  return origin + (logical - origin) * screen->devicePixelRatio();
}

TScreenRect DeviceRect(const QWidget& widget, const QRect& local) {
  const QPoint topLeft = DevicePixels(widget, local.topLeft());
  const QPoint bottomRight =
      DevicePixels(widget, local.topLeft() + QPoint(local.width(), local.height()));
  return {topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()};
}

QPoint LogicalPixels(const QWidget& widget, QPoint device) {
  const QScreen* screen = ScreenOf(widget);
  if (screen == nullptr) return device;
  const QPointF origin = screen->geometry().topLeft();
  return (origin + (QPointF(device) - origin) / screen->devicePixelRatio()).toPoint();
}

}  // namespace fendrel

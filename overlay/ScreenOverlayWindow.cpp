#include "ScreenOverlayWindow.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <algorithm>

namespace fendrel::overlay {
namespace {

// Far beyond any screen, yet small enough that a mark's corners cannot overflow an int.
constexpr std::int32_t kFar = 1 << 24;

int Near(std::int32_t coordinate) {
  return std::clamp(coordinate, -kFar, kFar);
}

QRect VirtualScreen() {
  QRect area;
  for (const QScreen* screen : QGuiApplication::screens())
    area = area.united(screen->geometry());
  return area;
}

// A point given in device pixels, on the virtual screen Qt lays out windows on: the screen it
// lies on keeps its top left corner, and the distance from there shrinks by the screen's pixel
// ratio. A point on no screen goes by the primary one.
QPointF Logical(QPointF device) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  for (const QScreen* candidate : QGuiApplication::screens()) {
    const QRectF logical = candidate->geometry();
    if (QRectF(logical.topLeft(), logical.size() * candidate->devicePixelRatio())
            .contains(device)) {
      screen = candidate;
      break;
    }
  }
  if (screen == nullptr) return device;
  const QPointF origin = screen->geometry().topLeft();
  return origin + (device - origin) / screen->devicePixelRatio();
}

// Paints `elements` relative to `origin` with `pen`'s colour replaced by each element's own when
// `ownColours` is set. Antialiasing stays off, so the mask painted with the same calls covers
// exactly the pixels of the marks.
void PaintElements(QPainter& painter, const std::vector<TOverlayElement>& elements, QPoint origin,
                   bool ownColours) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  painter.translate(-origin);
  QPen pen(Qt::color1, 0);  // a cosmetic pen: always one pixel wide
  for (const TOverlayElement& element : elements) {
    if (ownColours) pen.setColor(QColor(element.Red(), element.Green(), element.Blue()));
    painter.setPen(pen);
    // Clamping changes nothing on the screen for points and outlines, which land on whole
    // pixels; a line keeps its exact direction by being painted from its true end points in
    // floating point.
    const QPoint a = Logical(QPoint(Near(element.X1), Near(element.Y1))).toPoint();
    const QPoint b = Logical(QPoint(Near(element.X2), Near(element.Y2))).toPoint();
    switch (element.Kind) {
      case TElementKind::Point:
        switch (element.PointType) {
          case TPointType::Cross:
            painter.drawLine(a + QPoint(-kMarkRadius, 0), a + QPoint(kMarkRadius, 0));
            painter.drawLine(a + QPoint(0, -kMarkRadius), a + QPoint(0, kMarkRadius));
            break;
          case TPointType::Circle:
            painter.drawEllipse(a, kMarkRadius, kMarkRadius);
            break;
          case TPointType::Square:
            painter.drawRect(QRect(a - QPoint(kMarkRadius, kMarkRadius),
                                   QSize(2 * kMarkRadius, 2 * kMarkRadius)));
            break;
        }
        break;
      case TElementKind::Line:
        painter.drawLine(QLineF(Logical(QPointF(element.X1, element.Y1)),
                                Logical(QPointF(element.X2, element.Y2))));
        break;
      case TElementKind::Rectangle:
        // drawRect with a one-pixel pen covers width + 1 pixels, so the outline runs exactly
        // through both given corners.
        painter.drawRect(QRect(a, b).adjusted(0, 0, -1, -1));
        break;
    }
  }
}

}  // namespace

TScreenOverlayWindow::TScreenOverlayWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint) {
  setObjectName(QStringLiteral("ZQScreenOverlay"));
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
}

void TScreenOverlayWindow::ShowElements(const std::vector<TOverlayElement>& elements) {
  FElements = elements;
  if (FElements.empty()) {
    hide();
    return;
  }
  const QRect area = VirtualScreen();
  if (area.isEmpty()) {
    hide();
    return;
  }
  setGeometry(area);
  QBitmap shape(area.size());
  shape.fill(Qt::color0);
  {
    QPainter painter(&shape);
    PaintElements(painter, FElements, area.topLeft(), false);
  }
  setMask(shape);
  show();
  raise();
  update();
}

void TScreenOverlayWindow::paintEvent(QPaintEvent* event) {
  // The mask has whole logical pixels, which cover several device pixels on a scaled screen: the
  // marks are painted at the mask's resolution and stretched without smoothing, so that they fill
  // exactly the mask's pixels (a finer line would leave the rest of them black where no
  // compositor makes them see-through).
  const QRect area = event->rect() & mask().boundingRect();
  if (area.isEmpty()) return;
  QImage marks(area.size(), QImage::Format_ARGB32_Premultiplied);
  marks.fill(Qt::transparent);
  {
    QPainter painter(&marks);
    PaintElements(painter, FElements, geometry().topLeft() + area.topLeft(), true);
  }
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(area, marks);
}

}  // namespace fendrel::overlay

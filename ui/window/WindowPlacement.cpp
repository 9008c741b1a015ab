#include "WindowPlacement.h"

#include <algorithm>

namespace fendrel {
namespace {

// The banner's gap to the windows it stands beside.
constexpr int kGap = 8;

// `value` moved into [low, high]; `low` when the range is empty.
int Clamp(int value, int low, int high) {
  return std::max(low, std::min(value, high));
}

QRect PlaceBanner(const QRect& available, const QRect& pair, QSize banner) {
  const QRect candidates[] = {
      QRect(QPoint(pair.right() + 1 + kGap, pair.top()), banner),               // right of the pair
      QRect(QPoint(pair.left() - kGap - banner.width(), pair.top()), banner),   // left
      QRect(QPoint(pair.left(), pair.bottom() + 1 + kGap), banner),             // below
      QRect(QPoint(pair.left(), pair.top() - kGap - banner.height()), banner),  // above
  };
  for (QRect candidate : candidates) {
    // Sliding along the side it stands on may bring it onto the screen.
    candidate.moveLeft(
        Clamp(candidate.left(), available.left(), available.right() + 1 - banner.width()));
    candidate.moveTop(
        Clamp(candidate.top(), available.top(), available.bottom() + 1 - banner.height()));
    if (available.contains(candidate) && !candidate.intersects(pair)) return candidate;
  }
  // No free place: the main window's lower left corner, never over the help window.
  return QRect(QPoint(available.left(), available.bottom() + 1 - banner.height()), banner);
}

}  // namespace

TWindowPlacement PlaceWindows(const QRect& available, const QRect& main, QSize help, QSize banner,
                              QSize minimumMain, bool centre) {
  TWindowPlacement placement;
  const int helpWidth = help.isEmpty() ? 0 : help.width();
  // The main window as large as it is, but no larger than the room the pair leaves it.
  const int width = std::max(std::min(main.width(), available.width() - helpWidth),
                             std::min(minimumMain.width(), available.width()));
  const int height = std::max(std::min(main.height(), available.height()),
                              std::min(minimumMain.height(), available.height()));
  // Where it stood, moved only as far as the pair must move to be on the screen.
  QPoint wanted = main.topLeft();
  if (centre)
    wanted = QPoint(available.left() + (available.width() - width - helpWidth) / 2,
                    available.top() + (available.height() - height) / 2);
  const int left = Clamp(wanted.x(), available.left(), available.right() + 1 - width - helpWidth);
  const int top = Clamp(wanted.y(), available.top(), available.bottom() + 1 - height);
  placement.Main = QRect(left, top, width, height);
  if (!help.isEmpty()) {
    // On a screen too narrow for both, the help window covers the main window's right part
    // rather than leave the screen.
    const int helpLeft = std::min(placement.Main.right() + 1, available.right() + 1 - help.width());
    placement.Help = QRect(helpLeft, top, help.width(), height);
  }
  if (!banner.isEmpty())
    placement.Banner = PlaceBanner(
        available,
        placement.Help.isEmpty() ? placement.Main : placement.Main.united(placement.Help), banner);
  return placement;
}

}  // namespace fendrel

// Where the main window, the help window docked to its right edge and the banner go, so that all
// three lie on the screen's available area. The help window always stands against the main
// window's right edge; when there is no room for it there, the main window moves left (and, on
// a narrow screen, becomes narrower) rather than pushing the help window off the screen. The
// banner takes the first free place beside, below or above the pair, and covers the main window
// only when there is no other. Windows that have no place of their own yet (a first start) stand
// in the middle of the available area, the main window and the help window together.
#pragma once

#include <QRect>
#include <QSize>

namespace fendrel {

struct TWindowPlacement {
  QRect Main;    // outer frames
  QRect Help;    // empty when the help window is hidden
  QRect Banner;  // empty when there is no banner
};

// `main`, `help` and `banner` are the outer frames as they stand (a help or banner frame of
// size 0 when that window is not shown); `minimumMain` the smallest outer size of the main
// window. `centre`: the main window has no remembered place, so the pair is centred rather than
// left where the window system happened to put it.
TWindowPlacement PlaceWindows(const QRect& available, const QRect& main, QSize help, QSize banner,
                              QSize minimumMain, bool centre = false);

}  // namespace fendrel

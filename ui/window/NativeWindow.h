// Where the window system has a top-level window, in device pixels. Qt keeps the places of windows
// and their frames in logical pixels, rounded: at 150 % a window at device x = 1 is at logical 1,
// device 1.5 to Qt, and at 200 % a one-pixel border counts as one logical pixel, two device
// pixels; a window docked to another by Qt's geometry stands a pixel or two apart from it, and a
// mark meant for a control's edge misses it by one. Where the window system tells (X11: the
// window's place on the root window and the frame its window manager set in _NET_FRAME_EXTENTS),
// that is taken; elsewhere Qt's geometry at the screen's pixel ratio.
#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

namespace fendrel {

struct TNativeGeometry {
  QRect Client;    // the window's own area, without the frame
  QMargins Frame;  // what the window manager adds around it
};

TNativeGeometry NativeGeometry(const QWidget& window);

}  // namespace fendrel

// Where the guiding marks that tie a help line to the control it speaks of go on the screen, in
// the device pixels the screen overlay draws in: an outline around each, a cross on each and the
// line between the crosses.
#pragma once

#include "DevicePixels.h"

namespace fendrel {

struct TGuideMarks {
  TScreenRect Line;
  TScreenRect Control;
  QPoint From;  // the middle of the help line's left edge
  QPoint To;    // the middle of the control's top edge
};

// `line` is where the help line was drawn, in device pixels; `area` is the part of `control`
// marked, in its own coordinates (all of it unless given).
TGuideMarks GuideMarks(const TScreenRect& line, const QWidget& control);
TGuideMarks GuideMarks(const TScreenRect& line, const QWidget& control, const QRect& area);

}  // namespace fendrel

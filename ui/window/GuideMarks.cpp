#include "GuideMarks.h"

#include <QWidget>

namespace fendrel {

TGuideMarks GuideMarks(const TScreenRect& line, const QWidget& control) {
  return GuideMarks(line, control, control.rect());
}

TGuideMarks GuideMarks(const TScreenRect& line, const QWidget& control, const QRect& area) {
  TGuideMarks marks;
  marks.Line = line;
  marks.Control = DeviceRect(control, area);
  marks.From = QPoint(line.Left, (line.Top + line.Bottom) / 2);
  marks.To = QPoint((marks.Control.Left + marks.Control.Right) / 2, marks.Control.Top);
  return marks;
}

}  // namespace fendrel

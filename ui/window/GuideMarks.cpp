#include "GuideMarks.h"

#include <QWidget>

namespace fendrel {

TGuideMarks GuideMarks(const TScreenRect& line, const QWidget& control) {
  TGuideMarks marks;
  marks.Line = line;
  marks.Control = DeviceRect(control, control.rect());
  marks.From = QPoint(line.Left, (line.Top + line.Bottom) / 2);
  marks.To = QPoint((marks.Control.Left + marks.Control.Right) / 2, marks.Control.Top);
  return marks;
}

}  // namespace fendrel

// The guiding lines: each of the first two open steps in the instant-help window is tied to the
// control it speaks of by the screen overlay, with an outline around the help line and the
// control, a cross on each and a line between the crosses, in the device pixels the overlay
// draws in. While another page is shown those controls are hidden, and the lines lead to the
// tab of the "create task" page instead.
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "GuideMarks.h"
#include "InstantHelpForm.h"
#include "SnRForm.h"
#include "ui/editors/ByteMemo.h"
#include "ui/editors/MultiLineEditors.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/overlay/uZQScreenOverlay.h"

namespace fendrel {
namespace {

// Red in the lowest byte, blue in the third. The blue is a light one: pure blue vanishes on a
// dark window, and this one stands out there as well as on the help list's light rows, as much
// as the red does.
constexpr std::uint32_t kLineColours[] = {0x0000FF, 0xFF7828};

}  // namespace

void TSnRForm::DrawHelpLinesTimerTimer() {
  FDrawHelpLinesTimer.stop();
  ClearScreenOverlay();
  // Marks over another program's windows, or pointing into a hidden or minimised one, would
  // mislead.
  if (!FApplicationActive() || !FInstantHelpForm || !FInstantHelpForm->isVisible() || isMinimized())
    return;
  // The steps the help list shows, so that line k is always tied to step k's control, even if
  // an input has changed since without a refill.
  const bool multiLine = FPageControlLineMode->currentWidget() == FMultiLineTabSheet;
  const QTabBar& tabs = *FMainPageControl->tabBar();
  const int createTaskTab = FMainPageControl->indexOf(FCreateTaskTabSheet);
  const bool elsewhere = FMainPageControl->currentIndex() != createTaskTab;
  int lineIndex = -1;
  for (TWorkflowStep step : FWorkflowState.OpenSteps) {
    ++lineIndex;
    if (elsewhere) {
      PointAtArea(tabs, tabs.tabRect(createTaskTab), lineIndex);
      continue;
    }
    switch (step) {
      case TWorkflowStep::PathMissing:
        PointAtControl(FFiles.PathComboBox, lineIndex);
        PointAtControl(FFiles.SelectDirSpeedButton, lineIndex);
        break;
      case TWorkflowStep::MaskMissing:
        PointAtControl(FFiles.MaskComboBox, lineIndex);
        break;
      case TWorkflowStep::NoFilesFound:
      case TWorkflowStep::NoFileTicked:
        PointAtControl(FFiles.FileCheckListBox, lineIndex);
        break;
      case TWorkflowStep::OldStringMissing:
      case TWorkflowStep::PatternInvalid:
        PointAtControl(multiLine ? static_cast<QWidget*>(FMultiLine->MemoFromStr()) : FFromStr,
                       lineIndex);
        break;
      case TWorkflowStep::NewStringMissing:
        PointAtControl(multiLine ? static_cast<QWidget*>(FMultiLine->MemoToStr()) : FToStr,
                       lineIndex);
        break;
      case TWorkflowStep::ReadyToStart:
        PointAtControl(FSnRButton, lineIndex);
        break;
    }
  }
}

void TSnRForm::PointAtControl(const QWidget* control, int lineIndex) {
  if (control != nullptr) PointAtArea(*control, control->rect(), lineIndex);
}

void TSnRForm::PointAtArea(const QWidget& widget, const QRect& area, int lineIndex) {
  if ((lineIndex != 0 && lineIndex != 1) || !FInstantHelpForm) return;
  const TScreenRect& line =
      lineIndex == 0 ? FInstantHelpForm->FirstItemRect() : FInstantHelpForm->SecondItemRect();
  // Not drawn since the last refill: its place is unknown.
  if (line.Empty()) return;
  const std::uint32_t colour = kLineColours[lineIndex];
  const TGuideMarks marks = GuideMarks(line, widget, area);
  FScreenOverlay->Point(marks.From.x(), marks.From.y(), kOverlayCross, colour);
  FScreenOverlay->Point(marks.To.x(), marks.To.y(), kOverlayCross, colour);
  FScreenOverlay->Rectangle(marks.Control.Left, marks.Control.Top, marks.Control.Right,
                            marks.Control.Bottom, colour);
  FScreenOverlay->Rectangle(line.Left, line.Top, line.Right, line.Bottom, colour);
  FScreenOverlay->Line(marks.From.x(), marks.From.y(), marks.To.x(), marks.To.y(), colour);
}

}  // namespace fendrel

// Where the controls go: the window never gets smaller than 677 x 502, and every resize places
// the groups, the start and Stop buttons and the editors by the window's rules. Inside the groups
// the rows follow the font, so larger desktop fonts push rows apart instead of clipping them.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

#include "SnRForm.h"
#include "ui/editors/ByteMemo.h"
#include "ui/editors/MultiLineEditors.h"
#include "ui/editors/SearchOptionBoxes.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/ResultListBox.h"

namespace fendrel {
namespace {

// The space a group box's title takes above its contents.
int GroupTitleHeight(const QGroupBox* group) {
  return group->fontMetrics().height() + 6;
}

// The height of one row of check boxes on a string page.
int CheckBoxRowHeight(const QWidget* page) {
  return page->fontMetrics().height() + 10;
}

// The width of the mask box: room for a mask and its history, more when the window is wide, and
// room for its caption above it as long as the path box keeps half the group.
int MaskWidth(int groupWidth, int captionWidth) {
  const int wanted = std::max(std::clamp(groupWidth / 3, 220, 360), captionWidth);
  return std::min(wanted, std::max(220, groupWidth / 2));
}

}  // namespace

void TSnRForm::FormCanResize(int& width, int& height) {
  width = std::max(width, kMinimumWidth);
  height = std::max(height, kMinimumHeight);
}

void TSnRForm::resizeEvent(QResizeEvent* event) {
  TZQSnRMainForm::resizeEvent(event);
  // The minimum holds for the outer size; the frame is known only once the window is shown.
  const QSize frame = frameGeometry().size() - size();
  int width = 0, height = 0;
  FormCanResize(width, height);
  setMinimumSize(width - frame.width(), height - frame.height());
}

bool TSnRForm::eventFilter(QObject* watched, QEvent* event) {
  // Pages get their sizes from their tab widgets after the window's own resize, so each
  // container places its contents when it has its final size.
  if (event->type() == QEvent::Resize) {
    if (watched == FCreateTaskTabSheet)
      FormResize();
    else if (watched == FFileNameGroupBox)
      PlaceFileGroup();
    else if (watched == FStringGroupBox || watched == FSingleLineTabSheet ||
             watched == FMultiLineTabSheet)
      PlaceStringGroup();
    else if (watched == FResultTabSheet)
      FResultListBox->setGeometry(FResultTabSheet->rect());
  }
  return TZQSnRMainForm::eventFilter(watched, event);
}

void TSnRForm::FormResize() {
  const QWidget* page = FCreateTaskTabSheet;
  const int pageWidth = page->width();
  const int pageHeight = page->height();

  const QSize button = FSnRButton->sizeHint().expandedTo(QSize(280, 0));
  FSnRButton->setGeometry(pageWidth - 1 - button.width(), pageHeight - 5 - button.height(),
                          button.width(), button.height());
  // Stop stands beside the start button, the preview button to its left.
  const int stopWidth = std::max(FStopButton->sizeHint().width(), 100);
  FStopButton->setGeometry(FSnRButton->x() - 6 - stopWidth, FSnRButton->y(), stopWidth,
                           button.height());
  const int previewWidth = FPreviewButton->sizeHint().expandedTo(QSize(100, 0)).width();
  FPreviewButton->setGeometry(FStopButton->x() - 6 - previewWidth, FSnRButton->y(), previewWidth,
                              button.height());
  // The run's own option stands left of the buttons while its caption fits there, else on a row
  // of its own above them.
  const QSize keep = FKeepModificationTimeCheckBox->sizeHint();
  const bool keepBeside = 4 + keep.width() + 8 <= FPreviewButton->x();
  const int keepRow = keepBeside ? 0 : keep.height() + 4;
  FKeepModificationTimeCheckBox->setGeometry(4, FSnRButton->y() - keepRow,
                                             std::min(keep.width(), pageWidth - 8),
                                             keepBeside ? button.height() : keep.height());

  // The string group is as tall as its editors need; the file group takes the rest.
  const int frameHeight = FFromStr->sizeHint().height();
  const int tabBarHeight = FPageControlLineMode->tabBar()->sizeHint().height();
  // At least what the dual editors need; more when the window is tall, so that the memos of
  // the multi-line page show several lines.
  const int stringHeight = std::max(GroupTitleHeight(FStringGroupBox) + tabBarHeight + frameHeight +
                                        CheckBoxRowHeight(FSingleLineTabSheet) + 16,
                                    (pageHeight - button.height()) * 2 / 5);
  const int stringTop = pageHeight - stringHeight - button.height() - 10 - keepRow;
  FStringGroupBox->setGeometry(0, stringTop, pageWidth, stringHeight);
  FFileNameGroupBox->setGeometry(0, 0, pageWidth, stringTop - 3);

  PlaceFileGroup();
  PlaceStringGroup();
  // The backup page lays out its own controls by the same rules (the delete button at the
  // right edge, the list below it down to the page's bottom).
  FResultListBox->setGeometry(FResultTabSheet->rect());
}

void TSnRForm::PlaceFileGroup() {
  const TFileSelectionWidgets& w = FFiles;
  const int groupWidth = FFileNameGroupBox->width();
  const int groupHeight = FFileNameGroupBox->height();
  const int lineHeight = FFileNameGroupBox->fontMetrics().height();
  const int comboHeight = w.MaskComboBox->sizeHint().height();

  int y = GroupTitleHeight(FFileNameGroupBox);
  const int captionWidth = w.FilenameLabel->sizeHint().width();
  const int maskWidth = MaskWidth(groupWidth, captionWidth);
  const int maskLeft = groupWidth - 4 - maskWidth;
  const int buttonWidth = comboHeight;
  const int buttonLeft = maskLeft - 20 - buttonWidth;
  // A caption wider than the box (a large font in a narrow window) reaches out to the left over
  // the browse button, but never into the path's caption.
  const int pathCaptionEnd = 6 + w.PathLabel->sizeHint().width() + 12;
  const int captionLeft = std::max(std::min(maskLeft, groupWidth - 4 - captionWidth),
                                   std::min(pathCaptionEnd, maskLeft));
  w.PathLabel->setGeometry(6, y, std::min(buttonLeft, captionLeft - 6) - 6, lineHeight + 2);
  w.FilenameLabel->setGeometry(captionLeft, y, groupWidth - 4 - captionLeft, lineHeight + 2);
  y += lineHeight + 4;
  w.PathComboBox->setGeometry(6, y, buttonLeft - 4 - 6, comboHeight);
  w.SelectDirSpeedButton->setGeometry(buttonLeft, y, buttonWidth, comboHeight);
  w.MaskComboBox->setGeometry(maskLeft, y, maskWidth, comboHeight);
  y += comboHeight + 4;

  const int boxHeight =
      std::max(w.RekursivCheckBox->sizeHint().height(), w.FollowLinksCheckBox->sizeHint().height());
  w.SelectAllNoneCheckBox->setGeometry(6, y, w.SelectAllNoneCheckBox->sizeHint().width(),
                                       boxHeight);
  // The link box stands beside the recursion box under the mask while both fit there; a
  // narrow window or a large font puts it on a row of its own below, so that the status line
  // to their left keeps its room.
  // A box from `besideLeft` on the row in hand while it fits, else on a row of its own below.
  const auto secondBox = [&](QCheckBox* box, int besideLeft) {
    const int width = box->sizeHint().width();
    if (besideLeft + width > groupWidth - 4) {
      y += boxHeight + 2;
      besideLeft = std::max(6, std::min(maskLeft, groupWidth - 4 - width));
    }
    box->setGeometry(besideLeft, y, groupWidth - 4 - besideLeft, boxHeight);
  };
  const int recursiveWidth = w.RekursivCheckBox->sizeHint().width();
  const int followLeft = maskLeft + recursiveWidth + 16;
  const bool oneRow = followLeft + w.FollowLinksCheckBox->sizeHint().width() <= groupWidth - 4;
  w.RekursivCheckBox->setGeometry(maskLeft, y, oneRow ? recursiveWidth : maskWidth, boxHeight);
  const int statusLeft = 6 + w.SelectAllNoneCheckBox->sizeHint().width() + 20;
  w.FileSearchResultLabel->setGeometry(statusLeft, y, std::max(0, maskLeft - 8 - statusLeft),
                                       boxHeight);
  secondBox(w.FollowLinksCheckBox, followLeft);
  y += boxHeight + 2;
  // The boxes of what a listing leaves out, in the same way, and to their left, under the path,
  // the names to leave out: on a row of their own when the boxes leave them too little room.
  const int vcsWidth = w.IncludeVcsCheckBox->sizeHint().width();
  const int vcsLeft = std::max(6, std::min(maskLeft, groupWidth - 4 - vcsWidth));
  const int excludeCaptionWidth = w.ExcludeLabel->sizeHint().width();
  const int excludeBoxLeft = 6 + excludeCaptionWidth + 6;
  const bool excludeBeside = vcsLeft - 12 - excludeBoxLeft >= 120;
  const int excludeRight = excludeBeside ? vcsLeft - 12 : groupWidth - 4;
  w.ExcludeLabel->setGeometry(6, y, excludeCaptionWidth, comboHeight);
  w.ExcludeComboBox->setGeometry(excludeBoxLeft, y, std::max(0, excludeRight - excludeBoxLeft),
                                 comboHeight);
  const int excludeBottom = y + comboHeight + 2;
  // Beside the taller box, the check boxes stand on its middle.
  y = excludeBeside ? y + std::max(0, comboHeight - boxHeight) / 2 : excludeBottom;
  w.IncludeVcsCheckBox->setGeometry(vcsLeft, y, std::min(vcsWidth, groupWidth - 4 - vcsLeft),
                                    boxHeight);
  secondBox(w.IgnoreFilesCheckBox, vcsLeft + vcsWidth + 16);
  y = std::max(y + boxHeight + 2, excludeBottom);

  const QRect listRect(3, y, groupWidth - 6, std::max(0, groupHeight - 4 - y));
  w.FileCheckListBox->setGeometry(listRect);
  FWarrantyMemo->setGeometry(listRect);
}

void TSnRForm::PlaceStringGroup() {
  const int groupWidth = FStringGroupBox->width();
  const int top = GroupTitleHeight(FStringGroupBox);
  FPageControlLineMode->setGeometry(2, top, groupWidth - 4, FStringGroupBox->height() - top - 2);

  // Both pages share the group's width: H1 for each memo with its marker column, H2 for each
  // dual editor.
  const int h1 = (groupWidth - 20) / 2;
  const int h2 = (groupWidth - 14) / 2;

  const int frameHeight = FFromStr->sizeHint().height();
  FFromStr->setGeometry(0, 0, h2, frameHeight);
  FToStr->setGeometry(h2 + 1, 0, h2, frameHeight);

  const TSearchOptionBoxes& options = *FSearchOptions;
  auto placeBoxes = [](QCheckBox* caseBox, QCheckBox* regExpBox, int y) {
    caseBox->setGeometry(4, y, caseBox->sizeHint().width(), caseBox->sizeHint().height());
    regExpBox->setGeometry(4 + caseBox->sizeHint().width() + 24, y, regExpBox->sizeHint().width(),
                           regExpBox->sizeHint().height());
  };
  const int singleHeight = FSingleLineTabSheet->height();
  const int rowHeight = CheckBoxRowHeight(FSingleLineTabSheet);
  placeBoxes(options.CaseSensitivSingleLineCheckBox(), options.RegExpSingleLineCheckBox(),
             std::max(frameHeight + 2, singleHeight - rowHeight + 2));

  const TMultiLineEditors& multi = *FMultiLine;
  const int labelHeight = multi.OldStringLabel()->sizeHint().height();
  const int marker = multi.MarkerColumnWidth();
  const int multiHeight = FMultiLineTabSheet->height();
  const int memoTop = labelHeight + 2;
  const int memoHeight = std::max(20, multiHeight - memoTop - rowHeight);
  multi.OldStringLabel()->setGeometry(0, 0, h1, labelHeight);
  multi.MemoFromStr()->setGeometry(0, memoTop, h1 - marker, memoHeight);
  multi.MemoFromStrLinebreaks()->setGeometry(h1 - marker, memoTop, marker, memoHeight);
  multi.NewStringLabel()->setGeometry(h1 + 6, 0, h1, labelHeight);
  multi.MemoToStr()->setGeometry(h1 + 6, memoTop, h1 - marker, memoHeight);
  multi.MemoToStrLinebreaks()->setGeometry(h1 + 6 + h1 - marker, memoTop, marker, memoHeight);
  placeBoxes(options.CaseSensitivMultiLineCheckBox(), options.RegExpMultiLineCheckBox(),
             memoTop + memoHeight + 2);
}

}  // namespace fendrel

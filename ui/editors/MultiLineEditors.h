// The multi-line page's strings: the old and the new string as memos, each with a narrow
// column beside it that marks the line breaks belonging to the string.
//
// A marker stands beside every line in view that ends in a break of the string (every line but
// the last; a break at the very end belongs to no line). The columns are rebuilt after every
// change and key release in a memo and, for both memos, every 500 ms, which catches scrolling.
// The widgets are made in the page the caller gives; the caller places them.
#pragma once

#include <QObject>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QTimer;
class QWidget;

namespace fendrel {

class TByteMemo;

class TMultiLineEditors : public QObject {
  Q_OBJECT

 public:
  // The width of a marker column, in pixels: a marker in the column's font with the column's
  // margins, at least 17.
  int MarkerColumnWidth() const;
  // The period of the column refresh, in milliseconds.
  static constexpr int kRefreshInterval = 500;

  explicit TMultiLineEditors(QWidget* page);

  // The lines of each memo in the code page (SplitMemoLines' rules).
  std::vector<std::string> FromLines() const;
  std::vector<std::string> ToLines() const;
  // Both memos emptied.
  void Clear();

  // The number of markers beside a memo of `lineCount` lines whose first line in view has the
  // index `firstVisibleLine`.
  static int MarkerCount(int lineCount, int firstVisibleLine);
  // Rebuilds both marker columns.
  void SynchronizeLineBreakMemos();

  QLabel* OldStringLabel() const { return FOldStringLabel; }
  QLabel* NewStringLabel() const { return FNewStringLabel; }
  TByteMemo* MemoFromStr() const { return FMemoFromStr; }
  TByteMemo* MemoToStr() const { return FMemoToStr; }
  QPlainTextEdit* MemoFromStrLinebreaks() const { return FMemoFromStrLinebreaks; }
  QPlainTextEdit* MemoToStrLinebreaks() const { return FMemoToStrLinebreaks; }
  QTimer* SynchronizeLineBreakMemosTimer() const { return FSynchronizeLineBreakMemosTimer; }

 signals:
  // The text of either memo changed (the markers are rebuilt right after).
  void Changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static void RefreshMarkers(const TByteMemo* memo, QPlainTextEdit* markers);
  static QPlainTextEdit* MakeMarkerColumn(QWidget* page, const QString& name);
  // Blue on a light background, a light blue on a dark one.
  static void ColourMarkers(QPlainTextEdit* markers);

  QLabel* FOldStringLabel;
  QLabel* FNewStringLabel;
  TByteMemo* FMemoFromStr;
  TByteMemo* FMemoToStr;
  QPlainTextEdit* FMemoFromStrLinebreaks;
  QPlainTextEdit* FMemoToStrLinebreaks;
  QTimer* FSynchronizeLineBreakMemosTimer;
};

}  // namespace fendrel

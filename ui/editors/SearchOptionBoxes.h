// The search options "case sensitive search" and "regular expression", shown once on the
// single-line page and once on the multi-line page. The two options exclude each other, and
// each box keeps its twin on the other page in the same state, whether the user or the program
// changed it.
#pragma once

#include <QObject>

#include "engine/SnRTast.h"

class QCheckBox;
class QWidget;

namespace fendrel {

class TSearchOptionBoxes : public QObject {
  Q_OBJECT

 public:
  // Makes the four boxes in the two pages: "case sensitive search" ticked, "regular
  // expression" unticked.
  TSearchOptionBoxes(QWidget* singleLinePage, QWidget* multiLinePage);

  // The search mode of a run: a regular expression when that box is ticked, otherwise case
  // sensitive or not as its box says.
  TSearchMode SearchMode() const;

  QCheckBox* CaseSensitivSingleLineCheckBox() const { return FCaseSensitivSingleLine; }
  QCheckBox* RegExpSingleLineCheckBox() const { return FRegExpSingleLine; }
  QCheckBox* CaseSensitivMultiLineCheckBox() const { return FCaseSensitivMultiLine; }
  QCheckBox* RegExpMultiLineCheckBox() const { return FRegExpMultiLine; }

 signals:
  // The options changed (once per user click, after both pages agree again).
  void Changed();

 private:
  void BoxToggled(QCheckBox* box, bool checked);

  QCheckBox* FCaseSensitivSingleLine;
  QCheckBox* FRegExpSingleLine;
  QCheckBox* FCaseSensitivMultiLine;
  QCheckBox* FRegExpMultiLine;
  // How deep the toggle handlers are nested; Changed is raised when the outermost one ends.
  int FDepth = 0;
};

}  // namespace fendrel

#include "SearchOptionBoxes.h"

#include <QCheckBox>

namespace fendrel {
namespace {

QCheckBox* MakeBox(QWidget* page, const char* name, const QString& caption, bool checked) {
  auto* box = new QCheckBox(caption, page);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  return box;
}

}  // namespace

TSearchOptionBoxes::TSearchOptionBoxes(QWidget* singleLinePage, QWidget* multiLinePage)
    : QObject(singleLinePage),
      FCaseSensitivSingleLine(MakeBox(singleLinePage, "CaseSensitivSingleLineCheckBox",
                                      QStringLiteral("case sensitive search"), true)),
      FRegExpSingleLine(MakeBox(singleLinePage, "RegExpSingleLineCheckBox",
                                QStringLiteral("regular expression"), false)),
      FCaseSensitivMultiLine(MakeBox(multiLinePage, "CaseSensitivMultiLineCheckBox",
                                     QStringLiteral("case sensitive search"), true)),
      FRegExpMultiLine(MakeBox(multiLinePage, "RegExpMultiLineCheckBox",
                               QStringLiteral("regular expression"), false)) {
  // toggled, not clicked: a box set by the program must pull its twin along too, and a box
  // whose state does not change raises nothing, which is what ends the chain.
  for (QCheckBox* box :
       {FCaseSensitivSingleLine, FRegExpSingleLine, FCaseSensitivMultiLine, FRegExpMultiLine}) {
    connect(box, &QCheckBox::toggled, this,
            [this, box](bool checked) { BoxToggled(box, checked); });
  }
}

TSearchMode TSearchOptionBoxes::SearchMode() const {
  if (FRegExpSingleLine->isChecked()) return smRegExpr;
  return FCaseSensitivSingleLine->isChecked() ? smCaseSensitive : smIgnoreCase;
}

void TSearchOptionBoxes::BoxToggled(QCheckBox* box, bool checked) {
  ++FDepth;
  const bool caseBox = box == FCaseSensitivSingleLine || box == FCaseSensitivMultiLine;
  if (checked) {
    // The two options exclude each other.
    if (caseBox) {
      FRegExpSingleLine->setChecked(false);
      FRegExpMultiLine->setChecked(false);
    } else {
      FCaseSensitivSingleLine->setChecked(false);
      FCaseSensitivMultiLine->setChecked(false);
    }
  }
  QCheckBox* twin = box == FCaseSensitivSingleLine  ? FCaseSensitivMultiLine
                    : box == FCaseSensitivMultiLine ? FCaseSensitivSingleLine
                    : box == FRegExpSingleLine      ? FRegExpMultiLine
                                                    : FRegExpSingleLine;
  twin->setChecked(checked);
  if (--FDepth == 0) emit Changed();
}

}  // namespace fendrel

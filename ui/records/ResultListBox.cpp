#include "ResultListBox.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace fendrel {

TResultListBox::TResultListBox(QWidget* parent)
    : QListView(parent), FModel(new TResultListModel(this)) {
  setObjectName("ResultListBox");
  setModel(FModel);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  // Every row has the size of the widest entry so far (the font is fixed-pitch), so the view
  // measures no row by itself: a log of 800,000 entries lays out as fast as one of 8, and the
  // horizontal range still follows the widest entry.
  const QFontMetrics metrics(font());
  FModel->SetRowMetrics(metrics.horizontalAdvance(QLatin1Char('M')), metrics.height() + 2,
                        2 * metrics.horizontalAdvance(QLatin1Char(' ')));
  setUniformItemSizes(true);
  setWordWrap(false);
  connect(FModel, &TResultListModel::WidestEntryGrew, this, [this] { doItemsLayout(); });
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

}  // namespace fendrel

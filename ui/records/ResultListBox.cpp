#include "ResultListBox.h"

#include <QFontDatabase>

namespace fendrel {

TResultListBox::TResultListBox(QWidget* parent)
    : QListView(parent), FModel(new TResultListModel(this)) {
  setObjectName("ResultListBox");
  setModel(FModel);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  // Rows are measured one by one (not uniformly), so the horizontal range follows the widest
  // entry; batches keep a long log from stalling the window while it is laid out.
  setUniformItemSizes(false);
  setWordWrap(false);
  setLayoutMode(QListView::Batched);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

}  // namespace fendrel

// ResultListBox: the result page's list, in a fixed-pitch font, scrolling sideways as far as its
// widest entry reaches. It owns the model that holds the result log.
#pragma once

#include <QListView>

#include "ResultListModel.h"

namespace fendrel {

class TResultListBox : public QListView {
  Q_OBJECT

 public:
  explicit TResultListBox(QWidget* parent = nullptr);

  TResultListModel& Model() { return *FModel; }
  const TResultListModel& Model() const { return *FModel; }

 private:
  TResultListModel* FModel;
};

}  // namespace fendrel

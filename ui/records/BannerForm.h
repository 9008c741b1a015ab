// The banner window: a small note on Fendrel Pairs, our companion tool for comparing two
// folders, with a link and an OK button that closes it. Created once at start-up and shown beside
// the main window when that is first shown.
#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;

namespace fendrel {

class TBannerForm : public QDialog {
  Q_OBJECT

 public:
  explicit TBannerForm(QWidget* parent = nullptr);

  // 0 German, 1 English, -1 the language file's texts where it holds them and English elsewhere
  // (the catalogue's texts); any other value changes nothing.
  void SetCurrentLanguage(int32_t language);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // As high as its texts need at its fixed width.
  void FitHeight();

  QLabel* FTitleLabel;
  QLabel* FNoteLabel;
  QLabel* FLinkLabel;
  QPushButton* FOKButton;
};

}  // namespace fendrel

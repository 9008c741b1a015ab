// The About window: program name and version, a dedication, a link to the home page and an OK
// button. Created once at start-up and shown modally from the Help menu.
#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;

namespace fendrel {

class TSnRAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TSnRAboutForm(QWidget* parent = nullptr);

  // 0 German, 1 English, -1 the language file's texts where it holds them and English elsewhere
  // (the catalogue's texts); any other value changes nothing.
  void SetCurrentLanguage(int32_t language);

 private:
  QLabel* FProgramNameLabel;
  QLabel* FVersionLabel;
  QLabel* FDedicationLabel;
  QLabel* FHomepageLabel;
  QPushButton* FOKButton;
};

}  // namespace fendrel

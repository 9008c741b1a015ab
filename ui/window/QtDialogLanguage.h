// The texts of Qt's own dialogs and controls (the buttons of a question box, an editor's context
// menu) in the program's language: with German, Qt's German catalogue is installed on the
// application; with any other language none is, and Qt's built-in English shows.
#pragma once

#include <QString>
#include <QTranslator>

#include "ZQSnRMainForm.h"

namespace fendrel {

class TQtDialogLanguage : public TLanguageAware {
 public:
  // Joins the language changes and applies the current language. `directory` holds Qt's
  // catalogues ("qtbase_de.qm"); the default is Qt's own translations folder.
  explicit TQtDialogLanguage(const QString& directory = QtTranslationsDirectory());
  ~TQtDialogLanguage() override;
  TQtDialogLanguage(const TQtDialogLanguage&) = delete;
  TQtDialogLanguage& operator=(const TQtDialogLanguage&) = delete;

  void SetCurrentLanguage() override;
  // Whether Qt's German catalogue is in use.
  bool Installed() const { return FInstalled; }

  static QString QtTranslationsDirectory();

 private:
  QString FDirectory;
  QTranslator FTranslator;
  bool FLoaded = false;
  bool FInstalled = false;
};

}  // namespace fendrel

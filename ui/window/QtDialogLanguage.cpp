#include "QtDialogLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace fendrel {

TQtDialogLanguage::TQtDialogLanguage(const QString& directory) : FDirectory(directory) {
  AddLanguageWindow(this);
  SetCurrentLanguage();
}

TQtDialogLanguage::~TQtDialogLanguage() {
  RemoveLanguageWindow(this);
  if (FInstalled) QCoreApplication::removeTranslator(&FTranslator);
}

QString TQtDialogLanguage::QtTranslationsDirectory() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void TQtDialogLanguage::SetCurrentLanguage() {
  const bool german = TZQSnRMainForm::CurrentLanguage() == kGerman;
  if (german && !FInstalled) {
    // Read once, at the first switch to German. Without the catalogue (the translations are
    // not installed) Qt's English stays: the program's own texts are German all the same.
    if (!FLoaded) FLoaded = FTranslator.load(QStringLiteral("qtbase_de"), FDirectory);
    if (FLoaded) FInstalled = QCoreApplication::installTranslator(&FTranslator);
  } else if (!german && FInstalled) {
    QCoreApplication::removeTranslator(&FTranslator);
    FInstalled = false;
  }
}

}  // namespace fendrel

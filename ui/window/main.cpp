// The desktop program: answers --version without a window, otherwise fixes the locations and the
// language before any window exists, creates the windows in their order and runs until the main
// window closes.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "FendrelVersion.h"
#include "InstantHelpForm.h"
#include "QtDialogLanguage.h"
#include "SnRForm.h"
#include "WindowTitle.h"
#include "container/fileinst.h"
#include "engine/RegExprCaseFlip.h"
#include "platform/CodePage.h"
#include "settings/Locations.h"
#include "ui/files/ChoseDirectoryForm.h"
#include "ui/files/QtWindowThreadDispatcher.h"
#include "ui/records/BannerForm.h"
#include "ui/records/SnRAboutForm.h"

int main(int argc, char* argv[]) {
  // Answered before the locale, the carried files or Qt are touched, so that it needs no display
  // and creates no window.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("fendrel %s\n", fendrel::kFendrelVersion);
    return 0;
  }
  const bool localeLoaded = std::setlocale(LC_ALL, "") != nullptr;
  fendrel::SelectCaseTable(fendrel::CaseTableFromLocale(localeLoaded));
  // Regular expressions fold letters by the same table as the literal search.
  fendrel::InstallRegExprCaseFlip();
  // What the executable carries is listed once, before any window needs it.
  fendrel::ReadContainerDirectory();
  QApplication app(argc, argv);
  QApplication::setApplicationName(fendrel::kApplicationTitle);
  // The scan's hand-overs run on this thread's event loop.
  fendrel::TQtWindowThreadDispatcher dispatcher;
  fendrel::TZQSnRMainForm::InitLanguageUnit(fendrel::ProgramLocations());
  // Qt's own dialogs follow the language from the start and through every change.
  fendrel::TQtDialogLanguage dialogLanguage;

  // The windows live until the program ends; the chooser is made first only because the main
  // window's file selection keeps it from the start. Window-less parents keep them top-level.
  fendrel::TChoseDirectoryForm chooser;
  fendrel::TSnRForm form(&chooser);
  fendrel::TInstantHelpForm help(&form);
  form.SetInstantHelpForm(&help);
  fendrel::TBannerForm banner(&form);
  form.SetBannerForm(&banner);
  fendrel::TSnRAboutForm about(&form);
  form.SetAboutForm(&about);

  form.show();
  return app.exec();
}

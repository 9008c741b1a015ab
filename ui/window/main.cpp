// The desktop program: answers --version and --help without a window, otherwise chooses the
// window system, fixes the locations and the language before any window exists, creates the
// windows in their order and runs until the main window closes.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FendrelVersion.h"
#include "InstantHelpForm.h"
#include "QtDialogLanguage.h"
#include "SessionPlatform.h"
#include "SnRForm.h"
#include "WindowTitle.h"
#include "container/fileinst.h"
#include "engine/RegExprCaseFlip.h"
#include "platform/CodePage.h"
#include "settings/Locations.h"
#include "ui/files/ChoseDirectoryForm.h"
#include "ui/files/QtWindowThreadDispatcher.h"
#include "ui/overlay/uZQScreenOverlay.h"
#include "ui/records/BannerForm.h"
#include "ui/records/SnRAboutForm.h"

namespace {

constexpr const char* kUsage =
    "Usage: fendrel [OPTION]...\n"
    "Replaces text and binary data in many files at once, in a window.\n"
    "\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Options of the window system (Qt), among others:\n"
    "  -platform NAME      run on the platform NAME: xcb (X11), wayland, offscreen, ...\n"
    "  -display DISPLAY    the X display to use (xcb)\n"
    "  -style STYLE        the look of the controls, such as Fusion\n"
    "  -reverse            lay the window out from right to left\n"
    "\n"
    "Options, histories and lists are kept in ~/.config/Fendrel/.\n"
    "The command line program is fendrel-cli.\n";

// The command line handed to Qt: the program's own, with "-platform NAME" added when the program
// chose the platform.
struct TQtArguments {
  TQtArguments(int argc, char* argv[], const std::string& platform) {
    for (int index = 0; index < argc; ++index) {
      Texts.emplace_back(argv[index]);
      if (index == 0 && !platform.empty()) Texts.insert(Texts.end(), {"-platform", platform});
    }
    for (std::string& text : Texts)
      Pointers.push_back(text.data());
    Pointers.push_back(nullptr);
    Count = static_cast<int>(Texts.size());
  }
  std::vector<std::string> Texts;
  std::vector<char*> Pointers;
  int Count = 0;  // Qt takes away the options it consumed
};

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before the locale, the carried files or Qt are touched, so that they need no display
  // and create no window.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("fendrel %s\n", fendrel::kFendrelVersion);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const bool localeLoaded = std::setlocale(LC_ALL, "") != nullptr;
  fendrel::SelectCaseTable(fendrel::CaseTableFromLocale(localeLoaded));
  // Regular expressions fold letters by the same table as the literal search.
  fendrel::InstallRegExprCaseFlip();
  // What the executable carries is listed once, before any window needs it.
  fendrel::ReadContainerDirectory();
  // Chosen before the application object, which connects to the window system.
  const fendrel::TSessionPlatform session =
      fendrel::ChooseSessionPlatform(fendrel::CurrentSessionEnvironment(argc, argv));
  TQtArguments arguments(argc, argv, session.Platform);
  QApplication app(arguments.Count, arguments.Pointers.data());
  QApplication::setApplicationName(fendrel::kApplicationTitle);
  // The scan's hand-overs run on this thread's event loop.
  fendrel::TQtWindowThreadDispatcher dispatcher;
  fendrel::TZQSnRMainForm::InitLanguageUnit(fendrel::ProgramLocations());
  // Qt's own dialogs follow the language from the start and through every change.
  fendrel::TQtDialogLanguage dialogLanguage;
  // Where the windows' places are unknown, the guiding lines would point beside the controls: no
  // overlay library is loaded at all.
  const fendrel::TScreenOverlayLibrary noOverlay({});

  // The windows live until the program ends; the chooser is made first only because the main
  // window's file selection keeps it from the start. Window-less parents keep them top-level.
  fendrel::TChoseDirectoryForm chooser;
  fendrel::TSnRForm form(&chooser, session.GuidingLines ? nullptr : &noOverlay);
  fendrel::TInstantHelpForm help(&form);
  form.SetInstantHelpForm(&help);
  fendrel::TBannerForm banner(&form);
  form.SetBannerForm(&banner);
  fendrel::TSnRAboutForm about(&form);
  form.SetAboutForm(&about);

  form.show();
  if (!session.GuidingLines) form.TellNoGuidingLines();
  return app.exec();
}

// The buttons of Qt's own boxes speak the program's language, and follow it when it changes.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "WindowTestSupport.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/window/QtDialogLanguage.h"

namespace fendrel::test {
namespace {

using TQtDialogs = TWindowTest;

QString ButtonText(const QMessageBox& box, QMessageBox::StandardButton which) {
  const QAbstractButton* button = box.button(which);
  return button ? button->text().remove('&') : QString();
}

// The buttons of the quit question the window shows, as "Yes/No/Cancel"; the box is answered
// with Cancel, so the window stays.
QString QuitQuestionButtons(TSnRForm& form) {
  QString buttons;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&poll, &buttons] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    poll.stop();
    buttons = ButtonText(*box, QMessageBox::Yes) + "/" + ButtonText(*box, QMessageBox::No) + "/" +
              ButtonText(*box, QMessageBox::Cancel);
    box->button(QMessageBox::Cancel)->click();
  });
  poll.start(10);
  EXPECT_FALSE(form.FormCloseQuery());
  return buttons;
}

TEST_F(TQtDialogs, QuitQuestionButtonsFollowTheLanguage) {
  FProgramQuitQuestion = true;
  const QString missing = QString::fromStdString(FDir / "no-translations");
  struct TStep {
    const char* Catalogues;  // "qt": Qt's translations folder
    int32_t Language;
    const char* Buttons;
  };
  // One catalogue holder per folder, switched as the user switches the language.
  const TStep steps[] = {
      {"qt", kGerman, "Ja/Nein/Abbrechen"},
      {"qt", kEnglish, "Yes/No/Cancel"},
      {"qt", kGerman, "Ja/Nein/Abbrechen"},
      // Without Qt's catalogue the buttons stay English, and nothing is said.
      {"missing", kGerman, "Yes/No/Cancel"},
  };
  std::unique_ptr<TQtDialogLanguage> dialogs;
  std::string folder;
  for (const TStep& step : steps) {
    if (folder != step.Catalogues) {
      dialogs.reset();
      folder = step.Catalogues;
      dialogs = std::make_unique<TQtDialogLanguage>(
          folder == "qt" ? TQtDialogLanguage::QtTranslationsDirectory() : missing);
    }
    TZQSnRMainForm::ChangeLanguage(step.Language);
    FForm.reset();
    ListFiles({FDir / "missing"});
    TickAll();
    Form().CombiEditCharHexFrameFromStr()->SetBytes("a");
    Form().Worker().TaskList().Hold();  // the task waits until the question is answered
    Form().SnRButtonClick();
    EXPECT_EQ(QuitQuestionButtons(Form()).toStdString(), step.Buttons)
        << folder << " " << step.Language;
  }
  EXPECT_TRUE(FNotices.empty());
}

}  // namespace
}  // namespace fendrel::test

// Language files applied to windows: which entries reach which components, what counts as
// missing, which components the walk leaves alone, and when the main window applies the file.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>

#include "WindowTestSupport.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/records/BannerForm.h"
#include "ui/records/SnRAboutForm.h"
#include "ui/window/InstantHelpForm.h"
#include "ui/window/TranslateComponent.h"
#include "ui/window/WindowTitle.h"

namespace fendrel::test {
namespace {

template <typename T>
T* Named(T* component, const char* name) {
  component->setObjectName(QString::fromLatin1(name));
  return component;
}

// A window with one component of each kind a language file reaches.
struct TSampleForm {
  TSampleForm() {
    Window.setObjectName("SampleForm");
    Window.setWindowTitle("Sample");
    auto* central = new QWidget(&Window);
    auto* layout = new QVBoxLayout(central);
    Window.setCentralWidget(central);
    Label = Named(new QLabel("&Path", central), "PathLabel");
    Button = Named(new QPushButton("Start", central), "StartButton");
    Group = Named(new QGroupBox("Mode", central), "ModeGroup");
    Radio0 = Named(new QRadioButton("one", Group), "OneRadio");
    Radio1 = Named(new QRadioButton("two", Group), "TwoRadio");
    Combo = Named(new QComboBox(central), "KindCombo");
    Combo->addItems({"a", "b", "c"});
    Memo = Named(new QPlainTextEdit("old text", central), "InfoMemo");
    UntranslatedMemo = Named(new QPlainTextEdit("old text", central), "UntranslatedMemo");
    Tabs = Named(new QTabWidget(central), "PageControl");
    Page = Named(new QWidget, "ResultTabSheet");
    Tabs->addTab(Page, "result");
    Frame = Named(new TCombiEditCharHexFrame(central), "FromStrFrame");
    for (QWidget* w : std::initializer_list<QWidget*>{Label, Button, Group, Combo, Memo,
                                                      UntranslatedMemo, Tabs, Frame})
      layout->addWidget(w);
    Menu = Named(Window.menuBar()->addMenu("File"), "File1");
    Open = Named(Menu->addAction("Open"), "Open1");
    Separator = Named(Menu->addSeparator(), "N1");
    Exit = Named(Menu->addAction("Exit"), "Exit1");
  }

  QMainWindow Window;
  QLabel* Label;
  QPushButton* Button;
  QGroupBox* Group;
  QRadioButton* Radio0;
  QRadioButton* Radio1;
  QComboBox* Combo;
  QPlainTextEdit* Memo;
  QPlainTextEdit* UntranslatedMemo;
  QTabWidget* Tabs;
  QWidget* Page;
  TCombiEditCharHexFrame* Frame;
  QMenu* Menu;
  QAction* Open;
  QAction* Separator;
  QAction* Exit;
};

TEST(TranslateFromFile, EachKindTakesItsEntriesAndKeepsItsTextWhereMissing) {
  TTempDir dir;
  const std::string file = dir / "Language.test";
  WriteFile(file,
            "[Generel]\nLanguageName=test\n"
            "[OtherForm]\nStartButton.Caption=wrong window\n"
            "[SampleForm]\n"
            "SampleForm.Caption=Probe\n"
            "PathLabel.Caption=XXX\nPathLabel.Hint=Where to look\n"
            "StartButton.Caption=Los\n"
            "ModeGroup.Caption=Art\nModeGroup.Caption.Item.1=zwei\n"
            "KindCombo.Caption.Item.0=XXX\nKindCombo.Caption.Item.1=B\n"
            "KindCombo.Caption.Item.3=beyond the items\n"
            "InfoMemo.Caption.Line.0=first\nInfoMemo.Caption.Line.1=second\n"
            "InfoMemo.Caption.Line.3=after a gap\n"
            "ResultTabSheet.Caption=Ergebnis\nResultTabSheet.Hint=What happened\n"
            "FromStrFrame.Hint=the frame itself\nTitelLabel.Caption=inside the frame\n"
            "File1.Caption=Datei\nOpen1.Caption=XXX\nN1.Caption=not a separator\n"
            "Exit1.Caption=Beenden\nExit1.Hint=menu items take no hint\n");
  TSampleForm form;
  TranslateFromFile(form.Window, file);

  const auto titel = form.Frame->findChild<QLabel*>("TitelLabel");
  ASSERT_NE(titel, nullptr);
  const std::pair<const char*, std::function<QString()>> cases[] = {
      {"Probe", [&] { return form.Window.windowTitle(); }},
      {"&Path", [&] { return form.Label->text(); }},
      {"Where to look", [&] { return form.Label->toolTip(); }},
      {"Los", [&] { return form.Button->text(); }},
      {"", [&] { return form.Button->toolTip(); }},
      {"Art", [&] { return form.Group->title(); }},
      {"one", [&] { return form.Radio0->text(); }},
      {"zwei", [&] { return form.Radio1->text(); }},
      {"a|B|c",
       [&] {
         return form.Combo->itemText(0) + "|" + form.Combo->itemText(1) + "|" +
                form.Combo->itemText(2);
       }},
      {"3", [&] { return QString::number(form.Combo->count()); }},
      {"first\nsecond", [&] { return form.Memo->toPlainText(); }},
      {"old text", [&] { return form.UntranslatedMemo->toPlainText(); }},
      {"Ergebnis", [&] { return form.Tabs->tabText(0); }},
      {"What happened", [&] { return form.Page->toolTip(); }},
      {"the frame itself", [&] { return form.Frame->toolTip(); }},
      {"Titel", [&] { return titel->text(); }},
      {"Datei", [&] { return form.Menu->title(); }},
      {"Open", [&] { return form.Open->text(); }},
      {"", [&] { return form.Separator->text(); }},
      {"Beenden", [&] { return form.Exit->text(); }},
      // An action's tooltip follows its text unless a hint is set.
      {"Beenden", [&] { return form.Exit->toolTip(); }},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(cases[i].second().toStdString(), cases[i].first) << "case " << i;
  EXPECT_TRUE(form.Separator->isSeparator());
}

TEST(TranslateFromFile, AMissingFileChangesNothing) {
  TTempDir dir;
  TSampleForm form;
  TranslateFromFile(form.Window, dir / "Language.absent");
  EXPECT_EQ(form.Label->text(), "&Path");
  EXPECT_EQ(form.Memo->toPlainText(), "old text");
  EXPECT_EQ(form.Exit->text(), "Exit");
}

class TMainWindowLanguageFile : public TWindowTest {
 protected:
  void WriteLanguageFile(const std::string& name) {
    WriteFile(DataDirectory() + name,
              "[Generel]\nLanguageName=test\n"
              "[SnRForm]\nSnRButton.Caption=Los\nSnRButton.Hint=Startet den Lauf\n");
  }
};

TEST_F(TMainWindowLanguageFile, AtConstructionTheHintComesFromTheFileWhileTheCaptionStaysEnglish) {
  WriteLanguageFile("Language.test");
  WriteFile(SettingsFile(), "[Generel]\nSprache=-1\nSprachdatei=Language.test\n");
  TZQSnRMainForm::InitLanguageUnit(FLocations);
  EXPECT_EQ(Form().SnRButton()->toolTip(), "Startet den Lauf");
  EXPECT_EQ(Form().SnRButton()->text(), "Search&&&Replace Strings in Selected Files");
}

TEST_F(TMainWindowLanguageFile, OnlyAChangeToTheLanguageFileAppliesIt) {
  // An English start uses the file of language 1, which is read only once -1 is chosen.
  WriteLanguageFile("Translate.Sprache.1");
  EXPECT_EQ(Form().SnRButton()->toolTip(), "");
  TZQSnRMainForm::ChangeLanguage(0);
  EXPECT_EQ(Form().SnRButton()->toolTip(), "");
  TZQSnRMainForm::ChangeLanguage(kLanguageFromFile);
  EXPECT_EQ(Form().SnRButton()->toolTip(), "Startet den Lauf");
  EXPECT_EQ(Form().SnRButton()->text(), "Search&&&Replace Strings in Selected Files");
}

TEST_F(TMainWindowLanguageFile, EveryWindowReadsItsOwnSection) {
  WriteFile(DataDirectory() + "Language.test",
            "[Generel]\nLanguageName=test\n"
            "[BannerForm]\nOKButton.Hint=Schliesst den Hinweis\n"
            "[SnRAboutForm]\nHomepageLabel.Hint=Zur Heimseite\n"
            "[InstantHelpForm]\nHelpListBox.Hint=Offene Schritte\n");
  WriteFile(SettingsFile(), "[Generel]\nSprache=-1\nSprachdatei=Language.test\n");
  TZQSnRMainForm::InitLanguageUnit(FLocations);
  TBannerForm banner(&Form());
  Form().SetBannerForm(&banner);
  TSnRAboutForm about(&Form());
  Form().SetAboutForm(&about);
  TInstantHelpForm help(&Form());
  const std::pair<QWidget*, const char*> cases[] = {
      {banner.findChild<QWidget*>("OKButton"), "Schliesst den Hinweis"},
      {about.findChild<QWidget*>("HomepageLabel"), "Zur Heimseite"},
      {help.HelpListBox(), "Offene Schritte"},
  };
  for (const auto& [component, hint] : cases) {
    ASSERT_NE(component, nullptr) << hint;
    EXPECT_EQ(component->toolTip().toStdString(), hint);
  }
  // The captions the windows set themselves stay English.
  EXPECT_EQ(help.windowTitle(), "Help");
}

// The section "Texts" carries what the windows set themselves: its texts replace the English
// ones, every other text stays English, and the window sections keep their meaning.
TEST_F(TMainWindowLanguageFile, TheTextsSectionTranslatesWhatTheWindowsSetThemselves) {
  const std::string file =
      "[Generel]\nLanguageName=test\n"
      "[SnRForm]\nSnRButton.Caption=Los\nSnRButton.Hint=Startet den Lauf\n"
      "[Texts]\nStartButton=&Rechercher\nTitleTasksQueued=%1 en attente\n"
      "StepPathMissing=chemin ?\nHelpWindowTitle=Aide\n";
  WriteFile(DataDirectory() + "Language.test", file);
  WriteFile(DataDirectory() + "Translate.Sprache.1", file);
  const struct {
    int32_t Language;
    const char* Start;
    const char* Path;
    const char* Title;
    const char* HelpLine;
    const char* HelpTitle;
  } cases[] = {
      {kLanguageFromFile, "&Rechercher", "&Path", "Fendrel 2.0 - 3 en attente", "chemin ?", "Aide"},
      {kGerman, "Search&&&Replace durchführen ", "&Pfad", "Fendrel 2.0 - 3 Aufgaben abzuarbeiten",
       "Bitte geben Sie den Pfad ein, in dem nach den Dateien gesucht werden soll.", "Hilfe"},
      {kEnglish, "Search&&&Replace Strings in Selected Files", "&Path",
       "Fendrel 2.0 - 3 tasks in queue",
       "please insert the path in which to search for the files in the path text field", "Help"},
      {kLanguageFromFile, "&Rechercher", "&Path", "Fendrel 2.0 - 3 en attente", "chemin ?", "Aide"},
  };
  // A start with the file, and an English start whose file comes into use by a change.
  for (const char* settings : {"Sprache=-1\nSprachdatei=Language.test\n", "Sprache=1\n"}) {
    SCOPED_TRACE(settings);
    WriteFile(SettingsFile(), std::string("[Generel]\n") + settings);
    TZQSnRMainForm::InitLanguageUnit(FLocations);
    {
      TInstantHelpForm help(&Form());
      Form().SetInstantHelpForm(&help);
      for (const auto& c : cases) {
        SCOPED_TRACE(c.Language);
        if (c.Language != TZQSnRMainForm::CurrentLanguage())
          TZQSnRMainForm::ChangeLanguage(c.Language);
        EXPECT_EQ(Form().SnRButton()->text().toStdString(), c.Start);
        EXPECT_EQ(Form().FileWidgets().PathLabel->text().toStdString(), c.Path);
        EXPECT_EQ(WindowTitle(3, c.Language), c.Title);
        EXPECT_EQ(help.HelpListBox()->item(0)->text().toStdString(), c.HelpLine);
        EXPECT_EQ(help.windowTitle().toStdString(), c.HelpTitle);
      }
      // The hint still comes from the window's section.
      EXPECT_EQ(Form().SnRButton()->toolTip(), "Startet den Lauf");
      Form().SetInstantHelpForm(nullptr);
    }
    FForm.reset();
  }
}

}  // namespace
}  // namespace fendrel::test

// The main window: queueing runs, the title count, the worker's reports in the result list, the
// close request with its question and the files it writes, the built-in texts and the size.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>

#include <set>

#include "WindowTestSupport.h"
#include "engine/RunBuilder.h"
#include "settings/Iniregi.h"
#include "ui/editors/ByteMemo.h"
#include "ui/editors/MultiLineEditors.h"
#include "ui/editors/SearchOptionBoxes.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/ChoseDirectoryForm.h"
#include "ui/files/FileSelectionWidgets.h"
#include "ui/records/ResultListBox.h"
#include "ui/records/SnRAboutForm.h"
#include "ui/window/InstantHelpForm.h"
#include "ui/window/MainFormTexts.h"

namespace fendrel::test {
namespace {

using TMainWindow = TWindowTest;

TEST_F(TMainWindow, MultiLineRunQueuesThreeTasksPerFileCrLfFirstAndUnticks) {
  ListFiles({"/d/one.txt", "/d/two.txt"});
  TickAll();
  Form().PageControlLineMode()->setCurrentIndex(1);
  Form().MultiLine().MemoFromStr()->setPlainText("a\nb");
  Form().MultiLine().MemoToStr()->setPlainText("x");
  TTaskQueue& queue = Form().Worker().TaskList();
  queue.Hold();  // keeps the tasks queued for inspection
  Form().SnRButtonClick();

  EXPECT_EQ(Title(), "Fendrel 2.0 - 6 tasks in queue");
  EXPECT_EQ(Form().CountCheckedFiles(), 0);
  const std::pair<const char*, const char*> expected[] = {
      {"/d/one.txt", "a\r\nb"}, {"/d/one.txt", "a\nb"}, {"/d/one.txt", "a\rb"},
      {"/d/two.txt", "a\r\nb"}, {"/d/two.txt", "a\nb"}, {"/d/two.txt", "a\rb"}};
  for (const auto& [file, from] : expected) {
    const TSnRTast* head = queue.Head();
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->FileName, file);
    EXPECT_EQ(head->FromStr, from);
    EXPECT_EQ(head->ToStr, "x");
    queue.RemoveHead();
  }
  EXPECT_EQ(queue.Head(), nullptr);
  queue.Release();
}

TEST_F(TMainWindow, TooLongMultiLineStringQueuesNothingAndKeepsTheTicks) {
  ListFiles({"/d/one.txt"});
  TickAll();
  Form().PageControlLineMode()->setCurrentIndex(1);
  // Two lines that join to one byte more than a run may carry.
  Form().MultiLine().MemoFromStr()->setPlainText(
      QString(static_cast<int>(kMaxJoinedLength) - 2, 'a') + "\nb");
  Form().SnRButtonClick();

  EXPECT_EQ(Form().Worker().TaskList().Count(), 0u);
  EXPECT_EQ(Form().CountCheckedFiles(), 1);
  EXPECT_EQ(FNotices.size(), 1u);
}

TEST_F(TMainWindow, StartUnticksTheFilesAndTheTitleCountsTheQueueInBothLanguages) {
  ListFiles({"/d/a", "/d/b", "/d/c"});
  Form().CombiEditCharHexFrameFromStr()->SetBytes("a");
  Form().SnRButtonClick();  // nothing ticked: nothing queued
  EXPECT_EQ(Title(), "Fendrel 2.0");

  TickAll();
  Form().Worker().TaskList().Hold();
  Form().SnRButtonClick();
  EXPECT_EQ(Form().CountCheckedFiles(), 0);
  EXPECT_EQ(Title(), "Fendrel 2.0 - 3 tasks in queue");
  TZQSnRMainForm::ChangeLanguage(kGerman);
  EXPECT_EQ(Title(), "Fendrel 2.0 - 3 Aufgaben abzuarbeiten");
  EXPECT_EQ(IniReadInteger(SettingsFile(), "Generel", "Sprache", 9), 0);
  EXPECT_EQ(Form().SnRButton()->text(), QString::fromUtf8("Search&&&Replace durchführen "));
}

TEST_F(TMainWindow, ResultListSplitsResultLinesAtTheFirstColon) {
  struct TCase {
    int32_t LogMode;
    std::string Line;
    std::vector<std::string> Entries;
  };
  const TCase cases[] = {
      {2, "/d/a.txt", {"/d/a.txt"}},
      {2, "", {""}},
      {2,
       "abc [616263] --> xyz [78797A] : 3 replacements",
       {"abc [616263] --> xyz [78797A] :", "3 replacements"}},
      {2, "a:b [613A62] --> x [78] : FAILED", {"a:", "b [613A62] --> x [78] : FAILED"}},
      {2, "a --> b without a colon", {"a --> b without a colon"}},
      {2, "UPDATE", {}},
      {0, "abc [616263] --> xyz [78797A] : 3 replacements", {}},
  };
  for (const TCase& c : cases) {
    Form().Options().FLogMode = c.LogMode;
    TResultListModel& model = Form().ResultListBox()->Model();
    model.Clear();
    model.SetLogMode(c.LogMode);
    Form().WMSnRStatus(TStatusKind::stLine, c.Line);
    EXPECT_EQ(model.Log().Entries(), c.Entries) << c.Line;
    EXPECT_EQ(model.rowCount(), static_cast<int>(c.Entries.size())) << c.Line;
  }
}

TEST_F(TMainWindow, FailureReasonBecomesTheTooltipOfItsTaskAndTheStatusLine) {
  TResultListModel& model = Form().ResultListBox()->Model();
  model.Clear();
  model.SetLogMode(2);
  const std::pair<TStatusKind, std::string> reports[] = {
      {TStatusKind::stFailureReason, "cannot create the temporary file: No space left on device"},
      {TStatusKind::stLine, "/d/a.txt"},
      {TStatusKind::stLine, "a [61] --> b [62] : FAILED"},
      {TStatusKind::stLine, ""},
      {TStatusKind::stLine, "/d/b.txt"},
      {TStatusKind::stLine, "a [61] --> b [62] : 1 replacements"},
  };
  for (const auto& [kind, text] : reports)
    Form().WMSnRStatus(kind, text);
  ASSERT_EQ(model.rowCount(), 7);
  const QString reason = "cannot create the temporary file: No space left on device";
  for (int row = 0; row < 4; ++row)
    EXPECT_EQ(model.data(model.index(row), Qt::ToolTipRole).toString(), reason) << row;
  for (int row = 4; row < 7; ++row)
    EXPECT_FALSE(model.data(model.index(row), Qt::ToolTipRole).isValid()) << row;
  EXPECT_EQ(Form().statusBar()->currentMessage(), "/d/a.txt: " + reason);
}

// What a scan or the start did about interrupted rewrites: one entry per file in the result
// list and the log, even while nothing is logged, and a count in the status line; nothing at all
// for none.
TEST_F(TMainWindow, RecoveriesReachTheResultListAndTheStatusLine) {
  struct TCase {
    int32_t Language;
    int32_t LogMode;
    std::vector<TRecovery> Recoveries;
    std::vector<std::string> Entries;
    const char* Status;
  };
  const TCase cases[] = {
      {kEnglish, 2, {}, {}, "before"},
      {kGerman,
       0,
       {{"/d/a.txt", "previous content restored", false}},
       {"/d/a.txt: previous content restored"},
       "1 unterbrochenes Ersetzen wiederhergestellt"},
      {kEnglish,
       2,
       {{"/d/a.txt", "restored", false},
        {"/d/b.txt", "copy unreadable", true},
        {"/d/c.txt", "restored", false}},
       {"/d/a.txt: restored", "/d/b.txt: FAILED: copy unreadable", "/d/c.txt: restored"},
       "2 interrupted rewrites recovered; 1 interrupted rewrite could not be recovered"},
  };
  TResultListModel& model = Form().ResultListBox()->Model();
  for (const TCase& c : cases) {
    TZQSnRMainForm::ChangeLanguage(c.Language);
    model.Clear();
    model.SetLogMode(c.LogMode);
    Form().statusBar()->showMessage("before");
    Form().ShowRecoveries(c.Recoveries);
    EXPECT_EQ(model.Log().Entries(), c.Entries) << c.Status;
    EXPECT_EQ(model.rowCount(), static_cast<int>(c.Entries.size())) << c.Status;
    EXPECT_EQ(Form().statusBar()->currentMessage().toStdString(), c.Status);
  }
  TZQSnRMainForm::ChangeLanguage(kEnglish);
}

TEST_F(TMainWindow, CloseQuestionAnswersAndTheFilesEveryRequestWrites) {
  const std::string files[] = {DataDirectory() + "backup.dat", DataDirectory() + "result.log",
                               DataDirectory() + "history.ini", SettingsFile()};
  struct TCase {
    TQuitAnswer Answer;
    bool Closes;
    std::size_t LeftQueued;
  };
  const TCase cases[] = {
      {TQuitAnswer::Yes, true, 0}, {TQuitAnswer::No, false, 2}, {TQuitAnswer::Cancel, false, 2}};
  for (const TCase& c : cases) {
    for (const std::string& file : files)
      std::remove(file.c_str());
    FForm.reset();
    FQuestions.clear();
    FAnswer = c.Answer;
    ListFiles({FDir / "missing1", FDir / "missing2"});
    TickAll();
    Form().CombiEditCharHexFrameFromStr()->SetBytes("a");
    Form().Worker().TaskList().Hold();  // the tasks wait until the question is answered
    Form().SnRButtonClick();

    EXPECT_EQ(Form().FormCloseQuery(), c.Closes);
    ASSERT_EQ(FQuestions.size(), 1u);
    EXPECT_EQ(FQuestions[0],
              "There are incomplete Search&Replace Tasks! Do you really want to quite the "
              "application?");
    EXPECT_EQ(Form().Worker().TaskList().Count(), c.LeftQueued);
    for (const std::string& file : files)
      EXPECT_TRUE(Exists(file)) << file;
    // A confirmed quit reports the tasks it drops, and the log file keeps them.
    const bool skipped =
        ReadFile(DataDirectory() + "result.log").find("SKIPPED") != std::string::npos;
    EXPECT_EQ(skipped, c.Answer == TQuitAnswer::Yes);
  }

  // With nothing queued there is no question.
  FForm.reset();
  FQuestions.clear();
  EXPECT_TRUE(Form().FormCloseQuery());
  EXPECT_TRUE(FQuestions.empty());
}

TEST_F(TMainWindow, GermanQuitQuestion) {
  TZQSnRMainForm::ChangeLanguage(kGerman);
  ListFiles({FDir / "missing"});
  TickAll();
  Form().CombiEditCharHexFrameFromStr()->SetBytes("a");
  Form().Worker().TaskList().Hold();
  Form().SnRButtonClick();
  EXPECT_FALSE(Form().FormCloseQuery());
  ASSERT_EQ(FQuestions.size(), 1u);
  EXPECT_EQ(FQuestions[0], QString::fromUtf8("Es sind noch Search&Replace Vorgänge "
                                             "abzuarbeiten! Wollen sie das Programm wirklich "
                                             "beenden?"));
}

TEST_F(TMainWindow, EveryBuiltInTextHasItsComponent) {
  for (const TComponentText& entry : MainFormTexts())
    EXPECT_NE(FindComponent(Form(), QString::fromLatin1(entry.Component)), nullptr)
        << entry.Component;
}

// An invalid pattern shows at its editor as it is typed, and goes when it is mended or when the
// old string is no longer a pattern; while it stands, nothing can run it, and the buttons that
// would say why.
TEST_F(TMainWindow, AnInvalidPatternShowsAtItsEditorBeforeTheRun) {
  ListFiles({"/tmp/a.txt"});
  TickAll();
  TCombiEditCharHexFrame* from = Form().CombiEditCharHexFrameFromStr();
  const QString hint = from->toolTip();
  QPushButton* const buttons[] = {Form().SnRButton(), Form().PreviewButton()};
  const QString buttonHints[] = {buttons[0]->toolTip(), buttons[1]->toolTip()};
  const QString message = "error 103: unmatched parenthesis at position 2";
  struct TCase {
    bool Regex;
    const char* Old;
    QString Message;
  };
  const TCase cases[] = {
      {false, "a(", ""},     {true, "a(", message}, {true, "a(b)", ""},
      {true, "a(", message}, {false, "a(", ""},
  };
  for (const TCase& c : cases) {
    Form().SearchOptions().RegExpSingleLineCheckBox()->setChecked(c.Regex);
    from->SetBytes(c.Old);
    EXPECT_EQ(Form().PatternMessage(), c.Message) << c.Old;
    EXPECT_EQ(from->toolTip(), c.Message.isEmpty() ? hint : c.Message) << c.Old;
    EXPECT_EQ(from->styleSheet().contains("red"), !c.Message.isEmpty()) << c.Old;
    EXPECT_EQ(Form().statusBar()->currentMessage(), c.Message) << c.Old;
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(buttons[i]->isEnabled(), c.Message.isEmpty()) << c.Old;
      EXPECT_EQ(buttons[i]->toolTip(), c.Message.isEmpty() ? buttonHints[i] : c.Message) << c.Old;
    }
    const auto& steps = Form().WorkflowState().OpenSteps;
    EXPECT_EQ(std::count(steps.begin(), steps.end(), TWorkflowStep::PatternInvalid),
              !c.Message.isEmpty())
        << c.Old;
  }
}

// The help window, the About window and the directory chooser are tool windows: no minimise or
// maximise button, and the chooser no button at all, at its small size.
TEST_F(TMainWindow, ToolWindowsHaveToolWindowFrames) {
  TInstantHelpForm help(&Form());
  TSnRAboutForm about(&Form());
  TChoseDirectoryForm chooser;
  struct TCase {
    const char* Name;
    QWidget* Window;
    bool CloseButton;
  };
  const TCase cases[] = {
      {"help", &help, true}, {"about", &about, true}, {"chooser", &chooser, false}};
  for (const TCase& c : cases) {
    const Qt::WindowFlags flags = c.Window->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool) << c.Name;
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << c.Name;
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint) << c.Name;
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint) << c.Name;
    EXPECT_EQ(bool(flags & Qt::WindowCloseButtonHint), c.CloseButton) << c.Name;
  }
  EXPECT_EQ(chooser.size(), QSize(231, 236));
}

// Every menu and menu item has an access key in both languages, none taken twice in one menu.
TEST_F(TMainWindow, EveryMenuItemHasItsOwnAccessKeyInBothLanguages) {
  for (const int32_t language : {kGerman, kEnglish}) {
    TZQSnRMainForm::ChangeLanguage(language);
    std::vector<const QWidget*> menus{Form().menuBar()};
    while (!menus.empty()) {
      const QWidget* menu = menus.back();
      menus.pop_back();
      std::set<QChar> keys;
      for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const QString text = action->menu() ? action->menu()->title() : action->text();
        const int amp = text.indexOf(QRegularExpression("&[^&]"));
        ASSERT_GE(amp, 0) << language << ": " << text.toStdString();
        EXPECT_TRUE(keys.insert(text[amp + 1].toLower()).second)
            << language << ": the key of " << text.toStdString() << " is taken";
        if (action->menu()) menus.push_back(action->menu());
      }
    }
  }
}

TEST_F(TMainWindow, WindowIsNeverSmallerThanTheMinimum) {
  Form().resize(300, 200);
  EXPECT_GE(Form().width(), TSnRForm::kMinimumWidth);
  EXPECT_GE(Form().height(), TSnRForm::kMinimumHeight);
}

// At the smallest size and a usual one, in both languages, no control of the file group covers
// another or leaves the group, the list keeps room, and the run's option beside the buttons
// covers none of them.
TEST_F(TMainWindow, TheCreateTaskPageIsLaidOutWithoutOverlaps) {
  Form().show();
  const TFileSelectionWidgets& w = Form().FileWidgets();
  const QWidget* group = w.FileCheckListBox->parentWidget();
  const struct {
    QSize Size;
    int32_t Language;
  } cases[] = {{{677, 502}, kEnglish},
               {{677, 502}, kGerman},
               {{1280, 720}, kEnglish},
               {{1280, 720}, kGerman}};
  for (const auto& c : cases) {
    TZQSnRMainForm::ChangeLanguage(c.Language);
    Form().resize(c.Size);
    QApplication::processEvents();
    const std::string name = std::to_string(c.Size.width()) + " " + std::to_string(c.Language);
    const std::vector<const QWidget*> fileControls = {
        w.PathLabel,           w.PathComboBox,     w.SelectDirSpeedButton, w.FilenameLabel,
        w.MaskComboBox,        w.RekursivCheckBox, w.FollowLinksCheckBox,  w.IncludeVcsCheckBox,
        w.IgnoreFilesCheckBox, w.ExcludeLabel,     w.ExcludeComboBox,      w.SelectAllNoneCheckBox,
        w.FileCheckListBox};
    const std::vector<const QWidget*> runControls = {Form().KeepModificationTimeCheckBox(),
                                                     Form().PreviewButton(), Form().StopButton(),
                                                     Form().SnRButton()};
    for (const auto* controls : {&fileControls, &runControls}) {
      for (std::size_t i = 0; i < controls->size(); ++i) {
        const QRect one = (*controls)[i]->geometry();
        EXPECT_FALSE(one.isEmpty()) << name << ": " << (*controls)[i]->objectName().toStdString();
        if (controls == &fileControls) {
          EXPECT_TRUE(group->rect().contains(one))
              << name << ": " << (*controls)[i]->objectName().toStdString();
        }
        for (std::size_t j = i + 1; j < controls->size(); ++j)
          EXPECT_FALSE(one.intersects((*controls)[j]->geometry()))
              << name << ": " << (*controls)[i]->objectName().toStdString() << " and "
              << (*controls)[j]->objectName().toStdString();
      }
    }
    // At the smallest size a few entries, at a usual one a good many.
    EXPECT_GE(w.FileCheckListBox->height(), c.Size.width() >= 1280 ? 200 : 40) << name;
    EXPECT_GE(w.ExcludeComboBox->width(), 120) << name;
    if (c.Size.width() >= 1280) {
      const QCheckBox* keep = Form().KeepModificationTimeCheckBox();
      EXPECT_EQ(keep->width(), keep->sizeHint().width()) << name << ": its caption shows whole";
    }
  }
}

}  // namespace
}  // namespace fendrel::test

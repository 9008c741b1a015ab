// The instant-help window and the guiding lines: the listed steps and where they are drawn,
// docking to the main window, and what reaches the screen overlay, in which order and when not.
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

#include "WindowTestSupport.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/window/InstantHelpForm.h"

namespace fendrel::test {
namespace {

class TInstantHelp : public TWindowTest {
 protected:
  void TearDown() override {
    FHelp.reset();
    TWindowTest::TearDown();
  }

  TInstantHelpForm& Help() {
    if (!FHelp) {
      FHelp = std::make_unique<TInstantHelpForm>(&Form());
      Form().SetInstantHelpForm(FHelp.get());
      Form().SetApplicationActiveTest([this] { return FActive; });
    }
    return *FHelp;
  }

  // Both windows shown and the help list painted, so that its item rectangles are known.
  void ShowAndPaint() {
    Form().setGeometry(100, 80, 800, 600);
    Form().show();
    Help().show();
    Help().UpdatePositionTimerTimer();
    QApplication::processEvents();
    Help().HelpListBox()->viewport()->repaint();
  }

  QStringList Items() {
    QStringList items;
    for (int i = 0; i < Help().HelpListBox()->count(); ++i)
      items << Help().HelpListBox()->item(i)->text();
    return items;
  }

  // Item `row` of the help list in screen coordinates, right and bottom exclusive.
  TScreenRect ItemOnScreen(int row) {
    QListWidget& list = *Help().HelpListBox();
    const QRect rect = list.visualItemRect(list.item(row));
    const QPoint topLeft = list.viewport()->mapToGlobal(rect.topLeft());
    return {topLeft.x(), topLeft.y(), topLeft.x() + rect.width(), topLeft.y() + rect.height()};
  }

  // The five calls that tie a help line at `line` to `control`, or to `area` of it, in
  // `colour`.
  static std::vector<std::string> Marks(const TScreenRect& line, const QWidget* control,
                                        const std::string& colour) {
    return Marks(line, control, control->rect(), colour);
  }
  static std::vector<std::string> Marks(const TScreenRect& line, const QWidget* control,
                                        const QRect& area, const std::string& colour) {
    const QPoint tl = control->mapToGlobal(area.topLeft());
    const QPoint br = control->mapToGlobal(area.topLeft() + QPoint(area.width(), area.height()));
    const auto n = [](int value) { return std::to_string(value); };
    const std::string a = n(line.Left) + " " + n((line.Top + line.Bottom) / 2);
    const std::string b = n((tl.x() + br.x()) / 2) + " " + n(tl.y());
    return {"Point " + a + " 1 " + colour, "Point " + b + " 1 " + colour,
            "Rectangle " + n(tl.x()) + " " + n(tl.y()) + " " + n(br.x()) + " " + n(br.y()) + " " +
                colour,
            "Rectangle " + n(line.Left) + " " + n(line.Top) + " " + n(line.Right) + " " +
                n(line.Bottom) + " " + colour,
            "Line " + a + " " + b + " " + colour};
  }

  // Files listed and ticked, both strings set: only the start step stays open.
  void ReadyToStart() {
    ListFiles({"/d/one.txt"});
    TickAll();
    Form().CombiEditCharHexFrameFromStr()->SetBytes("old");
    Form().CombiEditCharHexFrameToStr()->SetBytes("new");
    Form().UpdateWorkflowState();
  }

  std::unique_ptr<TInstantHelpForm> FHelp;
  bool FActive = true;
};

constexpr const char* kRed = "0000ff";
constexpr const char* kBlue = "ff7828";

TEST_F(TInstantHelp, ListsTheOpenStepsInTheCurrentLanguage) {
  Help();
  EXPECT_EQ(Items(), Form().HelpLines());
  ASSERT_EQ(Items().size(), 4);
  EXPECT_TRUE(Items()[0].startsWith("please insert the path"));
  EXPECT_TRUE(Items()[3].contains("replacement string  in"));
  EXPECT_EQ(Help().windowTitle(), "Help");
  EXPECT_EQ(Help().GuidingHelpCheckBox()->text(), "guiding help");

  TZQSnRMainForm::ChangeLanguage(kGerman);
  EXPECT_EQ(Help().windowTitle(), "Hilfe");
  EXPECT_EQ(Help().GuidingHelpCheckBox()->text(), QString::fromUtf8("geführte Hilfe"));
  ASSERT_EQ(Items().size(), 4);
  EXPECT_EQ(Items()[0].toStdString(), WorkflowStepText(TWorkflowStep::PathMissing, kGerman));

  ReadyToStart();
  ASSERT_EQ(Items().size(), 1);
  // The help list shows ampersands as they stand.
  EXPECT_EQ(Items()[0], QString::fromUtf8("\"Search&Replace durchführen\" drücken"));
  TZQSnRMainForm::ChangeLanguage(kEnglish);
}

TEST_F(TInstantHelp, RecordsWhereItsFirstTwoItemsWereDrawn) {
  ShowAndPaint();
  ASSERT_EQ(Help().HelpListBox()->count(), 4);
  const TScreenRect first = ItemOnScreen(0);
  TScreenRect second = ItemOnScreen(1);
  second.Top += 2;
  EXPECT_EQ(Help().FirstItemRect(), first);
  EXPECT_EQ(Help().SecondItemRect(), second);
  EXPECT_EQ(second.Top, first.Bottom + 2);

  // Each item is its wrapped text's height plus 10; the long lines wrap in the narrow window.
  QListWidget& list = *Help().HelpListBox();
  const QFontMetrics metrics(list.font());
  const int lineHeight = metrics.height();
  for (int row = 0; row < list.count(); ++row) {
    const QRect textRect = list.viewport()->rect().adjusted(5, 0, -5, 0);
    const int textHeight =
        metrics.boundingRect(textRect, Qt::TextWordWrap, list.item(row)->text()).height();
    EXPECT_EQ(list.visualItemRect(list.item(row)).height(), textHeight + 10) << row;
    EXPECT_GT(textHeight, lineHeight) << row;
  }

  // A refill forgets both until they are drawn again.
  Form().UpdateWorkflowState();
  EXPECT_TRUE(Help().FirstItemRect().Empty());
  EXPECT_TRUE(Help().SecondItemRect().Empty());
}

TEST_F(TInstantHelp, WithOneLineTheSecondRectangleStaysEmpty) {
  ReadyToStart();
  ShowAndPaint();
  ASSERT_EQ(Help().HelpListBox()->count(), 1);
  EXPECT_EQ(Help().FirstItemRect(), ItemOnScreen(0));
  EXPECT_TRUE(Help().SecondItemRect().Empty());
}

TEST_F(TInstantHelp, FollowsTheMainWindowsRightEdgeKeepingItsWidth) {
  ShowAndPaint();
  const int width = Help().width();
  struct TCase {
    QRect Main;
    QPoint DraggedTo;
  };
  for (const TCase& c : {TCase{{30, 50, 500, 520}, {0, 0}}, TCase{{60, 50, 500, 520}, {0, 0}},
                         TCase{{60, 50, 500, 520}, {400, 300}}}) {
    Form().setGeometry(c.Main);
    if (!c.DraggedTo.isNull()) Help().move(c.DraggedTo);
    FOverlay.Calls.clear();
    Help().UpdatePositionTimerTimer();
    const QRect main = Form().frameGeometry();
    EXPECT_EQ(Help().frameGeometry().topLeft(), QPoint(main.x() + main.width(), main.y()));
    EXPECT_EQ(Help().frameGeometry().height(), main.height());
    EXPECT_EQ(Help().width(), width);
    // Each move refreshes the workflow state, which clears the marks (a new height refreshes it
    // once more).
    EXPECT_FALSE(FOverlay.Calls.empty());
    for (const std::string& call : FOverlay.Calls)
      EXPECT_EQ(call, "Clear");
  }
  // In place, a tick changes nothing.
  FOverlay.Calls.clear();
  Help().UpdatePositionTimerTimer();
  EXPECT_TRUE(FOverlay.Calls.empty());

  // No room on the right: the main window moves left, the help window stays on the screen.
  Form().setGeometry(1000, 50, 700, 520);
  Help().UpdatePositionTimerTimer();
  const QRect screen = Form().screen()->availableGeometry();
  const QRect main = Form().frameGeometry();
  EXPECT_EQ(Help().frameGeometry().topLeft(), QPoint(main.x() + main.width(), main.y()));
  EXPECT_EQ(Help().frameGeometry().right(), screen.right());
  EXPECT_LT(main.x(), 1000);
}

TEST_F(TInstantHelp, PointAtControlTiesAHelpLineToTheControlInOrder) {
  ShowAndPaint();
  QPushButton* button = Form().SnRButton();
  FOverlay.Calls.clear();
  Form().PointAtControl(button, 0);
  EXPECT_EQ(FOverlay.Calls, Marks(Help().FirstItemRect(), button, kRed));
  FOverlay.Calls.clear();
  Form().PointAtControl(button, 1);
  EXPECT_EQ(FOverlay.Calls, Marks(Help().SecondItemRect(), button, kBlue));
  FOverlay.Calls.clear();
  Form().PointAtControl(button, 2);
  Form().PointAtControl(button, -1);
  EXPECT_TRUE(FOverlay.Calls.empty());

  // An item not drawn since the refill has no place to start from.
  Form().UpdateWorkflowState();
  FOverlay.Calls.clear();
  Form().PointAtControl(button, 0);
  EXPECT_TRUE(FOverlay.Calls.empty());
}

TEST_F(TInstantHelp, TheTimerTiesPathAndMaskStepsInRedAndBlue) {
  ShowAndPaint();
  ASSERT_TRUE(Form().DrawHelpLinesArmed());
  FOverlay.Calls.clear();
  Form().DrawHelpLinesTimerTimer();
  EXPECT_FALSE(Form().DrawHelpLinesArmed());

  // Path and mask both empty: the path step marks the path box and the directory button.
  const TFileSelectionWidgets& files = Form().FileWidgets();
  std::vector<std::string> expected{"Clear"};
  for (const QWidget* control : {static_cast<QWidget*>(files.PathComboBox),
                                 static_cast<QWidget*>(files.SelectDirSpeedButton)}) {
    const auto marks = Marks(Help().FirstItemRect(), control, kRed);
    expected.insert(expected.end(), marks.begin(), marks.end());
  }
  const auto maskMarks = Marks(Help().SecondItemRect(), files.MaskComboBox, kBlue);
  expected.insert(expected.end(), maskMarks.begin(), maskMarks.end());
  EXPECT_EQ(FOverlay.Calls, expected);
}

TEST_F(TInstantHelp, TheArmedTimerDrawsOnItsOwn) {
  ReadyToStart();
  ShowAndPaint();
  FOverlay.Calls.clear();
  ASSERT_TRUE(WaitFor([this] { return FOverlay.Calls.size() >= 6; }));
  std::vector<std::string> expected{"Clear"};
  const auto marks = Marks(Help().FirstItemRect(), Form().SnRButton(), kRed);
  expected.insert(expected.end(), marks.begin(), marks.end());
  EXPECT_EQ(FOverlay.Calls, expected);
}

TEST_F(TInstantHelp, NothingIsDrawnWhereTheLinesWouldMislead) {
  ShowAndPaint();
  struct TCase {
    const char* Name;
    std::function<void()> Apply;
    std::function<void()> Undo;
    bool Armed;
  };
  const TCase cases[] = {
      {"guiding help off", [this] { Help().GuidingHelpCheckBox()->setChecked(false); },
       [this] { Help().GuidingHelpCheckBox()->setChecked(true); }, false},
      {"another application active", [this] { FActive = false; }, [this] { FActive = true; }, true},
      {"help window hidden", [this] { Help().hide(); }, [this] { Help().show(); }, true},
  };
  for (const TCase& c : cases) {
    c.Apply();
    Form().UpdateWorkflowState();
    EXPECT_EQ(Form().DrawHelpLinesArmed(), c.Armed) << c.Name;
    Help().HelpListBox()->viewport()->repaint();
    FOverlay.Calls.clear();
    Form().DrawHelpLinesTimerTimer();
    EXPECT_EQ(FOverlay.Calls, std::vector<std::string>{"Clear"}) << c.Name;
    c.Undo();
    Form().UpdateWorkflowState();
    EXPECT_TRUE(Form().DrawHelpLinesArmed()) << c.Name;
  }
}

TEST_F(TInstantHelp, OnAnotherPageTheLinesLeadToTheCreateTaskTab) {
  ShowAndPaint();
  QTabWidget& pages = *Form().MainPageControl();
  QAction* backups = Form().findChild<QAction*>("Backupfiles1");
  ASSERT_NE(backups, nullptr);
  // The help still asks for the path and the mask, or for the start button, each on the first
  // page: both lines, or the one, point at that page's tab.
  struct TCase {
    const char* Page;
    std::function<void()> Open;
    bool Ready;
  };
  const TCase cases[] = {
      {"result", [&] { pages.setCurrentIndex(1); }, false},
      {"preview", [&] { pages.setCurrentIndex(2); }, true},
      {"backups", [&] { backups->trigger(); }, true},
      {"result", [&] { pages.setCurrentIndex(1); }, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Page);
    if (c.Ready) ReadyToStart();
    c.Open();
    Form().UpdateWorkflowState();
    EXPECT_TRUE(Form().DrawHelpLinesArmed());
    QApplication::processEvents();  // the refilled list's layout
    Help().HelpListBox()->viewport()->repaint();
    ASSERT_FALSE(Help().FirstItemRect().Empty());
    FOverlay.Calls.clear();
    Form().DrawHelpLinesTimerTimer();
    QTabBar& tabs = *pages.tabBar();
    const QRect tab = tabs.tabRect(0);  // "create task"
    std::vector<std::string> expected{"Clear"};
    const auto first = Marks(Help().FirstItemRect(), &tabs, tab, kRed);
    expected.insert(expected.end(), first.begin(), first.end());
    if (!c.Ready) {
      const auto second = Marks(Help().SecondItemRect(), &tabs, tab, kBlue);
      expected.insert(expected.end(), second.begin(), second.end());
    }
    EXPECT_EQ(FOverlay.Calls, expected);
    pages.setCurrentIndex(0);
  }
}

TEST_F(TInstantHelp, AFirstStartCentresTheWindowWithItsHelpWindow) {
  Help();
  Form().Options().FShowHelpWindow = true;
  // No remembered place: nothing has moved the window before it is shown.
  Form().show();
  ASSERT_TRUE(Help().isVisible());
  // As the window system has settled.
  Form().PlaceOnScreen();
  Help().UpdatePositionTimerTimer();
  const QRect main = Form().frameGeometry();
  const QRect help = Help().frameGeometry();
  EXPECT_EQ(help.topLeft(), QPoint(main.x() + main.width(), main.y()));
  const QRect screen = Form().screen()->availableGeometry();
  const QRect pair = main.united(help);
  EXPECT_NEAR(pair.left() - screen.left(), screen.right() - pair.right(), 1);
  EXPECT_NEAR(pair.top() - screen.top(), screen.bottom() - pair.bottom(), 1);
}

TEST_F(TInstantHelp, TheMenuItemShowsAndHidesItAndIsRemembered) {
  Help();
  Form().Options().FShowHelpWindow = true;
  Form().show();
  EXPECT_TRUE(Help().isVisible());
  QAction* item = Form().findChild<QAction*>("HelpWindow1");
  ASSERT_NE(item, nullptr);
  item->trigger();
  EXPECT_FALSE(Help().isVisible());
  EXPECT_FALSE(Form().Options().FShowHelpWindow);
  EXPECT_FALSE(item->isChecked());
  item->trigger();
  EXPECT_TRUE(Help().isVisible());
  EXPECT_TRUE(Form().Options().FShowHelpWindow);

  // Its own close button only hides it.
  Help().close();
  EXPECT_FALSE(Help().isVisible());
  EXPECT_TRUE(Form().Options().FShowHelpWindow);
}

TEST_F(TInstantHelp, TheMainWindowRegistersForTheOverlaysNotifications) {
  Form();
  EXPECT_EQ(FOverlay.CallBackWindow, reinterpret_cast<std::intptr_t>(&Form()));
}

}  // namespace
}  // namespace fendrel::test

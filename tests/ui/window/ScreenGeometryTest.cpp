// The main window and the help window docked to it as they come out on the screen, at 100 %,
// 150 % and 200 % and with a dark palette: the help window flush with the main window, the
// guiding lines from the help lines into their controls in device pixels (and the overlay's marks
// really there), no caption cut off, the help list's text readable. Each scale runs as its own
// process (QT_SCALE_FACTOR is read at start), and each setting leaves a picture of both windows
// with the marks in device pixels in build/e2e/SETTING.png.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QToolButton>
#include <cmath>

#include "WindowTestSupport.h"
#include "ui/editors/ByteMemo.h"
#include "ui/editors/MultiLineEditors.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/records/BannerForm.h"
#include "ui/records/SnRAboutForm.h"
#include "ui/window/InstantHelpForm.h"

namespace fendrel::test {
namespace {

struct TScreenSetting {
  const char* Name;  // also the picture's file name
  double Scale;      // the QT_SCALE_FACTOR of the process that runs it
  bool Dark;
  // The desktop's font against the usual one: a user's larger font, or a screen of more dots per
  // inch that is not scaled.
  double Font = 1.0;
};

void PrintTo(const TScreenSetting& setting, std::ostream* out) {
  *out << setting.Name;
}

const TScreenSetting kSettings[] = {
    {"scale-100", 1.0, false}, {"dark", 1.0, true},       {"font-150", 1.0, false, 1.5},
    {"scale-150", 1.5, false}, {"scale-200", 2.0, false},
};

// The settings of this process's scale.
std::vector<TScreenSetting> SettingsOfThisScale() {
  bool given = false;
  const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
  std::vector<TScreenSetting> settings;
  for (const TScreenSetting& setting : kSettings)
    if (std::abs(setting.Scale - (given ? scale : 1.0)) < 0.01) settings.push_back(setting);
  return settings;
}

// A dark desktop's colours, as a dark theme hands them to every program.
QPalette DarkPalette() {
  QPalette palette;
  const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230), accent(42, 130, 218);
  for (const auto& [role, colour] : {std::pair{QPalette::Window, window},
                                     {QPalette::WindowText, text},
                                     {QPalette::Base, base},
                                     {QPalette::AlternateBase, window},
                                     {QPalette::Text, text},
                                     {QPalette::Button, window},
                                     {QPalette::ButtonText, text},
                                     {QPalette::ToolTipBase, base},
                                     {QPalette::ToolTipText, text},
                                     {QPalette::Link, accent},
                                     {QPalette::Highlight, accent},
                                     {QPalette::HighlightedText, base}})
    palette.setColor(role, colour);
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
  return palette;
}

// The contrast of two colours as readability is usually measured, from their relative
// luminance: 1 for equal colours, 21 for black on white; body text wants 4.5, lines 3.
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& colour) {
    const auto channel = [](double value) {
      return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
  };
  const double first = luminance(a), second = luminance(b);
  return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// The contrast between the colour at `background` and the pixel of `area` that differs most
// from it: the core of the text drawn there.
double TextContrast(const QImage& image, const QRect& area, QPoint background) {
  const QColor ground = image.pixelColor(background);
  double best = 1;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      best = std::max(best, Contrast(image.pixelColor(x, y), ground));
  return best;
}

// The screen-overlay library as built, keeping the lines it was given.
class TDrawingOverlay : public TScreenOverlayLibrary {
 public:
  struct TLine {
    QPoint From, To;
    std::uint32_t Colour;
  };

  TDrawingOverlay() : TScreenOverlayLibrary({FENDREL_TEST_OVERLAY_LIBRARY}) {}

  std::int32_t Clear() const override {
    Lines.clear();
    return TScreenOverlayLibrary::Clear();
  }
  std::int32_t Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                    std::uint32_t colour) const override {
    Lines.push_back({QPoint(x1, y1), QPoint(x2, y2), colour});
    return TScreenOverlayLibrary::Line(x1, y1, x2, y2, colour);
  }

  mutable std::vector<TLine> Lines;
};

class TScreenGeometry : public TWindowTest, public ::testing::WithParamInterface<TScreenSetting> {
 protected:
  void SetUp() override {
    TWindowTest::SetUp();
    ASSERT_TRUE(FDrawing.Loaded());
    FFormOverlay = &FDrawing;
    ASSERT_DOUBLE_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), Scale());
    FPalette = QApplication::palette();
    FFont = QApplication::font();
    QFont font = FFont;
    font.setPointSizeF(font.pointSizeF() * GetParam().Font);
    QApplication::setFont(font);
    // The desktop turns dark while the windows are open, as when a user switches themes.
    Help();
    if (GetParam().Dark) QApplication::setPalette(DarkPalette());
  }

  void TearDown() override {
    FHelp.reset();
    TWindowTest::TearDown();
    FDrawing.Clear();
    QApplication::setPalette(FPalette);
    QApplication::setFont(FFont);
  }

  double Scale() const { return GetParam().Scale; }
  // Device pixels are never exact at 150 %: the window and the widget in it are rounded apart.
  int Slack() const { return Scale() == std::floor(Scale()) ? 0 : 1; }

  // `logical` in device pixels, by the definition of the scale (the screen's corner is 0, 0).
  QRect Device(const QRect& logical) const {
    const QPoint topLeft = (QPointF(logical.topLeft()) * Scale()).toPoint();
    const QPoint end =
        (QPointF(logical.topLeft() + QPoint(logical.width(), logical.height())) * Scale())
            .toPoint();
    return QRect(topLeft, end - QPoint(1, 1));
  }
  QRect DeviceOf(const QWidget& widget) const {
    return Device(QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size()));
  }

  TInstantHelpForm& Help() {
    if (!FHelp) {
      FHelp = std::make_unique<TInstantHelpForm>(&Form());
      Form().SetInstantHelpForm(FHelp.get());
      Form().SetApplicationActiveTest([] { return true; });
    }
    return *FHelp;
  }

  // Both windows shown at `main` (logical), docked, and the help list painted.
  void ShowBoth(const QRect& main = QRect(100, 80, 800, 600)) {
    Form().setGeometry(main);
    Form().show();
    Help().show();
    Help().UpdatePositionTimerTimer();
    QApplication::processEvents();
    Help().HelpListBox()->viewport()->repaint();
  }

  // Help item `row` in device pixels.
  QRect HelpItem(int row) {
    QListWidget& list = *Help().HelpListBox();
    const QRect rect = list.visualItemRect(list.item(row));
    return Device(QRect(list.viewport()->mapToGlobal(rect.topLeft()), rect.size()));
  }

  static QWidget* OverlaySurface() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == QLatin1String("ZQScreenOverlay") && widget->isVisible())
        return widget;
    return nullptr;
  }

  // The number of device pixels of the overlay's shape its marks leave unpainted: where no
  // compositor makes the window see-through, they show black.
  int UnpaintedShapePixels() const {
    const QWidget* surface = OverlaySurface();
    if (surface == nullptr) return 0;
    QImage marks((QSizeF(surface->size()) * Scale()).toSize(), QImage::Format_ARGB32);
    marks.setDevicePixelRatio(Scale());
    marks.fill(Qt::transparent);
    const_cast<QWidget*>(surface)->render(&marks, QPoint(), QRegion(), QWidget::IgnoreMask);
    int unpainted = 0;
    for (const QRect& logical : surface->mask()) {
      const QRect device = Device(logical);
      for (int y = device.top(); y <= device.bottom(); ++y)
        for (int x = device.left(); x <= device.right(); ++x)
          unpainted += qAlpha(marks.pixel(x, y)) == 0 ? 1 : 0;
    }
    return unpainted;
  }

  // Both windows with the overlay's marks over them, in device pixels, as the screen shows them.
  QImage Screenshot() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QImage shot((QSizeF(screen.size()) * Scale()).toSize(), QImage::Format_RGB32);
    shot.setDevicePixelRatio(Scale());
    shot.fill(QColor(0, 60, 90));
    QPainter painter(&shot);
    for (QWidget* window : {static_cast<QWidget*>(&Form()), static_cast<QWidget*>(&Help())}) {
      painter.fillRect(window->frameGeometry(), QColor(90, 90, 90));
      painter.drawPixmap(window->geometry().topLeft(), window->grab());
    }
    // Only its marks, without a background; its shape would move them to the shape's corner.
    if (QWidget* surface = OverlaySurface())
      surface->render(&painter, surface->geometry().topLeft(), QRegion(), QWidget::IgnoreMask);
    painter.end();
    shot.setDevicePixelRatio(1);
    return shot;
  }

  void Save(const QImage& shot) {
    QDir().mkpath(FENDREL_SCREENSHOTS);
    const QRect windows = Device(Form().frameGeometry().united(Help().frameGeometry()));
    shot.copy(windows.adjusted(-20, -20, 20, 20))
        .save(QString(FENDREL_SCREENSHOTS "/%1.png").arg(GetParam().Name));
  }

  TDrawingOverlay FDrawing;
  std::unique_ptr<TInstantHelpForm> FHelp;
  QPalette FPalette;
  QFont FFont;
};

TEST_P(TScreenGeometry, TheHelpWindowStandsFlushAgainstTheMainWindow) {
  const QRect screen = Device(QGuiApplication::primaryScreen()->availableGeometry());
  // Room on the right, and none: then the main window moves left.
  for (const QRect& main : {QRect(100, 80, 800, 600), QRect(1000, 80, 800, 600)}) {
    ShowBoth(main);
    const QRect mainFrame = Device(Form().frameGeometry());
    const QRect helpFrame = Device(Help().frameGeometry());
    EXPECT_NEAR(helpFrame.left(), mainFrame.right() + 1, 1) << main.x();
    EXPECT_NEAR(helpFrame.top(), mainFrame.top(), 1) << main.x();
    EXPECT_NEAR(helpFrame.bottom(), mainFrame.bottom(), 1) << main.x();
    EXPECT_TRUE(screen.contains(helpFrame)) << main.x();
    EXPECT_TRUE(screen.contains(mainFrame)) << main.x();
  }
}

TEST_P(TScreenGeometry, GuidingLinesRunFromTheHelpLinesIntoTheirControls) {
  const TFileSelectionWidgets& files = Form().FileWidgets();
  struct TCase {
    const char* Name;
    std::function<void()> Prepare;
    // The controls line 0 (red) and line 1 (blue) may end in.
    std::vector<std::vector<const QWidget*>> Targets;
  };
  const TCase cases[] = {
      {"path and mask missing",
       [] {},
       {{files.PathComboBox, files.SelectDirSpeedButton}, {files.MaskComboBox}}},
      {"strings missing",
       [this] {
         ListFiles({"/d/one.txt"});
         TickAll();
         Form().UpdateWorkflowState();
       },
       {{Form().CombiEditCharHexFrameFromStr()}, {Form().CombiEditCharHexFrameToStr()}}},
      {"multi-line strings missing",
       [this] {
         Form().PageControlLineMode()->setCurrentIndex(1);
         Form().UpdateWorkflowState();
       },
       {{Form().MultiLine().MemoFromStr()}, {Form().MultiLine().MemoToStr()}}},
      {"ready to start",
       [this] {
         Form().PageControlLineMode()->setCurrentIndex(0);
         Form().CombiEditCharHexFrameFromStr()->SetBytes("old");
         Form().CombiEditCharHexFrameToStr()->SetBytes("new");
         Form().UpdateWorkflowState();
       },
       {{Form().SnRButton()}}},
  };
  ShowBoth();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Prepare();
    // Until the list has been laid out and painted anew, its lines have no place to start from.
    ASSERT_TRUE(WaitFor([&] {
      Help().HelpListBox()->viewport()->repaint();
      return !Help().FirstItemRect().Empty() &&
             (c.Targets.size() < 2 || !Help().SecondItemRect().Empty());
    }));
    Form().DrawHelpLinesTimerTimer();
    const QImage shot = Screenshot();
    if (&c == &cases[0]) Save(shot);
    EXPECT_EQ(UnpaintedShapePixels(), 0);
    std::size_t expected = 0;
    for (const auto& targets : c.Targets)
      expected += targets.size();
    ASSERT_EQ(FDrawing.Lines.size(), expected);
    std::size_t next = 0;
    for (std::size_t line = 0; line < c.Targets.size(); ++line)
      for (const QWidget* control : c.Targets[line]) {
        const TDrawingOverlay::TLine& drawn = FDrawing.Lines[next++];
        const QColor colour(drawn.Colour & 0xFF, (drawn.Colour >> 8) & 0xFF, drawn.Colour >> 16);
        EXPECT_EQ(colour.red() > colour.blue(), line == 0);
        // A mark stands out from what it crosses: the help rows, the window and its boxes.
        for (const QColor& under :
             {QColor(Qt::white), QColor(230, 230, 230), Form().palette().color(QPalette::Window),
              Form().palette().color(QPalette::Base)})
          EXPECT_GE(Contrast(colour, under), 3.0)
              << colour.name().toStdString() << " on " << under.name().toStdString();
        const QRect from = HelpItem(static_cast<int>(line));
        const QRect to = DeviceOf(*control);
        EXPECT_TRUE(from.adjusted(-Slack(), 0, 0, 0).contains(drawn.From))
            << control->objectName().toStdString() << ": " << drawn.From.x() << ","
            << drawn.From.y();
        EXPECT_TRUE(to.adjusted(0, -Slack(), 0, 0).contains(drawn.To))
            << control->objectName().toStdString() << ": " << drawn.To.x() << "," << drawn.To.y();
        // The overlay drew the line's ends where it was told, not at their logical places.
        for (const QPoint end : {drawn.From, drawn.To}) {
          bool marked = false;
          for (int dy = -Slack(); dy <= Slack(); ++dy)
            for (int dx = -Slack(); dx <= Slack(); ++dx)
              marked = marked || shot.pixelColor(end + QPoint(dx, dy)) == colour;
          EXPECT_TRUE(marked) << control->objectName().toStdString() << ": " << end.x() << ","
                              << end.y();
        }
      }
  }
}

// The caption as drawn, access-key ampersands removed.
QSize CaptionSize(const QWidget& widget, const QString& text) {
  return widget.fontMetrics().size(Qt::TextShowMnemonic, text);
}

// What of `widget`'s caption would be cut, empty when all of it shows.
std::string CutCaption(const QWidget& widget) {
  QRect room;
  QString text;
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    text = label->text();
    if (text.isEmpty()) return {};
    if (label->wordWrap())
      return label->heightForWidth(label->width()) <= label->height() ? std::string()
                                                                      : text.toStdString();
    if (Qt::mightBeRichText(text))
      return label->sizeHint().width() <= label->width() ? std::string() : text.toStdString();
    room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                          -label->margin());
  } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
    text = button->text();
    if (text.isEmpty()) return {};
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = text;
    if (qobject_cast<const QCheckBox*>(button)) {
      // Its box, too, must show whole.
      if (button->height() < button->sizeHint().height())
        return text.toStdString() + " is lower than its box";
      room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button);
    } else if (qobject_cast<const QPushButton*>(button))
      room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    else
      room = button->rect();
  } else {
    return {};
  }
  const QSize needed = CaptionSize(widget, text);
  if (needed.width() <= room.width() && needed.height() <= room.height()) return {};
  return text.toStdString() + " needs " + std::to_string(needed.width()) + "x" +
         std::to_string(needed.height()) + ", has " + std::to_string(room.width()) + "x" +
         std::to_string(room.height());
}

TEST_P(TScreenGeometry, NoCaptionIsCutOff) {
  TBannerForm banner(&Form());
  TSnRAboutForm about(&Form());
  // At the window's usual size and at its smallest, in both languages.
  for (const QSize size : {QSize(800, 600), QSize(1, 1)}) {
    for (const std::int32_t language : {kEnglish, kGerman}) {
      TZQSnRMainForm::ChangeLanguage(language);
      banner.SetCurrentLanguage(language);
      about.SetCurrentLanguage(language);
      banner.show();
      about.show();
      ShowBoth(QRect(QPoint(100, 80), size));
      for (QWidget* window : {static_cast<QWidget*>(&Form()), static_cast<QWidget*>(&Help()),
                              static_cast<QWidget*>(&banner), static_cast<QWidget*>(&about)})
        for (const QWidget* widget : window->findChildren<QWidget*>()) {
          if (!widget->isVisibleTo(window)) continue;
          EXPECT_EQ(CutCaption(*widget), "")
              << widget->objectName().toStdString() << " at " << Form().width() << "x"
              << Form().height() << ", language " << language;
        }
      // The status line holds a line of text.
      EXPECT_GE(Form().statusBar()->contentsRect().height(),
                Form().statusBar()->fontMetrics().height());
    }
  }
  TZQSnRMainForm::ChangeLanguage(kEnglish);
}

TEST_P(TScreenGeometry, TextOnFixedColoursStaysReadable) {
  ShowBoth();
  // Every help line on its fixed light row.
  QListWidget& list = *Help().HelpListBox();
  ASSERT_GE(list.count(), 2);
  const QImage help = list.viewport()->grab().toImage();
  for (int row = 0; row < list.count(); ++row) {
    const QRect item = list.visualItemRect(list.item(row));
    const QRect area((QPointF(item.topLeft()) * Scale()).toPoint(),
                     (QSizeF(item.size()) * Scale()).toSize());
    EXPECT_GE(TextContrast(help, area.intersected(help.rect()), area.topLeft() + QPoint(1, 1)), 7.0)
        << "help line " << row;
  }

  // The markers of the line breaks beside the multi-line memo.
  Form().PageControlLineMode()->setCurrentIndex(1);
  Form().MultiLine().MemoFromStr()->setPlainText("one\ntwo\nthree");
  Form().MultiLine().SynchronizeLineBreakMemos();
  QPlainTextEdit& markers = *Form().MultiLine().MemoFromStrLinebreaks();
  ASSERT_FALSE(markers.toPlainText().trimmed().isEmpty());
  const QImage column = markers.viewport()->grab().toImage();
  EXPECT_GE(TextContrast(column, column.rect(), QPoint(1, 1)), 3.0);
}

INSTANTIATE_TEST_SUITE_P(Screens, TScreenGeometry, ::testing::ValuesIn(SettingsOfThisScale()),
                         [](const ::testing::TestParamInfo<TScreenSetting>& param) {
                           std::string name = param.param.Name;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(TScreenGeometry);

}  // namespace
}  // namespace fendrel::test

// The program's loader, without the library and with the library as built. The library keeps
// its elements for the whole process, so every test that draws starts with a clear.
#include "ui/overlay/uZQScreenOverlay.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBitmap>
#include <QRegion>
#include <QWidget>
#include <thread>

#include "overlay/ZQScreenOverlay.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using overlay::TOverlayNotification;

// Stands for the main window: keeps every notification posted to it.
class TRecorder : public QObject {
 public:
  std::vector<std::pair<std::int32_t, std::intptr_t>> Created;  // (element, detail)

  bool event(QEvent* event) override {
    if (event->type() != overlay::kNotificationEventType) return QObject::event(event);
    const auto* notification = static_cast<TOverlayNotification*>(event);
    EXPECT_EQ(notification->Message, overlay::kMessageElementCreated);
    Created.emplace_back(static_cast<std::int32_t>(notification->WParam), notification->LParam);
    return true;
  }
};

std::intptr_t HandleOf(QObject& object) {
  return reinterpret_cast<std::intptr_t>(&object);
}

QWidget* Surface() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("ZQScreenOverlay")) return widget;
  return nullptr;
}

const TScreenOverlayLibrary& Built() {
  static const TScreenOverlayLibrary library({FENDREL_TEST_OVERLAY_LIBRARY});
  return library;
}

TEST(ScreenOverlayLoader, ProgramDirectoryComesFirst) {
  for (const std::string dir : {"/opt/fendrel", "/opt/fendrel/"}) {
    const std::vector<std::string> candidates = ScreenOverlayCandidates(dir);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0], "/opt/fendrel/ZQ-ScreenOverlay.so");
    EXPECT_NE(candidates[1].find("/ZQ-ScreenOverlay.so"), std::string::npos);
  }
  EXPECT_EQ(ScreenOverlayCandidates("").size(), 1u);
}

TEST(ScreenOverlayLoader, WithoutTheLibraryEveryOperationReturnsMinusThree) {
  test::TTempDir dir;
  // Neither a missing file nor a file that is no library can be loaded.
  test::WriteFile(dir / "ZQ-ScreenOverlay.so", "not a library");
  const TScreenOverlayLibrary library({dir / "missing.so", dir / "ZQ-ScreenOverlay.so"});
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.Path(), "");
  TRecorder recorder;
  EXPECT_EQ(library.SetCallBackWindowHandle(HandleOf(recorder)), -3);
  EXPECT_EQ(library.Point(1, 2, 1, 0xFF), -3);
  EXPECT_EQ(library.Line(1, 2, 3, 4, 0xFF), -3);
  EXPECT_EQ(library.Rectangle(1, 2, 3, 4, 0xFF), -3);
  EXPECT_EQ(library.Clear(), -3);
}

TEST(ScreenOverlayLoader, TakesTheFirstCandidateThatLoads) {
  test::TTempDir dir;
  const TScreenOverlayLibrary library({dir / "missing.so", FENDREL_TEST_OVERLAY_LIBRARY});
  ASSERT_TRUE(library.Loaded());
  EXPECT_EQ(library.Path(), FENDREL_TEST_OVERLAY_LIBRARY);
}

TEST(ScreenOverlayLibrary, EachOperationDrawsAndNotifies) {
  const TScreenOverlayLibrary& library = Built();
  ASSERT_TRUE(library.Loaded());
  TRecorder recorder;
  EXPECT_EQ(library.Clear(), 0);
  EXPECT_EQ(library.SetCallBackWindowHandle(HandleOf(recorder)), 0);

  const std::int32_t point = library.Point(100, 100, 1, 0x0000FF);
  const std::int32_t line = library.Line(200, 50, 300, 50, 0xFF0000);
  const std::int32_t rectangle = library.Rectangle(400, 300, 420, 320, 0x0000FF);
  const std::int32_t circle = library.Point(500, 100, 2, 0);
  const std::int32_t square = library.Point(500, 200, 3, 0);
  EXPECT_GT(point, 0);
  EXPECT_EQ(line, point + 1);
  EXPECT_EQ(rectangle, line + 1);
  EXPECT_EQ(circle, rectangle + 1);
  EXPECT_EQ(square, circle + 1);
  EXPECT_EQ(library.Point(1, 1, 9, 0), -2);

  // Posted, not sent: nothing arrives before the event loop runs.
  EXPECT_TRUE(recorder.Created.empty());
  QCoreApplication::processEvents();
  const std::vector<std::pair<std::int32_t, std::intptr_t>> expected = {
      {point, 65}, {line, 65}, {rectangle, 65}, {circle, 65}, {square, 65}};
  EXPECT_EQ(recorder.Created, expected);

  // Only the marks belong to the window; the rest of the screen stays with the windows below.
  QWidget* surface = Surface();
  ASSERT_NE(surface, nullptr);
  EXPECT_TRUE(surface->isVisible());
  EXPECT_TRUE(surface->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_TRUE(surface->windowFlags().testFlag(Qt::WindowTransparentForInput));
  EXPECT_TRUE(surface->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  const QRegion shape = surface->mask().translated(surface->geometry().topLeft());
  struct TPixel {
    int X, Y;
    bool Marked;
  };
  const TPixel pixels[] = {
      {100, 100, true}, {96, 100, true},  {100, 104, true}, {101, 101, false},  // cross
      {200, 50, true},  {250, 50, true},  {300, 50, true},  {250, 51, false},   // line
      {400, 300, true}, {420, 320, true}, {410, 300, true}, {410, 310, false},  // outline
      {10, 10, false},  {421, 320, false}};
  for (const TPixel& p : pixels)
    EXPECT_EQ(shape.contains(QPoint(p.X, p.Y)), p.Marked) << p.X << "," << p.Y;

  EXPECT_EQ(library.Clear(), 0);
  EXPECT_FALSE(surface->isVisible());
  QCoreApplication::processEvents();
  EXPECT_EQ(recorder.Created.size(), expected.size());  // a clear creates nothing to report
  library.SetCallBackWindowHandle(0);
}

TEST(ScreenOverlayLibrary, LinesAccumulateUntilAClear) {
  const TScreenOverlayLibrary& library = Built();
  ASSERT_TRUE(library.Loaded());
  library.Clear();
  library.Line(10, 10, 60, 10, 0xFF);
  library.Line(10, 30, 60, 30, 0xFF);
  QWidget* surface = Surface();
  ASSERT_NE(surface, nullptr);
  const QRegion shape = surface->mask().translated(surface->geometry().topLeft());
  EXPECT_TRUE(shape.contains(QPoint(30, 10)));
  EXPECT_TRUE(shape.contains(QPoint(30, 30)));
  library.Clear();
  EXPECT_FALSE(surface->isVisible());
}

TEST(ScreenOverlayLibrary, AVanishedWindowGetsNoNotification) {
  const TScreenOverlayLibrary& library = Built();
  ASSERT_TRUE(library.Loaded());
  library.Clear();
  {
    TRecorder recorder;
    library.SetCallBackWindowHandle(HandleOf(recorder));
  }
  // Posting to the destroyed recorder would crash here (and fail under AddressSanitizer).
  EXPECT_GT(library.Line(0, 0, 10, 10, 0), 0);
  QCoreApplication::processEvents();
  library.Clear();
}

TEST(ScreenOverlayLibrary, RefusesOtherThreadsAndFarCoordinates) {
  const TScreenOverlayLibrary& library = Built();
  ASSERT_TRUE(library.Loaded());
  library.Clear();
  std::int32_t fromThread = 0;
  std::thread([&] { fromThread = library.Line(0, 0, 10, 10, 0); }).join();
  EXPECT_EQ(fromThread, -3);
  // Coordinates at the ends of the range draw without overflowing.
  EXPECT_GT(library.Point(INT32_MIN, INT32_MAX, 1, 0), 0);
  EXPECT_GT(library.Rectangle(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0), 0);
  EXPECT_GT(library.Line(INT32_MIN, 0, INT32_MAX, 0, 0), 0);
  QWidget* surface = Surface();
  ASSERT_NE(surface, nullptr);
  const QRegion shape = surface->mask().translated(surface->geometry().topLeft());
  EXPECT_TRUE(shape.contains(QPoint(5, 0)));  // the long line crosses the screen
  library.Clear();
}

}  // namespace
}  // namespace fendrel

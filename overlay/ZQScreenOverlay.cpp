// The exported operations: the process's one element list and its surface, both created on
// first use and living until the library is unloaded.
#include "ZQScreenOverlay.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <memory>

#include "OverlayElements.h"
#include "ScreenOverlayWindow.h"

using fendrel::overlay::kElementCreatedDetail;
using fendrel::overlay::kMessageElementCreated;
using fendrel::overlay::kNoElement;
using fendrel::overlay::kOperationFailed;
using fendrel::overlay::TOverlayElements;
using fendrel::overlay::TOverlayNotification;
using fendrel::overlay::TScreenOverlayWindow;

namespace {

struct TOverlayState {
  TOverlayElements Elements;
  // Widgets die with the QApplication that made them; a later application gets a new surface.
  QPointer<TScreenOverlayWindow> Surface;
  // Posting to an object that has gone would crash the program, so the target is watched.
  QPointer<QObject> CallBack;
};

TOverlayState& State() {
  static TOverlayState state;
  return state;
}

// Widgets exist only in the thread of a QApplication (not a bare QCoreApplication).
bool CanDraw() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

void Show() {
  TOverlayState& state = State();
  if (!state.Surface) state.Surface = new TScreenOverlayWindow;
  state.Surface->ShowElements(state.Elements.Elements());
}

// Shows the element just added, or takes it back when nothing could be drawn, and tells the
// registered window about it.
std::int32_t Finish(std::int32_t number) {
  if (number == kNoElement) return number;
  Show();
  if (QObject* target = State().CallBack.data())
    QCoreApplication::postEvent(
        target, new TOverlayNotification(kMessageElementCreated, number, kElementCreatedDetail));
  return number;
}

}  // namespace

std::int32_t ZQScreenOverlay_Clear() {
  if (!CanDraw()) return kOperationFailed;
  State().Elements.Clear();
  if (State().Surface) Show();
  return 0;
}

std::int32_t ZQScreenOverlay_SetCallBackWindowHandle(TZQWindowHandle window) {
  if (!CanDraw()) return kOperationFailed;
  State().CallBack = reinterpret_cast<QObject*>(window);
  return 0;
}

std::int32_t ZQScreenOverlay_Point(std::int32_t x, std::int32_t y, std::int32_t pointType,
                                   TZQColour colour) {
  if (!CanDraw()) return kOperationFailed;
  return Finish(State().Elements.AddPoint(x, y, pointType, colour));
}

std::int32_t ZQScreenOverlay_Line(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                  std::int32_t y2, TZQColour colour) {
  if (!CanDraw()) return kOperationFailed;
  return Finish(State().Elements.AddLine(x1, y1, x2, y2, colour));
}

std::int32_t ZQScreenOverlay_Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                       std::int32_t bottom, TZQColour colour) {
  if (!CanDraw()) return kOperationFailed;
  return Finish(State().Elements.AddRectangle(left, top, right, bottom, colour));
}

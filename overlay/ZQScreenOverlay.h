// The screen overlay's exported operations and the notification it posts, shared by the library
// and the program that loads it at run time. Every operation must be called from the thread of
// the program's QApplication; from any other thread, or without a QApplication, it draws nothing
// and returns -3.
#pragma once

#include <QEvent>
#include <cstdint>

// A window handle is the address of the QObject that receives the notifications; 0 is none.
using TZQWindowHandle = std::intptr_t;
// Red in the lowest byte, then green, then blue; the highest byte is ignored.
using TZQColour = std::uint32_t;

#define ZQ_SCREEN_OVERLAY_EXPORT extern "C" __attribute__((visibility("default")))

// Removes every element drawn so far. Returns 0.
ZQ_SCREEN_OVERLAY_EXPORT std::int32_t ZQScreenOverlay_Clear();
// The object to which later notifications are posted; 0 stops them. The object may be destroyed
// at any time: the library stops posting to it then. Returns 0.
ZQ_SCREEN_OVERLAY_EXPORT std::int32_t ZQScreenOverlay_SetCallBackWindowHandle(
    TZQWindowHandle window);
// The drawing operations take positions in the screen's device pixels, the pixels the window
// system counts, whatever scale the program's windows are laid out at. They return the new
// element's number (1 or more), -2 when no element was created (a point type other than 1 cross,
// 2 circle, 3 square), or -3 when drawing failed.
ZQ_SCREEN_OVERLAY_EXPORT std::int32_t ZQScreenOverlay_Point(std::int32_t x, std::int32_t y,
                                                            std::int32_t pointType,
                                                            TZQColour colour);
ZQ_SCREEN_OVERLAY_EXPORT std::int32_t ZQScreenOverlay_Line(std::int32_t x1, std::int32_t y1,
                                                           std::int32_t x2, std::int32_t y2,
                                                           TZQColour colour);
ZQ_SCREEN_OVERLAY_EXPORT std::int32_t ZQScreenOverlay_Rectangle(std::int32_t left, std::int32_t top,
                                                                std::int32_t right,
                                                                std::int32_t bottom,
                                                                TZQColour colour);

namespace fendrel::overlay {

// Notification numbers; the overlay posts kMessageElementCreated after each new element, with
// the element's number as first and kElementCreatedDetail as second parameter.
inline constexpr std::int32_t kMessageFirst = 8024;
inline constexpr std::int32_t kMessageElementCreated = 8029;
inline constexpr std::intptr_t kElementCreatedDetail = 65;

// Every notification arrives as an event of this type; an object that does not handle it leaves
// it ignored, as QObject does with any event it does not know.
inline constexpr QEvent::Type kNotificationEventType =
    static_cast<QEvent::Type>(QEvent::User + kMessageFirst);

// Defined wholly here, so that the library and the program agree on it without linking each
// other; a receiver checks type() == kNotificationEventType and then static_casts.
class TOverlayNotification : public QEvent {
 public:
  TOverlayNotification(std::int32_t message, std::intptr_t wParam, std::intptr_t lParam)
      : QEvent(kNotificationEventType), Message(message), WParam(wParam), LParam(lParam) {}

  std::int32_t Message;
  std::intptr_t WParam;
  std::intptr_t LParam;
};

}  // namespace fendrel::overlay

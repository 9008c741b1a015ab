#include "NativeWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#ifdef FENDREL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace fendrel {
namespace {

#ifdef FENDREL_HAVE_XCB
template <typename TReply>
using TOwned = std::unique_ptr<TReply, decltype(&std::free)>;

template <typename TReply>
TOwned<TReply> Owned(TReply* reply) {
  return TOwned<TReply>(reply, &std::free);
}

// The window's place from the X server; false where the program does not run on X11. The frame
// stays empty while no window manager has framed the window.
bool X11Geometry(const QWidget& window, TNativeGeometry& geometry) {
  // Other platforms may offer an X11 connection of their own (the offscreen one does, for
  // OpenGL); only the X11 platform's windows are on the X server.
  if (QGuiApplication::platformName() != QLatin1String("xcb") ||
      !window.testAttribute(Qt::WA_WState_Created))
    return false;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (connection == nullptr) return false;
  static const xcb_atom_t extentsAtom = [connection] {
    constexpr char kName[] = "_NET_FRAME_EXTENTS";
    const auto reply = Owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  }();
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  // All three asked at once, so that they cost one trip to the server.
  const auto size = xcb_get_geometry(connection, id);
  const auto place = xcb_translate_coordinates(connection, id, root, 0, 0);
  const auto frame = xcb_get_property(connection, 0, id, extentsAtom, XCB_ATOM_CARDINAL, 0, 4);
  const auto sizeReply = Owned(xcb_get_geometry_reply(connection, size, nullptr));
  const auto placeReply = Owned(xcb_translate_coordinates_reply(connection, place, nullptr));
  const auto frameReply = Owned(xcb_get_property_reply(connection, frame, nullptr));
  if (!sizeReply || !placeReply) return false;
  geometry.Client =
      QRect(placeReply->dst_x, placeReply->dst_y, sizeReply->width, sizeReply->height);
  geometry.Frame = QMargins();
  if (frameReply && frameReply->format == 32 &&
      xcb_get_property_value_length(frameReply.get()) == 16) {
    const auto* extents =
        static_cast<const std::uint32_t*>(xcb_get_property_value(frameReply.get()));
    geometry.Frame = QMargins(static_cast<int>(extents[0]), static_cast<int>(extents[2]),
                              static_cast<int>(extents[1]), static_cast<int>(extents[3]));
  }
  return true;
}
#endif

}  // namespace

TNativeGeometry NativeGeometry(const QWidget& window) {
  TNativeGeometry geometry;
#ifdef FENDREL_HAVE_XCB
  if (X11Geometry(window, geometry)) return geometry;
#endif
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  const QScreen* screen = window.screen();
  const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
  const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
  // As Qt places a window: the screen's corner kept, the rest scaled and rounded.
  geometry.Client = QRect(origin + (client.topLeft() - origin) * ratio, client.size() * ratio);
  const auto scaled = [ratio](int logical) { return qRound(logical * ratio); };
  geometry.Frame =
      QMargins(scaled(client.left() - frame.left()), scaled(client.top() - frame.top()),
               scaled(frame.right() - client.right()), scaled(frame.bottom() - client.bottom()));
  return geometry;
}

}  // namespace fendrel

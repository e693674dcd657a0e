#include "platform/FloatingWindows.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace klipo::platform {

namespace {

xcb_connection_t* qtConnection()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window)
{
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> reply(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr), &std::free);
    return reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
}

// A client message to the root window, as EWMH asks for changes of mapped windows.
void sendToRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    int i = 0;
    for (uint32_t value : data) event.data.data32[i++] = value;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

std::optional<QMargins> readFrameExtents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t extents)
{
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16) return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    // left, right, top, bottom
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

}  // namespace

std::optional<QMargins> askFrameExtents(QWidget* window, int waitMs)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection || !window || !window->isWindow()) return std::nullopt;
    const auto id = xcb_window_t(window->winId());
    const xcb_window_t root = rootOf(connection, id);
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(connection, "_NET_FRAME_EXTENTS");
    if (root == XCB_WINDOW_NONE || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE) return std::nullopt;
    if (auto known = readFrameExtents(connection, id, extents)) return known;
    sendToRoot(connection, root, id, request, {});
    xcb_flush(connection);
    // The window manager answers by setting the property (measured with
    // openbox: within 2 ms), or not at all.
    QElapsedTimer waited;
    waited.start();
    do {
        if (auto answer = readFrameExtents(connection, id, extents)) return answer;
        QThread::msleep(2);
    } while (waited.elapsed() < waitMs);
    return std::nullopt;
}

void showOnAllDesktops(QWidget* window)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection || !window || !window->isWindow()) return;
    const bool mapped = window->isVisible();
    const auto id = xcb_window_t(window->winId());
    const xcb_window_t root = rootOf(connection, id);
    const xcb_atom_t desktop = atom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t sticky = atom(connection, "_NET_WM_STATE_STICKY");
    if (root == XCB_WINDOW_NONE || desktop == XCB_ATOM_NONE || state == XCB_ATOM_NONE || sticky == XCB_ATOM_NONE)
        return;
    constexpr uint32_t allDesktops = 0xFFFFFFFF;
    if (!mapped) {
        // Read by the window manager when it takes the window on; Qt keeps
        // states it does not manage itself when it shows the window.
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
        xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &sticky);
    } else {
        // A managed window changes state through requests to the window manager.
        constexpr uint32_t add = 1;
        constexpr uint32_t normalSource = 1;
        sendToRoot(connection, root, id, desktop, {allDesktops, normalSource});
        sendToRoot(connection, root, id, state, {add, sticky, 0, normalSource});
    }
    xcb_flush(connection);
}

}  // namespace klipo::platform

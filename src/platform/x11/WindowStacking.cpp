#include "platform/WindowStacking.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace klipo::platform {

namespace {

xcb_connection_t* qtConnection()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The first values of a 32-bit property (windows or atoms).
std::vector<uint32_t> property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 64), nullptr), &std::free);
    if (!reply || reply->format != 32) return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

bool isOurs(xcb_window_t window)
{
    const auto windows = QGuiApplication::allWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [window](QWindow* w) { return w->handle() && w->winId() == window; });
}

void setTransientFor(xcb_connection_t* c, xcb_window_t window, xcb_window_t parent)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &parent);
}

bool isFullScreen(xcb_connection_t* c, xcb_window_t window)
{
    const xcb_atom_t wanted = atom(c, "_NET_WM_STATE_FULLSCREEN");
    const auto states = property(c, window, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM);
    return std::find(states.begin(), states.end(), wanted) != states.end();
}

// Another program's full-screen window that has the focus, or that one of
// our windows tied to it has the focus (the window manager keeps it above
// every "keep above" window then too). None otherwise.
xcb_window_t focusedFullScreenWindow(xcb_connection_t* c, xcb_window_t root)
{
    const auto active = property(c, root, atom(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    xcb_window_t focused = active.empty() ? xcb_window_t(XCB_WINDOW_NONE) : active.front();
    if (focused != XCB_WINDOW_NONE && isOurs(focused)) {
        const auto parent = property(c, focused, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
        focused = parent.empty() || isOurs(parent.front()) ? xcb_window_t(XCB_WINDOW_NONE) : parent.front();
    }
    return focused != XCB_WINDOW_NONE && isFullScreen(c, focused) ? focused : xcb_window_t(XCB_WINDOW_NONE);
}

}  // namespace

void raiseWithoutFocus(QWidget* widget)
{
    if (!widget) return;
    xcb_connection_t* c = qtConnection();
    const QWindow* handle = widget->windowHandle();
    if (!c || !handle || !handle->handle() || !widget->isVisible()) {
        widget->raise();
        return;
    }
    const xcb_window_t own = xcb_window_t(widget->winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

    const xcb_window_t cover = focusedFullScreenWindow(c, root);
    if (cover != XCB_WINDOW_NONE) {
        setTransientFor(c, own, cover);
    } else {
        // Back to what Qt gives a tool window: transient for our own group.
        const auto leader = property(c, own, atom(c, "WM_CLIENT_LEADER"), XCB_ATOM_WINDOW);
        const auto current = property(c, own, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
        if (!leader.empty() && !current.empty() && current.front() != leader.front())
            setTransientFor(c, own, leader.front());
    }
    xcb_flush(c);
    widget->raise();
}

QList<quint32> managedWindowsBottomToTop()
{
    xcb_connection_t* c = qtConnection();
    if (!c) return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    QList<quint32> windows;
    // Read whole: a busy desktop lists more than one request's worth.
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            c, xcb_get_property(c, 0, root, atom(c, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 0, 4096),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32) return windows;
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i) windows.append(values[i]);
    return windows;
}

void restackBelow(QWidget* widget, quint32 sibling)
{
    xcb_connection_t* c = qtConnection();
    if (!c || !widget || !widget->windowHandle() || !widget->windowHandle()->handle()) return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Sent on Qt's own connection after its map request, so the window
    // manager has taken the window on when it reads this.
    constexpr uint32_t sourcePager = 2;  // the only source window managers obey here
    constexpr uint32_t below = 1;        // XCB_STACK_MODE_BELOW
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(widget->winId());
    event.type = atom(c, "_NET_RESTACK_WINDOW");
    event.data.data32[0] = sourcePager;
    event.data.data32[1] = sibling;
    event.data.data32[2] = below;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

}  // namespace klipo::platform

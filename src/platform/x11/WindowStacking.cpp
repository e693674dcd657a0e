#include "platform/WindowStacking.h"

#include "platform/x11/X11Basics.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace klipo::platform {

namespace {

using x11::atom;
using x11::property32;
using x11::qtConnection;

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
    const auto states = property32(c, window, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM);
    return std::find(states.begin(), states.end(), wanted) != states.end();
}

// Another program's full-screen window that has the focus, or that one of
// our windows tied to it has the focus (the window manager keeps it above
// every "keep above" window then too). None otherwise.
xcb_window_t focusedFullScreenWindow(xcb_connection_t* c, xcb_window_t root)
{
    const auto active = property32(c, root, atom(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    xcb_window_t focused = active.empty() ? xcb_window_t(XCB_WINDOW_NONE) : active.front();
    if (focused != XCB_WINDOW_NONE && isOurs(focused)) {
        const auto parent = property32(c, focused, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
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
        // Untied again: back to what Qt gives the window (a tool window is
        // transient for our own group, any other for nothing).
        const auto leader = property32(c, own, atom(c, "WM_CLIENT_LEADER"), XCB_ATOM_WINDOW);
        const auto current = property32(c, own, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
        const bool tool = widget->windowType() == Qt::Tool;
        if (!current.empty() && (leader.empty() || current.front() != leader.front())) {
            if (tool && !leader.empty()) setTransientFor(c, own, leader.front());
            else xcb_delete_property(c, own, XCB_ATOM_WM_TRANSIENT_FOR);
        }
    }
    xcb_flush(c);
    widget->raise();
}

QList<quint32> managedWindowsBottomToTop()
{
    xcb_connection_t* c = qtConnection();
    if (!c) return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Read whole: a busy desktop lists more than one request's worth.
    QList<quint32> windows;
    for (uint32_t window : property32(c, root, atom(c, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 4096))
        windows.append(window);
    return windows;
}

void restackBelow(QWidget* widget, quint32 sibling)
{
    xcb_connection_t* c = qtConnection();
    if (!c || !widget || !widget->windowHandle() || !widget->windowHandle()->handle()) return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Sent on Qt's own connection after its map request, so the window
    // manager has taken the window on when it reads this.
    constexpr uint32_t below = 1;  // XCB_STACK_MODE_BELOW
    // As a pager: the only source window managers obey here.
    x11::sendToRoot(c, root, xcb_window_t(widget->winId()), atom(c, "_NET_RESTACK_WINDOW"),
                    {x11::kSourcePager, sibling, below});
    xcb_flush(c);
}

}  // namespace klipo::platform

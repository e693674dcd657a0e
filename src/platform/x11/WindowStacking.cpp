#include "platform/WindowStacking.h"

#include "platform/x11/X11Basics.h"

#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace klipo::platform {

namespace {

using x11::atom;
using x11::property32;
using x11::qtConnection;

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
    if (focused != XCB_WINDOW_NONE && x11::isOwnWindow(focused)) {
        const auto parent = property32(c, focused, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
        focused = parent.empty() || x11::isOwnWindow(parent.front()) ? xcb_window_t(XCB_WINDOW_NONE) : parent.front();
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

QList<StackedWindow> managedWindowsBottomToTop()
{
    xcb_connection_t* c = qtConnection();
    if (!c) return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Read whole: a busy desktop lists more than one request's worth.
    const std::vector<uint32_t> stack =
        property32(c, root, atom(c, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 4096);
    const xcb_atom_t typeAtom = atom(c, "_NET_WM_WINDOW_TYPE"), stateAtom = atom(c, "_NET_WM_STATE");
    const xcb_atom_t dock = atom(c, "_NET_WM_WINDOW_TYPE_DOCK"), desktop = atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_atom_t above = atom(c, "_NET_WM_STATE_ABOVE"), below = atom(c, "_NET_WM_STATE_BELOW");
    // Ask everything first, then read the answers: one round trip in all.
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> asked;
    asked.reserve(stack.size());
    for (uint32_t window : stack)
        asked.emplace_back(xcb_get_property(c, false, window, typeAtom, XCB_ATOM_ATOM, 0, 32),
                           xcb_get_property(c, false, window, stateAtom, XCB_ATOM_ATOM, 0, 32));
    const auto atomsOf = [c](xcb_get_property_cookie_t cookie) {
        std::vector<xcb_atom_t> values;
        if (auto r = x11::reply(xcb_get_property_reply(c, cookie, nullptr)); r && r->format == 32) {
            const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
            values.assign(data, data + xcb_get_property_value_length(r.get()) / 4);
        }
        return values;
    };
    QList<StackedWindow> windows;
    for (std::size_t i = 0; i < stack.size(); ++i) {
        const std::vector<xcb_atom_t> types = atomsOf(asked[i].first), states = atomsOf(asked[i].second);
        const auto has = [](const std::vector<xcb_atom_t>& list, xcb_atom_t a) {
            return std::find(list.begin(), list.end(), a) != list.end();
        };
        StackLayer layer = StackLayer::normal;
        if (has(types, desktop) || has(states, below))
            layer = StackLayer::below;
        else if (has(types, dock) || has(states, above))
            layer = StackLayer::above;
        windows.append({stack[i], layer});
    }
    return windows;
}

bool belowOtherPrograms(const QWidget* window)
{
    if (!window || !window->internalWinId()) return false;
    const auto own = quint32(window->internalWinId());
    const QList<StackedWindow> stack = managedWindowsBottomToTop();
    const auto at = std::find_if(stack.begin(), stack.end(), [own](const StackedWindow& w) { return w.id == own; });
    return at != stack.end() && std::any_of(at + 1, stack.end(), [at](const StackedWindow& w) {
               return w.layer == at->layer && !x11::isOwnWindow(w.id);
           });
}

bool managerTakesRestackRequests()
{
    xcb_connection_t* c = qtConnection();
    if (!c) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto supported = property32(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 1024);
    return std::find(supported.begin(), supported.end(), atom(c, "_NET_RESTACK_WINDOW")) != supported.end();
}

namespace {

void restack(QWidget* widget, quint32 sibling, uint32_t mode)
{
    xcb_connection_t* c = qtConnection();
    if (!c || !widget || !widget->windowHandle() || !widget->windowHandle()->handle()) return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto own = xcb_window_t(widget->winId());
    // Sent on Qt's own connection after its map request, so the window
    // manager has taken the window on when it reads this.
    if (managerTakesRestackRequests()) {
        // As a pager: the only source window managers obey here.
        x11::sendToRoot(c, root, own, atom(c, "_NET_RESTACK_WINDOW"), {x11::kSourcePager, sibling, mode});
    } else {
        // A manager without it (xfwm4) still lowers a window, or raises the
        // focused one, that asks itself; with no sibling, which would have
        // to be its frame's.
        xcb_configure_window(c, own, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
    }
    xcb_flush(c);
}

}  // namespace

void restackBelow(QWidget* widget, quint32 sibling) { restack(widget, sibling, XCB_STACK_MODE_BELOW); }

// No sibling: the top of the stack.
void restackOnTop(QWidget* widget) { restack(widget, XCB_WINDOW_NONE, XCB_STACK_MODE_ABOVE); }

}  // namespace klipo::platform

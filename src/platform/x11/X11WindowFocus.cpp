#include "platform/WindowFocus.h"

#include "platform/x11/X11Basics.h"

#include <QWidget>

namespace klipo::platform {

namespace {

using x11::atom;
using x11::qtConnection;

xcb_window_t rootWindow(xcb_connection_t* c)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem ? it.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

class X11WindowFocus final : public WindowFocus {
public:
    std::optional<NativeWindowId> activeWindow() override
    {
        xcb_connection_t* c = qtConnection();
        if (!c) return std::nullopt;
        const xcb_window_t root = rootWindow(c);
        const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
        if (root == XCB_WINDOW_NONE || active == XCB_ATOM_NONE) return std::nullopt;
        const std::vector<uint32_t> window = x11::property32(c, root, active, XCB_ATOM_WINDOW, 1);
        if (window.empty() || window.front() == XCB_WINDOW_NONE) return std::nullopt;
        return NativeWindowId(window.front());
    }

    void activateWindow(NativeWindowId window) override
    {
        xcb_connection_t* c = qtConnection();
        if (!c || window == XCB_WINDOW_NONE) return;
        const xcb_window_t root = rootWindow(c);
        const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
        if (root == XCB_WINDOW_NONE || active == XCB_ATOM_NONE) return;
        // Asked as a pager would: the user did ask for it.
        x11::sendToRoot(c, root, window, active, {x11::kSourcePager, XCB_CURRENT_TIME, XCB_WINDOW_NONE});
        xcb_flush(c);
    }
};

class NoWindowFocus final : public WindowFocus {
public:
    std::optional<NativeWindowId> activeWindow() override { return std::nullopt; }
    void activateWindow(NativeWindowId) override {}
};

}  // namespace

WindowFocus& windowFocus()
{
    static X11WindowFocus x11;
    static NoWindowFocus none;
    if (qtConnection()) return x11;
    return none;
}

void activateOwnWindow(QWidget* window)
{
    if (!window) return;
    if (!qtConnection() || !window->internalWinId()) {
        window->activateWindow();
        return;
    }
    windowFocus().activateWindow(NativeWindowId(window->internalWinId()));
}

}  // namespace klipo::platform

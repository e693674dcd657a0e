#include "platform/WindowFocus.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace klipo::platform {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* qtConnection()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

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
        Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(c, xcb_get_property(c, 0, root, active, XCB_ATOM_WINDOW, 0, 1), nullptr),
            &std::free);
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) return std::nullopt;
        const auto window = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
        if (window == XCB_WINDOW_NONE) return std::nullopt;
        return NativeWindowId(window);
    }

    void activateWindow(NativeWindowId window) override
    {
        xcb_connection_t* c = qtConnection();
        if (!c || window == XCB_WINDOW_NONE) return;
        const xcb_window_t root = rootWindow(c);
        const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
        if (root == XCB_WINDOW_NONE || active == XCB_ATOM_NONE) return;
        // Asked as a pager would: window managers apply no focus-stealing
        // prevention to that source, and the user did ask for it.
        constexpr uint32_t sourcePager = 2;
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = active;
        event.data.data32[0] = sourcePager;
        event.data.data32[1] = XCB_CURRENT_TIME;
        event.data.data32[2] = XCB_WINDOW_NONE;
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
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

}  // namespace klipo::platform

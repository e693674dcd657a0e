#include "platform/x11/X11Basics.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xfixes.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace klipo::platform::x11 {

xcb_connection_t* qtConnection()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

bool isOwnWindow(xcb_window_t window)
{
    const auto windows = QGuiApplication::allWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [window](QWindow* w) { return w->handle() && xcb_window_t(w->winId()) == window; });
}

// An atom lasts as long as the server: each name is asked for once per
// connection, not on every call (several run on each stacking or focus change).
xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    static std::mutex guard;
    static std::map<std::pair<xcb_connection_t*, std::string>, xcb_atom_t> known;
    std::pair<xcb_connection_t*, std::string> key(c, name);
    {
        const std::lock_guard<std::mutex> lock(guard);
        if (const auto it = known.find(key); it != known.end()) return it->second;
    }
    auto r = reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    if (!r || r->atom == XCB_ATOM_NONE) return XCB_ATOM_NONE;
    const std::lock_guard<std::mutex> lock(guard);
    known.emplace(std::move(key), r->atom);
    return r->atom;
}

std::vector<uint32_t> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
                                 uint32_t maxValues)
{
    auto r = reply(xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, maxValues), nullptr));
    if (!r || r->format != 32) return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    return {values, values + xcb_get_property_value_length(r.get()) / 4};
}

xcb_timestamp_t serverTime()
{
    // Qt's connection cannot be used: its own thread reads the events.
    static std::mutex guard;
    const std::lock_guard<std::mutex> lock(guard);
    static xcb_connection_t* c = nullptr;
    static xcb_window_t window = XCB_WINDOW_NONE;
    if (!c) {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) return XCB_CURRENT_TIME;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        window = xcb_generate_id(c);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, 0, window, screen->root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    }
    if (xcb_connection_has_error(c)) return XCB_CURRENT_TIME;
    // Appending nothing changes nothing but is reported, with the time.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const bool notice = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
        const xcb_timestamp_t time = notice ? reinterpret_cast<xcb_property_notify_event_t*>(event)->time : 0;
        std::free(event);
        if (notice) return time;
    }
    return XCB_CURRENT_TIME;
}

void sendToRoot(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    int i = 0;
    for (uint32_t value : data) event.data.data32[i++] = value;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

uint8_t watchSelectionOwner(xcb_connection_t* c, xcb_window_t root, xcb_atom_t selection)
{
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) return 0;
    std::free(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    xcb_xfixes_select_selection_input(c, root, selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
    return uint8_t(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
}

}  // namespace klipo::platform::x11

#pragma once

#include "GlobalShortcuts/Key.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/X11KeyboardLayout.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace klipo::test {

// Another program on the same X display, holding key grabs of its own.
class OtherXClient {
public:
    OtherXClient() : m_connection(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherXClient() { xcb_disconnect(m_connection); }

    // Whether the server gave it the key with these X modifiers.
    bool grab(GlobalShortcuts::Key key, quint16 modifiers)
    {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 0, m_root, modifiers, nativeKeyCode(key),
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(m_connection, cookie);
        std::free(error);
        return error == nullptr;
    }
    void ungrab(GlobalShortcuts::Key key, quint16 modifiers)
    {
        xcb_ungrab_key(m_connection, nativeKeyCode(key), m_root, modifiers);
        // A round trip: the server has let go before anyone asks again.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

private:
    static quint8 nativeKeyCode(GlobalShortcuts::Key key)
    {
        auto* layout = dynamic_cast<platform::X11KeyboardLayout*>(&platform::keyboardLayout());
        return layout ? layout->nativeKeyCode(key.rawValue).value_or(0) : 0;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
};

}  // namespace klipo::test

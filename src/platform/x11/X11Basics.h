#pragma once

// The few X requests the window helpers share: Qt's connection, atoms,
// 32-bit properties and the client messages EWMH asks for. Main thread, on
// Qt's own connection unless a caller passes another.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

namespace klipo::platform::x11 {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T* raw)
{
    return Reply<T>(raw, &std::free);
}

// Qt's connection to the X server; none outside X11.
xcb_connection_t* qtConnection();

// Whether `window` is one of this program's own top-level windows.
bool isOwnWindow(xcb_window_t window);

// The atom named `name`, made when missing; XCB_ATOM_NONE without an answer.
xcb_atom_t atom(xcb_connection_t* c, const char* name);

// The first `maxValues` values of a 32-bit property (windows, atoms,
// cardinals); empty when it is absent or of another format.
std::vector<uint32_t> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
                                 uint32_t maxValues = 64);

// The X server's time now, from a round trip on a small connection of our
// own: focus changes should carry a real time (ICCCM). One stamped "now"
// (CurrentTime) makes the server refuse every later change that carries the
// time of an earlier event, the window manager's included. CurrentTime
// without an answer.
xcb_timestamp_t serverTime();

// A client message about `window` to the root window, as EWMH asks for
// changes of managed windows. Not flushed.
void sendToRoot(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                std::initializer_list<uint32_t> data);

// Asks the server to say when the owner of `selection` changes (set, its
// window destroyed, its client gone), through XFixes. The event code of
// those notices; 0 without XFixes. Flushed.
uint8_t watchSelectionOwner(xcb_connection_t* c, xcb_window_t root, xcb_atom_t selection);

// EWMH's source indication of a request made for the user directly (a
// pager's): window managers apply no focus-stealing prevention to it.
inline constexpr uint32_t kSourcePager = 2;

}  // namespace klipo::platform::x11

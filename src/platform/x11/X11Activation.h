#pragma once

#include <xcb/xcb.h>

namespace klipo::platform::x11 {

// Activates another program's window as a pager would (`root`: the root
// window of its screen). A window manager that already takes the window for
// active may do nothing: when an unmanaged window of ours (the overlay, the
// region picker) had the keys and went away, they fell to the root window
// and stay there under xfwm4. Then they are handed to the window directly,
// as its hints ask. Flushed.
void activateWindow(xcb_connection_t* c, xcb_window_t root, xcb_window_t window);

}  // namespace klipo::platform::x11

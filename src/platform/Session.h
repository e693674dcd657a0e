#pragma once

#include <QString>

namespace klipo::platform {

// What kind of desktop session this process runs in.

// Before QApplication exists: whether a display can be opened at all (an X11
// display that answers, a Wayland socket Qt can use, or a platform that needs
// no display such as offscreen). Without one, Qt would abort on start.
bool hasDisplay();

// The message main() prints on standard error when hasDisplay() is false, in
// Chinese and English.
QString noDisplayMessage();

// Prints noDisplayMessage() on standard error when there is no display.
// Returns hasDisplay().
bool checkDisplayOrExplain();

// After QGuiApplication exists: running on Qt's xcb platform with a live X11
// connection in a real X11 session (not XWayland, whose root window shows
// nothing of the other programs).
bool isX11Session();

// Why the screen cannot be captured outside an X11 session (user-facing, Chinese).
QString x11SessionRequiredText();

// Short reason attached to a failed screenshot outside an X11 session.
QString screenGrabNeedsX11Reason();

}  // namespace klipo::platform

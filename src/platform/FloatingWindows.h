#pragma once

#include <QMargins>
#include <QRect>

#include <optional>

class QWidget;

namespace klipo::platform {

// Whether the window, which Qt takes for shown, really is on the screen:
// false when another program unmapped or destroyed its native window, or the
// window manager iconified it. True outside X11 and for windows without a
// native window.
bool isMappedOnScreen(QWidget* window);

// The frame the window manager will put around a window not shown yet
// (EWMH _NET_REQUEST_FRAME_EXTENTS), waiting at most `waitMs` for its
// answer. None outside X11 or without an answer. Creates the native window.
std::optional<QMargins> askFrameExtents(QWidget* window, int waitMs = 150);

// Whether a compositing manager runs on the window's screen (EWMH
// _NET_WM_CM_Sn has an owner): only then do translucent pixels show what
// lies behind a window. False outside X11.
bool compositorRunning(const QWidget* window);

// Where a shown window takes clicks (its X input shape), in the window's own
// coordinates: elsewhere they go to what lies below it. An empty area gives
// the whole window back its clicks. A frame the window manager put around it
// without a border of its own gets the same area: call again once the window
// is framed. Does nothing outside X11 or before the window has a native
// window.
void setInputArea(QWidget* window, const QRect& area);

// Tells the window manager which border of the window is drawn by the window
// itself and is no part of what it shows (_GTK_FRAME_EXTENTS): managers that
// read it keep only the rest on the screen and draw no shadow of their own.
// None removes it. Same conditions as setInputArea.
void setOwnFrameExtents(QWidget* window, const QMargins& extents);

}  // namespace klipo::platform

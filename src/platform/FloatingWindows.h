#pragma once

#include <QMargins>

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

// Round corners for a translucent window: without a compositor the corners
// are cut out of the window's shape (they would show black); with one the
// window keeps its whole shape and draws its own soft corners. Call on
// every resize and before each showing (a compositor may have come or gone).
void shapeRoundedCorners(QWidget* window, qreal radius);

}  // namespace klipo::platform

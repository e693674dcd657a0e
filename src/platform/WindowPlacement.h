#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace klipo::platform {

// `frame` moved, not resized, so that it lies inside `area`. A frame larger
// than the area keeps its top-left corner inside, where the title bar is.
QRect keptInside(const QRect& frame, const QRect& area);

// What the window manager puts around a top-level window (title bar,
// borders). Known once the window has been framed; before its first showing
// it is asked of the window manager (EWMH _NET_REQUEST_FRAME_EXTENTS, a
// short wait). None for frameless windows or without an answer. Main thread.
QMargins expectedFrameMargins(QWidget* window);

// The window's size on the screen with that frame.
QSize expectedFrameSize(QWidget* window);

// Moves a top-level window so that its frame's top-left corner is at
// `frameTopLeft`, kept inside `area` (a screen's available area, global),
// on its first showing too: the frame is allowed for before the window
// manager has drawn it, and when the window manager frames the window other
// than expected it is moved inside once more. Call before show().
void moveInside(QWidget* window, QPoint frameTopLeft, const QRect& area);

}  // namespace klipo::platform

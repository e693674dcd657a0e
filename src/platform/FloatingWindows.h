#pragma once

#include <QMargins>

#include <optional>

class QWidget;

namespace klipo::platform {

// Asks the window manager to show a top-level window on every desktop
// (EWMH sticky, desktop 0xFFFFFFFF). Best called just before the window is
// first shown; a shown window is asked for through the window manager. Does
// nothing outside X11.
void showOnAllDesktops(QWidget* window);

// The frame the window manager will put around a window not shown yet
// (EWMH _NET_REQUEST_FRAME_EXTENTS), waiting at most `waitMs` for its
// answer. None outside X11 or without an answer. Creates the native window.
std::optional<QMargins> askFrameExtents(QWidget* window, int waitMs = 150);

}  // namespace klipo::platform

#pragma once

class QWidget;

namespace klipo::platform {

// Asks the window manager to show a top-level window on every desktop
// (EWMH sticky, desktop 0xFFFFFFFF). Best called just before the window is
// first shown; a shown window is asked for through the window manager. Does
// nothing outside X11.
void showOnAllDesktops(QWidget* window);

}  // namespace klipo::platform

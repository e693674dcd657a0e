#pragma once

class QWidget;

namespace klipo::platform {

// Asks the window manager to show a top-level window on every desktop
// (EWMH sticky, desktop 0xFFFFFFFF). Call it once the window is shown. Does
// nothing outside X11.
void showOnAllDesktops(QWidget* window);

}  // namespace klipo::platform

#pragma once

#include <QtGlobal>

#include <optional>

class QWidget;

namespace klipo::platform {

using NativeWindowId = quint32;

// The window that has the keyboard focus as the window manager says, and a
// way to hand the focus back to it later (after one of our windows took it).
// Main thread only.
class WindowFocus {
public:
    virtual ~WindowFocus() = default;
    virtual std::optional<NativeWindowId> activeWindow() = 0;
    // Asks the window manager to activate the window; a window gone meanwhile
    // is ignored.
    virtual void activateWindow(NativeWindowId window) = 0;
};

// The session's (EWMH _NET_ACTIVE_WINDOW on X11; elsewhere it knows none).
WindowFocus& windowFocus();

// Gives one of our shown windows the focus as the user's own switch would:
// KWin and mutter refuse a program's own request when the user is busy
// elsewhere and mark the window as demanding attention instead. Asked once
// the window manager shows the window, which is then kept in front of other
// programs' windows while the focus lands on it (later, on the main thread).
void activateOwnWindow(QWidget* window);

}  // namespace klipo::platform

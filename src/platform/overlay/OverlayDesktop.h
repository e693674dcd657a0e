#pragma once

#include "platform/RegionPicker.h"

#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

class QWindow;

namespace klipo::platform {

using NativeWindowId = quint32;

// A top-level window of the desktop as the window manager lists it.
struct DesktopWindow {
    NativeWindowId id = 0;
    qint64 pid = -1;                 // the owning process; -1 when the window does not say
    QRect frameRectPx;               // what shows of it (shownFramePx), in root-window pixels
    QMargins ownMarginPx;            // the margin it draws itself around that (a shadow), showing what lies below
    bool hidden = false;             // minimised, or not mapped
    bool normalLayer = true;         // an application window, not a dock, panel or the desktop
    std::optional<double> opacity;   // 0 to 1, when the window sets one
};

// What shows of a top-level window whose own area is `areaPx`: the area with
// the frame the window manager draws around it (EWMH _NET_FRAME_EXTENTS), or,
// where the manager draws none, the area less the margin the window draws
// around itself (_GTK_FRAME_EXTENTS: a client-side frame's shadow and resize
// border, through which what lies below shows and takes the clicks). Empty
// when that margin leaves nothing.
QRect shownFramePx(const QRect& areaPx, const QMargins& managerFramePx, const QMargins& ownMarginPx);

// Every screen's still, or why there is none. All screens or none.
struct FreezeOutcome {
    QList<FrozenScreen> screens;  // in QGuiApplication::screens() order, device pixels
    QString error;                // Chinese, empty on success

    bool ok() const { return error.isEmpty() && !screens.isEmpty(); }
};

// Whether the keyboard and the pointer are ours.
struct InputGrabOutcome {
    bool ok = false;
    QString message;  // Chinese, when refused
};

// What a full-screen overlay needs of the desktop: stills of every screen, the
// windows the user may pick, the window that had the focus, and the keyboard
// and pointer for itself. Main thread only.
class OverlayDesktop {
public:
    virtual ~OverlayDesktop() = default;

    // Takes every screen's still; `done` runs once, later, on the main thread.
    virtual void freezeScreens(bool includeCursor, std::function<void(FreezeOutcome)> done) = 0;
    // The managed windows from front to back.
    virtual QList<DesktopWindow> windowsFrontToBack() = 0;
    // The window that has the focus now, when the window manager says.
    virtual std::optional<NativeWindowId> activeWindow() = 0;
    // Whether the window is one of this program's own.
    virtual bool isOwnWindow(NativeWindowId id) = 0;
    // Asks the window manager to give the focus back to that window.
    virtual void activateWindow(NativeWindowId id) = 0;
    // Directs every key and pointer event to this program's windows, `window`
    // taking what no other of them would get. Refused when another program
    // holds either.
    virtual InputGrabOutcome grabInput(QWindow* window) = 0;
    virtual void releaseInput() = 0;
    // This process, whose own windows the window list includes.
    virtual qint64 ownProcessId() const = 0;
};

// The desktop of this session (X11, or one that refuses everything).
OverlayDesktop& overlayDesktop();

}  // namespace klipo::platform

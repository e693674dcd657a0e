#pragma once

#include "platform/overlay/OverlayDesktop.h"

#include <QPointer>
#include <QTimer>

struct xcb_connection_t;

namespace klipo::platform::x11 {

// The overlay's desktop on X11: stills read from the X server, the window list
// from the window manager's _NET_CLIENT_LIST_STACKING with _NET_FRAME_EXTENTS
// and the windows' own _GTK_FRAME_EXTENTS, focus through _NET_ACTIVE_WINDOW,
// and active keyboard and pointer grabs that still report events to whichever
// of our windows they concern.
class X11OverlayDesktop final : public OverlayDesktop {
public:
    explicit X11OverlayDesktop(xcb_connection_t* connection);

    void freezeScreens(bool includeCursor, std::function<void(FreezeOutcome)> done) override;
    QList<DesktopWindow> windowsFrontToBack() override;
    std::optional<NativeWindowId> activeWindow() override;
    bool isOwnWindow(NativeWindowId id) override;
    void activateWindow(NativeWindowId id) override;
    InputGrabOutcome grabInput(QWindow* window) override;
    void releaseInput() override;
    qint64 ownProcessId() const override;

private:
    void stopFocusAsks();

    xcb_connection_t* m_connection;
    quint32 m_root = 0;
    QPointer<QTimer> m_focusAsks;  // the keys asked for again after an overlay
};

// Where no screen can be seen (Wayland, offscreen): everything is refused.
class UnavailableOverlayDesktop final : public OverlayDesktop {
public:
    explicit UnavailableOverlayDesktop(QString reason) : m_reason(std::move(reason)) {}

    void freezeScreens(bool includeCursor, std::function<void(FreezeOutcome)> done) override;
    QList<DesktopWindow> windowsFrontToBack() override { return {}; }
    std::optional<NativeWindowId> activeWindow() override { return std::nullopt; }
    bool isOwnWindow(NativeWindowId) override { return false; }
    void activateWindow(NativeWindowId) override {}
    InputGrabOutcome grabInput(QWindow*) override { return {false, m_reason}; }
    void releaseInput() override {}
    qint64 ownProcessId() const override;

private:
    QString m_reason;
};

}  // namespace klipo::platform::x11

#pragma once

#include "overlay/SelOverlayView.h"
#include "overlay/SelSession.h"
#include "overlay/SelTypes.h"
#include "platform/WindowStacking.h"

#include <QImage>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <optional>

class QKeyEvent;
class QWindow;

namespace klipo::platform {
class OverlayDesktop;
struct FreezeOutcome;
struct FrozenScreen;
}

namespace klipo {

class SelOverlayView;
class SelOverlayWindow;

// The capture overlay's one controller. begin() freezes every screen and
// covers each with an overlay window; the user selects a region or a window,
// adjusts it and acts on it; finish() takes the windows away, gives the focus
// back and answers the caller. It coordinates: the windows draw, the views
// handle input, the session keeps the state. Main thread only.
class SelOverlayController : public QObject {
    Q_OBJECT
public:
    // The process's controller, on the session's real desktop.
    static SelOverlayController& shared();

    explicit SelOverlayController(platform::OverlayDesktop& desktop, QObject* parent = nullptr);
    ~SelOverlayController() override;

    // Filled by the shell: where results go, the quick functions, and whether
    // a scrolling capture is busy (the overlay then refuses to start).
    void setOutputs(SelOutputs* outputs) { m_outputs = outputs; }
    void setQuickFunctions(SelQuickFunctions functions) { m_quick = std::move(functions); }
    void setScrollCaptureBusy(std::function<bool()> busy) { m_scrollBusy = std::move(busy); }

    bool isActive() const { return m_session.isActive(); }
    SelPhase phase() const { return m_session.phase(); }
    bool isPickRectMode() const { return isActive() && m_session.request().mode == SelRequest::Mode::pickRect; }
    bool isPickMode() const { return isActive() && m_session.request().isPick(); }
    SelAction primaryAction() const { return m_session.request().primaryAction; }
    QString pickHint() const { return m_session.request().hint; }

    // Starts a session for the request; returns at once, the windows appear
    // after the freeze. While a session runs the new caller is answered at
    // once with nothing and the running session stays as it is.
    void begin(SelRequest request);
    // Ends the running session: windows away, focus back when asked, then the
    // caller's completion with the image or rectangle (either may be none).
    // Nothing when no session runs.
    void finish(std::optional<QImage> image, std::optional<SelPickedRect> rect, bool restoreFocus);
    // Closes without a result, focus back.
    void cancel() { finish(std::nullopt, std::nullopt, true); }

    // --- From the views ---
    void commitSelection(const QRectF& rect, SelOverlayView* view);
    void perform(SelAction action, const QRectF& rect, SelOverlayView* view);
    void performTranslated(SelAction action, const QImage& composite, SelOverlayView* view);
    // Closes the overlay and runs the function on the next turn; nothing in a pick mode.
    void switchToQuickFunction(const std::function<void()>& function);
    const SelQuickFunctions& quickFunctions() const { return m_quick; }

    // The pixels of the still under a rectangle of the view (local points),
    // brought down to one pixel per point when asked and allowed; null when
    // there is nothing under it.
    QImage croppedImage(const QRectF& localRect, const SelOverlayView* view, bool allowDownscale) const;
    QImage downscaledIfNeeded(const QImage& image, const SelOverlayView* view, bool allowDownscale) const;
    // Copies to the clipboard with the toast, and a history record when asked.
    void copyOnly(const QImage& image, bool saveToHistory);

    // --- State the views and tests read ---
    const QList<QRect>& pickableRectsPx() const { return m_pickablePx; }
    QList<SelOverlayWindow*> windows() const;
    SelOverlayView* activeView() const { return m_activeView; }
    quint64 sessionGeneration() const { return m_session.generation(); }

Q_SIGNALS:
    // Every window of a new session has painted once.
    void overlaysPainted();
    // The session ended (after the windows went away, before the completion ran).
    void finished();

public:
    // A view painted for the first time.
    void viewPainted(SelOverlayView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void present(const QList<platform::FrozenScreen>& frozen);
    void freezeDone(quint64 generation, const platform::FreezeOutcome& outcome);
    void deliver(SelAction action, const QImage& image);
    void observeDesktop();
    void stopObserving();
    void checkActiveWindow();
    bool handleKey(QKeyEvent* event);
    SelOverlayView* viewOf(QObject* object) const;
    static void refuse(SelRequest& request);
    double pixelsPerPointAt(const QPoint& nativePx) const;

    platform::OverlayDesktop& m_desktop;
    SelSession m_session;
    SelOutputs* m_outputs = nullptr;
    SelQuickFunctions m_quick;
    std::function<bool()> m_scrollBusy;

    QList<QPointer<SelOverlayWindow>> m_windows;
    QPointer<SelOverlayView> m_activeView;
    QList<QRect> m_pickablePx;
    std::optional<quint32> m_previousWindow;
    QList<platform::StackedWindow> m_stackBefore;  // the desktop's windows bottom to top, at the start
    QList<QMetaObject::Connection> m_observers;
    QList<SelOverlayView*> m_painted;
    QTimer m_focusWatch;
    QElapsedTimer m_shownAt;
    std::optional<quint32> m_lastActive;
    bool m_inputGrabbed = false;
};

}  // namespace klipo

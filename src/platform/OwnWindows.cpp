#include "platform/OwnWindows.h"

#include "platform/StackKeeper.h"
#include "platform/StackOrder.h"
#include "platform/WindowFocus.h"
#include "platform/WindowShadow.h"
#include "platform/overlay/OverlayDesktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <optional>
#include <utility>

namespace klipo::platform {

namespace {
constexpr char kStaysInScreenshots[] = "klipoStaysInScreenshots";
constexpr int kLookAgainMs = 20;
}  // namespace

void HiddenOwnWindows::markStaysInScreenshots(QWidget* window) { window->setProperty(kStaysInScreenshots, true); }

HiddenOwnWindows HiddenOwnWindows::hideAll(bool keepMarked)
{
    return hideWhere([](QWidget*) { return true; }, keepMarked);
}

HiddenOwnWindows HiddenOwnWindows::hideWhere(const std::function<bool(QWidget*)>& which, bool keepMarked)
{
    HiddenOwnWindows hidden;
    // The window manager's word: Qt reports another program's window taking
    // the focus only some time later.
    const std::optional<NativeWindowId> active = windowFocus().activeWindow();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->testAttribute(Qt::WA_DontShowOnScreen)) continue;
        if (keepMarked && window->property(kStaysInScreenshots).toBool()) continue;
        const Qt::WindowType type = window->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop) continue;
        // The tray icon lives inside the tray's own window: unmapped, the tray drops it.
        if (window->inherits("QSystemTrayIconSys")) continue;
        if (!which(window)) continue;
        if (hidden.m_windows.isEmpty()) {
            hidden.m_stack = managedWindowsBottomToTop();
            hidden.m_activeBefore = active;
        }
        hidden.m_windows.append({window, window->pos(), quint32(window->internalWinId())});
        const bool focused = active && window->internalWinId() ? WId(*active) == window->internalWinId()
                                                               : window == QApplication::activeWindow();
        if (focused) hidden.m_active = window;
        window->hide();
    }
    return hidden;
}

void HiddenOwnWindows::restore()
{
    for (const Entry& entry : std::as_const(m_windows)) {
        QWidget* window = entry.window;
        if (!window) continue;
        // Qt reads the widget's "show without activating" only when it makes
        // the native window; at a later show it reads this window property.
        QWindow* handle = window->windowHandle();
        const QVariant quiet = handle ? handle->property("_q_showWithoutActivating") : QVariant();
        if (handle) handle->setProperty("_q_showWithoutActivating", true);
        window->move(entry.position);
        window->show();
        if (handle) handle->setProperty("_q_showWithoutActivating", quiet);
    }
    restoreStacking();
    // The focus was ours before the grab: give it back to the same window,
    // asked as the user's own switch (an application's own request is
    // refused by KWin and mutter, which then mark the window as demanding
    // attention).
    if (m_active) activateOwnWindow(m_active);
    m_windows.clear();
    m_active = nullptr;
}

void HiddenOwnWindows::restoreStacking() const
{
    if (m_stack.isEmpty()) return;
    // The manager may place them otherwise once it has them on the screen
    // again; one that takes no restack requests (xfwm4) puts them on top, and
    // those that went above other programs' windows are lowered then.
    keepOwnStacking(m_stack, m_activeBefore);
    if (!managerTakesRestackRequests()) return;
    QList<quint32> there;  // the windows in the stack now
    for (const StackedWindow& window : managedWindowsBottomToTop()) there.append(window.id);
    QList<quint32> shown;
    for (const Entry& entry : m_windows)
        if (entry.window && entry.window->isVisible() && entry.nativeId) shown.append(entry.nativeId);
    there += shown;
    const auto widgetOf = [this](quint32 id) -> QWidget* {
        for (const Entry& entry : m_windows)
            if (entry.nativeId == id) return entry.window;
        return nullptr;
    };
    // Each of ours goes below the window of its layer that was just above it
    // and is still there, or on top of its layer where none was: shown
    // without the focus, the window manager may put it below the window that
    // took the focus meanwhile.
    for (const StackMove& move : movesBackTo(m_stack, there, shown)) {
        QWidget* window = widgetOf(move.window);
        if (move.sibling)
            restackBelow(window, move.sibling);
        else
            restackOnTop(window);
    }
}

namespace {

// Root-window pixels in Qt's desktop points: a screen keeps its top-left
// corner unscaled.
QRect pointsOfPixels(const QRect& px)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect points = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        const QRect pixels(points.topLeft(), points.size() * ratio);
        if (!pixels.contains(px.center())) continue;
        const QPointF topLeft = points.topLeft() + QPointF(px.topLeft() - points.topLeft()) / ratio;
        return QRectF(topLeft, QSizeF(px.size()) / ratio).toAlignedRect() & points;
    }
    return {};
}

}  // namespace

ShownOwnWindows ShownOwnWindows::now()
{
    ShownOwnWindows shown;
    OverlayDesktop& desktop = overlayDesktop();
    QRegion covered;
    for (const DesktopWindow& window : desktop.windowsFrontToBack()) {
        if (window.hidden) continue;
        if (desktop.isOwnWindow(window.id)) {
            // Its shadow too: it goes with the window.
            for (const QRect& part : QRegion(window.frameRectPx.marginsAdded(window.ownMarginPx)) - covered) {
                const QRect points = pointsOfPixels(part);
                if (points.isEmpty()) continue;
                shown.m_windows.append(quint32(window.id));
                shown.m_parts.append(points);
            }
        }
        covered += window.frameRectPx;
    }
    shown.m_pictures = LooksOnScreen::picturesOf(shown.m_parts);
    return shown;
}

void ShownOwnWindows::whenGone(QDeadlineTimer notBefore, QDeadlineTimer deadline, std::function<void()> then) const
{
    const auto stillShown = [](quint32 id) {
        const QList<QWindow*> windows = QGuiApplication::allWindows();
        return std::any_of(windows.cbegin(), windows.cend(), [id](const QWindow* window) {
            return window->handle() && quint32(window->winId()) == id && window->isVisible();
        });
    };
    auto looks = std::make_shared<LooksOnScreen>();
    QList<QRect> parts;
    for (qsizetype i = 0; i < m_parts.size(); ++i) {
        if (stillShown(m_windows[i])) continue;  // one that stays (a pinned image)
        looks->add(m_parts[i], m_pictures[i]);
        parts.append(m_parts[i]);
    }
    LooksOnScreen::whenGone(looks, deadline, [parts, notBefore, deadline, then = std::move(then)]() mutable {
        LooksOnScreen::whenStill(parts, notBefore, deadline, std::move(then));
    });
}

OwnWindowsKeptOut::OwnWindowsKeptOut(const QRect& region, QList<QPointer<QWidget>> staying, QObject* parent)
    : QObject(parent), m_region(region), m_staying(std::move(staying))
{
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, [this] { check(); });
    m_timer.start();
}

OwnWindowsKeptOut::~OwnWindowsKeptOut()
{
    // The last ones hidden first, each as deep in the stack as it was.
    for (qsizetype i = m_hidden.size() - 1; i >= 0; --i) {
        m_hidden[i].keepFocusAway();
        m_hidden[i].restore();
    }
}

bool OwnWindowsKeptOut::isStaying(QWidget* window) const
{
    return std::any_of(m_staying.begin(), m_staying.end(),
                       [window](const QPointer<QWidget>& w) { return w == window; });
}

bool OwnWindowsKeptOut::overRegion(QWidget* window, const QList<DesktopWindow>& frontToBack) const
{
    QRegion seen(window->frameGeometry() & m_region);
    if (seen.isEmpty()) return false;
    // Where other programs' windows lie in front of it, it does not show:
    // one hidden behind them stays where it is in the stack.
    const qint64 self = overlayDesktop().ownProcessId();
    for (const DesktopWindow& other : frontToBack) {
        if (other.id == NativeWindowId(window->internalWinId())) return !seen.isEmpty();
        if (!other.hidden && other.pid != self) seen -= other.frameRectPx;
    }
    return true;  // not among the managed windows: taken as shown
}

bool OwnWindowsKeptOut::check()
{
    const QList<DesktopWindow> frontToBack = overlayDesktop().windowsFrontToBack();
    const bool first = std::exchange(m_firstCheck, false);
    HiddenOwnWindows hidden = HiddenOwnWindows::hideWhere(
        [&](QWidget* w) {
            if (isStaying(w)) return false;
            const bool over = overRegion(w, frontToBack);
            // One behind other programs' windows there may still show too:
            // those programs repaint what the capture's overlay (and the
            // hiding for its still) uncovered only when they get to it.
            if (over || first) noteLook(w);
            return over;
        },
        true);
    if (hidden.isEmpty()) return false;
    m_hidden.append(std::move(hidden));
    return true;
}

void OwnWindowsKeptOut::leaving(QWidget* window)
{
    if (window && window->isVisible()) noteLook(window);
}

// The part of the window over the region as it is drawn now, just before it
// goes; of a window with a shadow, only what it shows inside the shadow's
// margin (the margin is blended with what lies below).
void OwnWindowsKeptOut::noteLook(QWidget* window)
{
    const QRect place = window->geometry();
    const QRect over = innerGeometry(window) & m_region;
    if (over.isEmpty()) return;
    if (!m_looks) m_looks = std::make_shared<LooksOnScreen>();
    m_looks->add(over, window->grab(over.translated(-place.topLeft())).toImage(), longestWaitMs);
    m_looksDeadline = QDeadlineTimer(longestWaitMs);
}

bool OwnWindowsKeptOut::stillShown()
{
    if (!m_looks) return false;
    if (m_looksDeadline.hasExpired() || m_looks->goneFromScreen()) {
        m_looks.reset();
        return false;
    }
    return true;
}

void OwnWindowsKeptOut::whenGone(std::function<void()> then)
{
    // A moment from now: they may have gone long before.
    waitUntilGone(QDeadlineTimer(longestWaitMs), std::move(then));
}

// Windows of ours that come over the region meanwhile (one given the focus
// back as a bar closes) go too, and are waited for.
void OwnWindowsKeptOut::waitUntilGone(QDeadlineTimer deadline, std::function<void()> then)
{
    check();
    if (!m_looks || deadline.hasExpired() || m_looks->goneFromScreen()) {
        then();
        return;
    }
    QTimer::singleShot(kLookAgainMs, this, [this, deadline, then = std::move(then)]() mutable {
        waitUntilGone(deadline, std::move(then));
    });
}

}  // namespace klipo::platform

#include "platform/OwnWindows.h"

#include "platform/WindowFocus.h"
#include "platform/WindowStacking.h"
#include "platform/overlay/OverlayDesktop.h"

#include <QApplication>
#include <QRegion>
#include <QWindow>

#include <algorithm>

namespace klipo::platform {

namespace {
constexpr char kStaysInScreenshots[] = "klipoStaysInScreenshots";
}

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
        if (hidden.m_windows.isEmpty()) hidden.m_stack = managedWindowsBottomToTop();
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
    const QList<quint32> now = managedWindowsBottomToTop();
    QList<quint32> back;
    for (const Entry& entry : m_windows)
        if (entry.window && entry.window->isVisible() && entry.nativeId) back.append(entry.nativeId);
    const auto widgetOf = [this](quint32 id) -> QWidget* {
        for (const Entry& entry : m_windows)
            if (entry.nativeId == id) return entry.window;
        return nullptr;
    };
    // From the top down, each of ours goes below the window that was just
    // above it and is still there (another of ours is placed before it).
    for (qsizetype i = m_stack.size() - 1; i >= 0; --i) {
        if (!back.contains(m_stack[i])) continue;
        for (qsizetype above = i + 1; above < m_stack.size(); ++above) {
            const quint32 sibling = m_stack[above];
            if (!back.contains(sibling) && !now.contains(sibling)) continue;
            restackBelow(widgetOf(m_stack[i]), sibling);
            break;
        }
    }
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

bool OwnWindowsKeptOut::overRegion(QWidget* window, const QList<DesktopWindow>& frontToBack) const
{
    if (std::any_of(m_staying.begin(), m_staying.end(), [window](const QPointer<QWidget>& w) { return w == window; }))
        return false;
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
    HiddenOwnWindows hidden = HiddenOwnWindows::hideWhere([&](QWidget* w) { return overRegion(w, frontToBack); }, true);
    if (hidden.isEmpty()) return false;
    m_hidden.append(std::move(hidden));
    return true;
}

}  // namespace klipo::platform

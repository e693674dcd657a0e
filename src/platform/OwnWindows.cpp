#include "platform/OwnWindows.h"

#include <QApplication>
#include <QWindow>

namespace klipo::platform {

namespace {
constexpr char kStaysInScreenshots[] = "klipoStaysInScreenshots";
}

void HiddenOwnWindows::markStaysInScreenshots(QWidget* window) { window->setProperty(kStaysInScreenshots, true); }

HiddenOwnWindows HiddenOwnWindows::hideAll(bool keepMarked)
{
    HiddenOwnWindows hidden;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->testAttribute(Qt::WA_DontShowOnScreen)) continue;
        if (keepMarked && window->property(kStaysInScreenshots).toBool()) continue;
        const Qt::WindowType type = window->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop) continue;
        // The tray icon lives inside the tray's own window: unmapped, the tray drops it.
        if (window->inherits("QSystemTrayIconSys")) continue;
        hidden.m_windows.append({window, window->pos()});
        if (window == QApplication::activeWindow()) hidden.m_active = window;
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
    // The focus was ours before the grab: give it back to the same window.
    if (m_active) m_active->activateWindow();
    m_windows.clear();
    m_active = nullptr;
}

}  // namespace klipo::platform

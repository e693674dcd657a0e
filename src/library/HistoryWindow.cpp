#include "library/HistoryWindow.h"

#include "library/LibraryWindow.h"
#include "platform/SettingsStore.h"
#include "platform/WindowPlacement.h"
#include "platform/WindowRoles.h"

#include <QGuiApplication>
#include <QScreen>

namespace klipo {

HistoryWindowController& HistoryWindowController::shared()
{
    static HistoryWindowController controller;
    return controller;
}

void HistoryWindowController::show(Section section)
{
    if (!m_window) {
        auto* window = new LibraryWindow(section);
        QObject::connect(window, &LibraryWindow::closed, window, [this] {
            if (onClosed) onClosed();
        });
        // With "menuBarOnly" the program keeps out of the task bar.
        if (platform::SettingsStore::shared().boolValue(QStringLiteral("menuBarOnly")))
            platform::applyWindowRole(window, platform::WindowRole::unlisted);
        window->resize(900, 600);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), platform::expectedFrameSize(window));
            frame.moveCenter(screen->availableGeometry().center());
            platform::moveInside(window, frame.topLeft(), screen->availableGeometry());
        }
        m_window = window;
    } else {
        m_window->selectSection(section);
    }
    bringToFront();
}

void HistoryWindowController::reopen()
{
    if (!m_window) return show(Section::history);
    bringToFront();
}

void HistoryWindowController::bringToFront()
{
    if (m_window->isMinimized()) m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace klipo

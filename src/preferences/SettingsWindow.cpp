#include "preferences/SettingsWindow.h"

#include "platform/WindowPlacement.h"
#include "preferences/SettingsView.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace klipo {

namespace {
constexpr QSize kWindowSize(560, 520);
}

SettingsWindowController& SettingsWindowController::shared()
{
    static SettingsWindowController controller;
    return controller;
}

void SettingsWindowController::show()
{
    if (!m_window) {
        auto* window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                Qt::WindowCloseButtonHint);
        window->setWindowTitle(QStringLiteral("KlipoVersa 设置"));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        m_view = new SettingsView(SettingsView::Form::window, window);
        layout->addWidget(m_view);
        window->setFixedSize(kWindowSize);
        if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos()) ? QGuiApplication::screenAt(QCursor::pos())
                                                                        : QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), platform::expectedFrameSize(window));
            frame.moveCenter(screen->availableGeometry().center());
            platform::moveInside(window, frame.topLeft(), screen->availableGeometry());
        }
        m_window = window;
    }
    if (m_window->isMinimized()) m_window->showNormal();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace klipo

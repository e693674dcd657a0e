#include "preferences/SettingsWindow.h"

#include "platform/WindowPlacement.h"
#include "preferences/PrefsCaptureTab.h"
#include "preferences/SettingsView.h"

#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

namespace klipo {

namespace {
constexpr QSize kWindowSize(560, 520);

// Opens a picker's list once its window is active: a list opened before the
// window manager has placed and focused the window would close at once.
class OpenWhenActive final : public QObject {
public:
    OpenWhenActive(QWidget* window, QComboBox* picker) : QObject(window), m_picker(picker)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate) {
            QTimer::singleShot(0, m_picker, [picker = m_picker] {
                if (picker) picker->showPopup();
            });
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QComboBox> m_picker;
};

}  // namespace

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

void SettingsWindowController::showTargetLanguagePicker()
{
    show();
    m_view->setSection(PrefsSection::capture);
    auto* tab = dynamic_cast<PrefsCaptureTab*>(m_view->content());
    QComboBox* picker = tab ? tab->targetLanguagePicker() : nullptr;
    if (!picker) return;
    for (QWidget* up = picker->parentWidget(); up; up = up->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(up)) area->ensureWidgetVisible(picker);
    picker->setFocus(Qt::OtherFocusReason);
    if (m_window->isActiveWindow())
        picker->showPopup();
    else
        new OpenWhenActive(m_window, picker);
}

}  // namespace klipo

#include "platform/SystemTrayIcon.h"

#include "platform/TrayHostWatcher.h"
#include "platform/TrayMenuCopy.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace klipo::platform {

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent), m_hosts(new TrayHostWatcher(this))
{
    connect(m_hosts, &TrayHostWatcher::hostAppeared, this, [this] {
        if (m_shown) makeIcon();
    });
}

SystemTrayIcon::~SystemTrayIcon() = default;

// Asked of the desktop itself: Qt's own answer is fixed at its first question.
bool SystemTrayIcon::isAvailable() const { return m_hosts->hostRunning(); }

void SystemTrayIcon::setIcon(const QIcon& icon)
{
    m_image = icon;
    if (m_icon) m_icon->setIcon(icon);
}

void SystemTrayIcon::setToolTip(const QString& text)
{
    m_toolTip = text;
    if (m_icon) m_icon->setToolTip(text);
}

void SystemTrayIcon::setMenu(QMenu* menu)
{
    m_menu.reset(menu ? new TrayMenuCopy(menu) : nullptr);
    if (m_icon) m_icon->setContextMenu(m_menu ? m_menu->menu() : nullptr);
}

void SystemTrayIcon::show()
{
    m_shown = true;
    if (!m_icon && m_hosts->hostRunning()) makeIcon();
}

bool SystemTrayIcon::isVisible() const { return m_icon && m_icon->isVisible(); }

QRect SystemTrayIcon::geometry() const { return m_icon ? m_icon->geometry() : QRect(); }

void SystemTrayIcon::makeIcon()
{
    // A new icon registers with the tray that runs now; the old one may
    // still belong to a tray that went.
    delete m_icon;
    m_icon = new QSystemTrayIcon(m_image, this);
    m_icon->setToolTip(m_toolTip);
    if (m_menu) m_icon->setContextMenu(m_menu->menu());
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) Q_EMIT activated();
    });
    m_icon->show();
}

}  // namespace klipo::platform

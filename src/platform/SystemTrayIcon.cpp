#include "platform/SystemTrayIcon.h"

#include <QSystemTrayIcon>

namespace klipo::platform {

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent), m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) Q_EMIT activated();
    });
}

bool SystemTrayIcon::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void SystemTrayIcon::setIcon(const QIcon& icon) { m_icon->setIcon(icon); }

void SystemTrayIcon::setToolTip(const QString& text) { m_icon->setToolTip(text); }

void SystemTrayIcon::setMenu(QMenu* menu) { m_icon->setContextMenu(menu); }

void SystemTrayIcon::show() { m_icon->show(); }

bool SystemTrayIcon::isVisible() const { return m_icon->isVisible(); }

QRect SystemTrayIcon::geometry() const { return m_icon->geometry(); }

}  // namespace klipo::platform

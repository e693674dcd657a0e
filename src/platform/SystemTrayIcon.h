#pragma once

#include "platform/TrayIcon.h"

class QSystemTrayIcon;

namespace klipo::platform {

// The tray icon through QSystemTrayIcon (needs a tray host such as a panel's
// notification area). A left click emits activated(); the menu opens on the
// context click.
class SystemTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);

    bool isAvailable() const override;
    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void setMenu(QMenu* menu) override;
    void show() override;
    bool isVisible() const override;

    // Where the host placed the icon (global, logical); empty until embedded.
    QRect geometry() const;

private:
    QSystemTrayIcon* m_icon;
};

}  // namespace klipo::platform

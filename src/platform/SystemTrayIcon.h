#pragma once

#include "platform/TrayIcon.h"

#include <memory>

class QSystemTrayIcon;

namespace klipo::platform {

class TrayHostWatcher;
class TrayMenuCopy;

// The tray icon through QSystemTrayIcon (needs a tray host such as a panel's
// notification area). A left click emits activated(); on the context click
// the tray shows a copy of the menu set (TrayMenuCopy: every tray writes the
// keys as our menus do). The icon is made once a tray host runs, and made
// again whenever one appears later (a panel started after the program, or
// restarted): Qt chooses between the StatusNotifier and XEmbed trays once,
// when the first icon is made, and does not look for a tray that comes later.
class SystemTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void setMenu(QMenu* menu) override;
    void show() override;
    bool isVisible() const override;

    // Where the host placed the icon (global, logical); empty until embedded.
    QRect geometry() const;

private:
    void makeIcon();

    TrayHostWatcher* m_hosts;
    QSystemTrayIcon* m_icon = nullptr;
    QIcon m_image;
    QString m_toolTip;
    std::unique_ptr<TrayMenuCopy> m_menu;
    bool m_shown = false;
};

}  // namespace klipo::platform

#pragma once

#include "app/shell/ShellServices.h"
#include "app/shell/StatusItem.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

class QMenu;

namespace klipo::platform {
class TrayIcon;
}

namespace klipo {

class MenuKeys;

// The application's spine: the launch and quit order, the tray menu, the hot
// keys and the capture-and-translate commands. It coordinates; the features
// do the work behind ShellServices.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate(ShellServices& services, platform::TrayIcon* tray, QObject* parent = nullptr);
    ~AppDelegate() override;

    // True when a recording or scrolling self-check was asked for; then the
    // updater is not started.
    static bool isRunningSelfTest();

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    // Another launch: the library window comes to the front, active, also
    // when it is open already behind other windows.
    void handleReopen();

    void startCaptureAndTranslate(ShellCaptureMode mode);
    void showPermissionAlert();
    void showAbout();
    QString aboutText();
    void updateStatusRecordingIcon(bool recording);
    void updateStatusCountdown(std::optional<int> seconds);
    void toggleScrollCapture();
    void startColorPicker();
    void startPlainCapture();

    QMenu* menu() const { return m_menu.get(); }
    MenuKeys* menuKeys() const { return m_menuKeys.get(); }
    const StatusItem* statusItem() const { return m_statusItem.get(); }
    // Names whose hot key could not be registered at launch.
    QStringList failedHotKeys() const;

Q_SIGNALS:
    // A menu action asked the application to quit.
    void quitRequested();

private:
    void setupStatusItem();
    void setupQuickCapture();
    void registerHotKey(const QString& name, std::function<void()> action);
    void reportFailedHotKeys();
    // A tray shows our icon and menu (a tray host runs).
    bool hasTray() const;
    void libraryClosed();

    ShellServices& m_services;
    platform::TrayIcon* m_tray;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<MenuKeys> m_menuKeys;
    std::unique_ptr<StatusItem> m_statusItem;
    QList<QPair<QString, ShellHotKeyState>> m_refusedHotKeys;
    bool m_countdownOnScreen = false;
};

}  // namespace klipo

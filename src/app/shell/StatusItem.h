#pragma once

#include <QIcon>
#include <QString>

#include <optional>

namespace klipo::platform {
class TrayIcon;
}

namespace klipo {

// The looks of the tray icon: idle, recording, and the delayed-capture
// countdown. A tray icon has no title, so the remaining seconds are drawn into
// the icon itself.
class StatusItem {
public:
    enum class Look { idle, recording, countdown };

    explicit StatusItem(platform::TrayIcon* tray);

    void showIdle();
    void showRecording();
    // A number shows the countdown; none restores the idle look.
    void showCountdown(std::optional<int> seconds);

    Look look() const { return m_look; }
    std::optional<int> countdown() const { return m_countdown; }
    QString toolTip() const { return m_toolTip; }

    static QIcon idleIcon();
    static QIcon recordingIcon();
    static QIcon countdownIcon(int seconds);

private:
    void apply(const QIcon& icon, const QString& toolTip);

    platform::TrayIcon* m_tray;
    Look m_look = Look::idle;
    std::optional<int> m_countdown;
    QString m_toolTip;
};

}  // namespace klipo

#pragma once

#include <QObject>

#include <memory>

namespace klipo::platform {

// Whether the desktop has a tray for status icons, and when one appears: an
// XEmbed tray manager on the screen (the _NET_SYSTEM_TRAY selection's owner)
// or a StatusNotifier watcher with a host on the session bus. A tray can
// come after the program (a panel that starts later) and go and come again
// (a panel restarted). Main thread only.
class TrayHostWatcher : public QObject {
    Q_OBJECT
public:
    explicit TrayHostWatcher(QObject* parent = nullptr);
    ~TrayHostWatcher() override;

    bool hostRunning() const;

Q_SIGNALS:
    // A tray host took over (a first one, or one after another went).
    void hostAppeared();

private Q_SLOTS:
    void statusNotifierHostRegistered();

private:
    class XEmbedSelection;
    bool statusNotifierHostRunning() const;

    std::unique_ptr<XEmbedSelection> m_xembed;
};

}  // namespace klipo::platform

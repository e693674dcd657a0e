#pragma once

#include "platform/hotkeys/DesktopKeyBindings.h"

#include <QList>
#include <QString>

namespace klipo::platform {

// What the running desktop says about its own shortcuts.
struct DesktopBindings {
    QString desktop;  // "Openbox", "KDE", "GNOME"; empty when we read none
    QList<DesktopKeyBinding> bindings;
};

// The running desktop's key bindings and its keyboard-shortcut settings.
// Main thread.
class DesktopShortcuts {
public:
    virtual ~DesktopShortcuts() = default;
    // Read afresh at every call (the user may have changed them meanwhile).
    virtual DesktopBindings readBindings() = 0;
    // Whether this desktop has a keyboard-shortcut settings page we can open.
    virtual bool canOpenKeyboardSettings() const = 0;
    virtual bool openKeyboardSettings() = 0;
};

// Which desktop is running, from the window manager's name and
// XDG_CURRENT_DESKTOP: "Openbox", "KDE", "GNOME" or empty.
QString desktopFamily(const QString& windowManagerName, const QString& currentDesktop);

// The desktop of this session, found on first use; tests swap in a fake.
DesktopShortcuts& desktopShortcuts();

class ScopedDesktopShortcuts {
public:
    explicit ScopedDesktopShortcuts(DesktopShortcuts* replacement);
    ~ScopedDesktopShortcuts();
    ScopedDesktopShortcuts(const ScopedDesktopShortcuts&) = delete;
    ScopedDesktopShortcuts& operator=(const ScopedDesktopShortcuts&) = delete;

private:
    DesktopShortcuts* m_previous;
};

}  // namespace klipo::platform

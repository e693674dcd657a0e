#pragma once

#include "app/shell/ShellServices.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The one toast at launch about hot keys: which could not be registered and
// why, and which stored shortcuts were damaged and set back.
namespace klipo::HotKeyReport {

struct Refused {
    QString name;  // raw value of the shortcut's name
    ShellHotKeyState state;
};

struct Toast {
    QString title;
    QString subtitle;
};

// None when there is nothing to say. `shortcutText` gives a name's current
// shortcut text (none when it has none).
std::optional<Toast> launchToast(const QList<Refused>& refused, const QStringList& resetNames,
                                 const std::function<std::optional<QString>(const QString&)>& shortcutText);

}  // namespace klipo::HotKeyReport

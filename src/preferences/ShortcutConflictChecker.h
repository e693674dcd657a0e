#pragma once

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"

#include <QLatin1String>
#include <QList>
#include <QString>

#include <optional>

// Why a global shortcut of the program may not work: it has no real modifier,
// it repeats another of the program's shortcuts, another program already holds
// it (or, by the desktop's own settings, may hold it), or it is a command that
// nearly every application uses. Each warning begins with the shortcut's own
// text. Nothing is cached: every call reads the stored shortcuts, tests the
// combination on the display and reads the desktop's bindings again.
// Main thread.
namespace klipo::ShortcutConflictChecker {

// Posted (no user info) after any shortcut was recorded or cleared in the
// preferences; the warning list refreshes on it.
inline constexpr QLatin1String shouldRefreshNotification("shortcutConflictShouldRefresh");

// The warning for `shortcut`, or none when it is fine. `excluding` is left out
// of the comparison with the program's own shortcuts (normally the name that
// owns the shortcut).
std::optional<QString> check(const GlobalShortcuts::Shortcut& shortcut,
                             const std::optional<GlobalShortcuts::Name>& excluding = std::nullopt);

struct Conflict {
    QString title;
    QString message;
};
// One entry per shortcut item (in the preferences' order) that has a stored
// shortcut with a warning.
QList<Conflict> allConflicts();

// The Name behind a shortcut item's raw name; null for a name the program
// does not have.
const GlobalShortcuts::Name* nameFor(const QString& rawName);
// The title a shortcut item is shown with ("截图翻译"); none for a raw name
// that is no item.
std::optional<QString> titleFor(const QString& rawName);

}  // namespace klipo::ShortcutConflictChecker

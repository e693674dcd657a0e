#pragma once

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"

#include <optional>

namespace klipo::GlobalShortcuts {

// "GlobalShortcuts_" followed by the name's raw value.
QString storageKeyFor(const QString& rawName);

// Reads a name's entry: a JSON text of a shortcut. An absent entry, one of
// another type (the "false" of a cleared name) or text that is no shortcut
// all read as none.
std::optional<Shortcut> readStoredShortcut(const QString& rawName);

// Writes the shortcut, moves the name's hot key, posts the change.
void storeShortcut(const Name& name, const Shortcut& shortcut);

}  // namespace klipo::GlobalShortcuts

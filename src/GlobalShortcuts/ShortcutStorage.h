#pragma once

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"

#include <optional>

namespace klipo::GlobalShortcuts {

// "GlobalShortcuts_" followed by the name's raw value.
QString storageKeyFor(const QString& rawName);

// Reads a name's entry: a JSON text of a shortcut. An absent entry, one of
// another type (the "false" of a cleared name), text that is no shortcut or
// a shortcut on a key we do not know all read as none.
std::optional<Shortcut> readStoredShortcut(const QString& rawName);

// What a name's entry holds: nothing, the "false" of a name the user cleared,
// a readable shortcut, or anything else (damaged).
enum class StoredEntry { absent, cleared, shortcut, damaged };
StoredEntry storedEntry(const QString& rawName);

// Sets a damaged entry back to the name's default (removes it when the name
// has none), moves the hot key, posts the change and notes the name for
// takeResetNames().
void resetDamagedEntry(const Name& name);

// Writes the shortcut, moves the name's hot key, posts the change.
void storeShortcut(const Name& name, const Shortcut& shortcut);

}  // namespace klipo::GlobalShortcuts

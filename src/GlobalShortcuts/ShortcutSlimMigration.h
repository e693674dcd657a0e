#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <QList>
#include <QPair>
#include <QString>

namespace klipo::GlobalShortcuts {

// Earlier versions gave five secondary commands default shortcuts that
// clashed with common application shortcuts. Run once at launch: clears each
// of them where it still holds that old default, keeps whatever the user chose
// instead, and notes in "shortcutSlimMigrated_v1" that it ran.
namespace ShortcutSlimMigration {

// (raw name, former default), in the order they are checked.
QList<QPair<QString, Shortcut>> legacyDefaults();

void runIfNeeded();

}  // namespace ShortcutSlimMigration

}  // namespace klipo::GlobalShortcuts

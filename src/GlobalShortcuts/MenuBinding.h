#pragma once

#include "GlobalShortcuts/Name.h"

#include <QKeySequence>

#include <optional>

class QAction;
class QMenu;

namespace klipo::GlobalShortcuts {

// Shows the name's shortcut as the menu item's key text and keeps it current
// when the shortcut or its hot key changes. While the name's hot key is
// refused (another program holds it, it lacks a modifier ...) the item gets
// no keys: it shows the shortcut marked "（未生效）" in its key column
// instead. With no name, removes the binding and the key text. A second call
// replaces the earlier binding.
void setShortcut(QAction* item, const std::optional<Name>& name);

// Sets the item's key text from a shortcut, or clears it with none.
void applyShortcut(QAction* item, const std::optional<Shortcut>& shortcut);

// The keys the name's shortcut may have inside the program's own windows:
// none while its hot key is refused, so a combination the desktop does not
// give us (a plain Return ...) never takes keys from our dialogs.
QKeySequence localKeySequence(const Name& name);

// The name an item is bound to, if any.
std::optional<Name> boundName(const QAction* item);

// The menu the recorder looks through for items that already use a
// combination (the tray menu); none by default.
void setApplicationMenu(QMenu* menu);
QMenu* applicationMenu();

// The first item of the menu, searched depth first through its submenus,
// whose key text is the shortcut's. Items bound to `ignoring` are skipped.
QAction* menuItemWithMatchingShortcut(const QMenu* menu, const Shortcut& shortcut,
                                      const std::optional<Name>& ignoring = std::nullopt);

}  // namespace klipo::GlobalShortcuts

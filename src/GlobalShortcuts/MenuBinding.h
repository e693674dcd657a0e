#pragma once

#include "GlobalShortcuts/Name.h"

#include <optional>

class QAction;
class QMenu;

namespace klipo::GlobalShortcuts {

// Shows the name's shortcut as the menu item's key text and keeps it current
// when the shortcut changes. With no name, removes the binding and the key
// text. A second call replaces the earlier binding.
void setShortcut(QAction* item, const std::optional<Name>& name);

// Sets the item's key text from a shortcut, or clears it with none.
void applyShortcut(QAction* item, const std::optional<Shortcut>& shortcut);

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

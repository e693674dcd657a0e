#pragma once

namespace klipo::GlobalShortcuts {

// Qt names the key with the Windows logo "Meta"; Linux desktops, and our own
// warnings, call it Super. Installed once at start, after Qt's translations,
// it makes every key text say Super+K: menus, recorders and warnings alike.
void installKeyNames();

}  // namespace klipo::GlobalShortcuts

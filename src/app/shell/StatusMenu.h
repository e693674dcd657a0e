#pragma once

class QMenu;

namespace klipo {

class AppDelegate;
class MenuKeys;
class ShellServices;

// Fills the tray menu with its seventeen rows, in order; the keys that work
// only inside the program go through `keys`.
namespace StatusMenu {
void build(QMenu& menu, ShellServices& services, AppDelegate& delegate, MenuKeys& keys);
}

}  // namespace klipo

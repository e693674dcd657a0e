#pragma once

class QMenu;

namespace klipo {

class AppDelegate;
class ShellServices;

// Fills the tray menu with its seventeen rows, in order.
namespace StatusMenu {
void build(QMenu& menu, ShellServices& services, AppDelegate& delegate);
}

}  // namespace klipo

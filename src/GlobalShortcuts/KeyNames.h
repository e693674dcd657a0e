#pragma once

namespace klipo::GlobalShortcuts {

// Key texts are the program's own: Qt names keys through its translations,
// so "Ctrl+Alt+左方向" became "Ctrl+Alt+Left" with English dialogs and
// "Strg+Alt+Links" on a German system. Installed at start after Qt's
// translations (and again whenever they change), it names every key one way
// whatever the interface language: Chinese where the Chinese interface names
// it (空格, 回车, 左方向, 菜单 ...), as on the key cap otherwise (Ctrl, Esc,
// PgUp, F5), and Super for the Meta key as Linux desktops call it. Menus,
// recorders, warnings and toasts alike.
void installKeyNames();

}  // namespace klipo::GlobalShortcuts

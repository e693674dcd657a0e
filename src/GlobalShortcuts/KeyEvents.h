#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <optional>

class QKeyEvent;

namespace klipo::GlobalShortcuts {

// The shortcut a key press makes: the key's position (from the native scan
// code through the keyboard layout, or from Qt's key where the event has
// none) and its modifiers. None for keys no shortcut can be made of, among
// them every key neither the key table nor Qt can name.
std::optional<Shortcut> shortcutFromKeyEvent(const QKeyEvent& event);

// Keys that only modify others (Shift, Control, Caps Lock ...): pressing
// them alone makes no shortcut.
bool isModifierKey(int qtKey);

}  // namespace klipo::GlobalShortcuts

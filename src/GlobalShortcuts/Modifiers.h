#pragma once

#include "platform/hotkeys/KeyCombination.h"

#include <QString>

namespace klipo::GlobalShortcuts {

// The modifier bits of a stored shortcut: control 0x1000, option 0x800,
// shift 0x200, command 0x100, function 0x20000. On Linux keyboards option is
// Alt and command is Super (the Windows key).
namespace Modifier = platform::StoredModifier;

// Keeps only the five modifier bits.
constexpr qint64 normalizedModifiers(qint64 modifiers) { return modifiers & Modifier::all; }

// Qt's modifiers in stored bits and back (Alt is option, Meta is command; Qt
// has no Function modifier and the keypad flag is not a modifier here).
qint64 modifiersFromQt(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiers(qint64 modifiers);

// The modifiers that are set, in the words and order of Qt's key texts
// ("Ctrl+Shift+"), Fn last; empty without modifiers.
QString modifierText(qint64 modifiers);

}  // namespace klipo::GlobalShortcuts

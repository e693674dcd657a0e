#pragma once

#include <QtGlobal>

namespace klipo::platform {

// Modifier bits of a stored key combination. Stored shortcuts keep the key
// codes and modifier bits of the system the shortcut format came from, so the
// files stay readable everywhere; the X11 layer maps them to X modifiers.
namespace StoredModifier {
inline constexpr qint64 command = 0x100;
inline constexpr qint64 shift = 0x200;
inline constexpr qint64 option = 0x800;
inline constexpr qint64 control = 0x1000;
inline constexpr qint64 function = 0x20000;
inline constexpr qint64 all = command | shift | option | control | function;
}  // namespace StoredModifier

// A key combination in the stored model: a virtual key code (the position of
// the key on an ANSI keyboard, see KeyPositions) and StoredModifier bits.
struct KeyCombination {
    qint64 keyCode = 0;
    qint64 modifiers = 0;

    friend bool operator==(const KeyCombination&, const KeyCombination&) = default;
};

}  // namespace klipo::platform

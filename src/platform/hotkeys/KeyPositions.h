#pragma once

#include <QtGlobal>

#include <optional>
#include <span>

namespace klipo::platform {

// Where each stored key code sits on the keyboard. Stored key codes name key
// positions (of an ANSI keyboard), not characters; X names the same positions
// with XKB key names ("AD05" is the key that types t on a US layout), which
// every keymap carries whatever its key codes are.
struct KeyPosition {
    qint64 keyCode;
    const char* xkbName;    // four characters at most; nullptr when X has no such key
    char16_t usCharacter;   // what a US layout types there, 0 for keys that type nothing
    char16_t usShifted;     // the same with Shift held
};

std::span<const KeyPosition> keyPositions();

const KeyPosition* keyPositionForCode(qint64 keyCode);
// The stored key code of the key with the given XKB name, if any.
std::optional<qint64> keyCodeForXkbName(const char* name, int length);

}  // namespace klipo::platform

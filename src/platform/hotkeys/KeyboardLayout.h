#pragma once

#include <QtGlobal>

#include <optional>

namespace klipo::platform {

// The user's keyboard layout, as far as shortcuts need it.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;

    // The character the current layout types on the key at `keyCode` (a stored
    // key code) with no modifier held; none for keys that type nothing or that
    // this keyboard does not have.
    virtual std::optional<char32_t> character(qint64 keyCode) const = 0;

    // The stored key code of the key that sent `scanCode` (the native key code
    // of a key event); none when unknown.
    virtual std::optional<qint64> keyCodeForScanCode(quint32 scanCode) const = 0;
};

// A US layout without a display server behind it: used where no X11 keymap
// can be read (offscreen, Wayland).
class UsKeyboardLayout : public KeyboardLayout {
public:
    std::optional<char32_t> character(qint64 keyCode) const override;
    std::optional<qint64> keyCodeForScanCode(quint32 scanCode) const override;
};

}  // namespace klipo::platform

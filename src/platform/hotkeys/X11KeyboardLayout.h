#pragma once

#include "platform/hotkeys/KeyboardLayout.h"

typedef struct _XDisplay Display;

namespace klipo::platform {

// The keyboard layout of an X server, read through XKB at every call so a
// layout switch shows at once. Key positions are found by their XKB key names,
// so any keymap works, whatever key codes it uses.
class X11KeyboardLayout : public KeyboardLayout {
public:
    explicit X11KeyboardLayout(Display* display);

    std::optional<char32_t> character(qint64 keyCode) const override;
    std::optional<qint64> keyCodeForScanCode(quint32 scanCode) const override;

    // The X key code of the key at `keyCode`; none when this keyboard lacks it.
    std::optional<quint8> nativeKeyCode(qint64 keyCode) const;

    // The longest pause between two presses of a held key: the server's
    // auto-repeat delay plus a margin.
    quint32 autoRepeatHoldGapMs() const;

private:
    Display* m_display;
};

}  // namespace klipo::platform

#include "platform/hotkeys/KeyboardLayout.h"

#include "platform/hotkeys/KeyPositions.h"

namespace klipo::platform {

std::optional<char32_t> UsKeyboardLayout::character(qint64 keyCode) const
{
    const KeyPosition* p = keyPositionForCode(keyCode);
    if (!p || p->usCharacter == 0) return std::nullopt;
    return char32_t(p->usCharacter);
}

std::optional<qint64> UsKeyboardLayout::keyCodeForScanCode(quint32) const { return std::nullopt; }

}  // namespace klipo::platform

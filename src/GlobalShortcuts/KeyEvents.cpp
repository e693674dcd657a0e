#include "GlobalShortcuts/KeyEvents.h"

#include "GlobalShortcuts/SpecialKeys.h"

#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/KeyPositions.h"
#include "platform/hotkeys/KeyboardLayout.h"

#include <QKeyEvent>

namespace klipo::GlobalShortcuts {

namespace {

// Where an event carries no native scan code (synthesised events), the key is
// found from what it typed, read as on a US keyboard.
std::optional<qint64> keyCodeForQtKey(int qtKey, bool keypad)
{
    // A key Qt cannot name is no key of the table (whose keypad entries have
    // no Qt key of their own, and the others no keypad key).
    if (qtKey == 0 || qtKey == Qt::Key_unknown) return std::nullopt;
    for (const SpecialKey* key = specialKeysBegin(); key != specialKeysEnd(); ++key) {
        if (keypad ? key->qtKeypadKey == qtKey : key->qtKey == qtKey) return key->keyCode;
    }
    if (qtKey == Qt::Key_Backtab) return Key::tab.rawValue;
    if (qtKey == Qt::Key_Enter) return Key::keypadEnter.rawValue;
    if (qtKey == Qt::Key_SysReq) return Key::printScreen.rawValue;  // Alt+Print
    if (qtKey <= 0 || qtKey > 0xFFFF) return std::nullopt;
    const char16_t character = char16_t(QChar::toUpper(char32_t(qtKey)));
    for (const platform::KeyPosition& position : platform::keyPositions()) {
        if (position.usCharacter == 0) continue;
        if (QChar::toUpper(char32_t(position.usCharacter)) == character || position.usShifted == character)
            return position.keyCode;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Shortcut> shortcutFromKeyEvent(const QKeyEvent& event)
{
    std::optional<qint64> keyCode;
    if (event.nativeScanCode() != 0) keyCode = platform::keyboardLayout().keyCodeForScanCode(event.nativeScanCode());
    if (!keyCode) keyCode = keyCodeForQtKey(event.key(), event.modifiers() & Qt::KeypadModifier);
    if (!keyCode) return std::nullopt;
    return Shortcut(*keyCode, modifiersFromQt(event.modifiers()));
}

bool isModifierKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

}  // namespace klipo::GlobalShortcuts

// The text forms of a shortcut: what the user reads, and the menu key
// equivalent. Both are Qt's own key texts, so the recorder, the warnings and
// the tray menu write a combination the same way (Ctrl+Shift+T).
#include "GlobalShortcuts/Shortcut.h"
#include "GlobalShortcuts/SpecialKeys.h"

#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/KeyboardLayout.h"

namespace klipo::GlobalShortcuts {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Key codes are 16-bit values to a keyboard layout; anything else types nothing.
std::optional<char32_t> layoutCharacter(qint64 keyCode)
{
    if (keyCode < 0 || keyCode > 0xFFFF) return std::nullopt;
    return platform::keyboardLayout().character(keyCode);
}

}  // namespace

QString Shortcut::description() const
{
    const QString modifiers = modifierText(carbonModifiers);
    if (const SpecialKey* special = specialKey(carbonKeyCode)) return modifiers + special->presentableDescription();
    const std::optional<char32_t> character = layoutCharacter(carbonKeyCode);
    if (!character) return modifiers + QChar(char16_t(kReplacementCharacter));
    // Named as the menu names it (Qt's key for the upper-case character).
    const QString key =
        QKeySequence(QKeyCombination(Qt::Key(QChar::toUpper(*character)))).toString(QKeySequence::NativeText);
    return modifiers + (key.isEmpty() ? capitalisedCharacter(*character) : key);
}

QKeySequence Shortcut::keySequence() const
{
    int qtKey = 0;
    if (const SpecialKey* special = specialKey(carbonKeyCode)) {
        qtKey = special->qtKey;
    } else if (const std::optional<char32_t> character = layoutCharacter(carbonKeyCode)) {
        // Qt names character keys by their upper-case character.
        qtKey = static_cast<int>(QChar::toUpper(*character));
    }
    if (qtKey == 0) return {};
    return QKeySequence(QKeyCombination(modifiers(), static_cast<Qt::Key>(qtKey)));
}

}  // namespace klipo::GlobalShortcuts

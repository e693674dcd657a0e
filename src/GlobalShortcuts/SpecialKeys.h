#pragma once

#include <QString>

namespace klipo::GlobalShortcuts {

// The keys that the keyboard layout gives no character for: Return, Delete,
// Escape, Space, Tab, the navigation keys, F1 to F20, the keypad, Print
// Screen, Scroll Lock, Pause and Menu. They are shown by their names instead.
struct SpecialKey {
    qint64 keyCode;
    int qtKey;        // the menu key equivalent; 0 for keypad keys, which have none
    int qtKeypadKey;  // the Qt key a keypad key sends (with Qt::KeypadModifier); 0 otherwise

    // Qt's name of the key, as menus write it (Return, F5, Num+5).
    QString presentableDescription() const;
};

// The special key with this code, or null for a character key.
const SpecialKey* specialKey(qint64 keyCode);
// Every special key, for lookups the other way round.
const SpecialKey* specialKeysBegin();
const SpecialKey* specialKeysEnd();

// Capitalises a one-character text as a word (t becomes T; ß stays ß).
QString capitalisedCharacter(char32_t character);

}  // namespace klipo::GlobalShortcuts

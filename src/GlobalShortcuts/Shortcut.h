#pragma once

#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Modifiers.h"

#include <QByteArray>
#include <QKeySequence>
#include <QString>

#include <optional>

namespace klipo::GlobalShortcuts {

// A key combination: a virtual key code plus modifier bits, stored as the JSON
// object {"carbonKeyCode": ..., "carbonModifiers": ...}.
struct Shortcut {
    qint64 carbonKeyCode = 0;
    qint64 carbonModifiers = 0;

    // Keeps the key code as given and only the five modifier bits.
    Shortcut(qint64 keyCode, qint64 modifiers) : carbonKeyCode(keyCode), carbonModifiers(normalizedModifiers(modifiers))
    {
    }
    Shortcut(Key key, Qt::KeyboardModifiers modifiers) : Shortcut(key.rawValue, modifiersFromQt(modifiers)) {}

    Key key() const { return Key{carbonKeyCode}; }
    Qt::KeyboardModifiers modifiers() const { return qtModifiers(carbonModifiers); }
    platform::KeyCombination combination() const { return {carbonKeyCode, carbonModifiers}; }

    // What the user sees: the modifier glyphs, then the key (⌃⇧T, ⌘F12, ⌥空格).
    // Character keys show what the current keyboard layout types on them.
    QString description() const;
    // The key equivalent for a menu item (Qt shows QAction::shortcut() as its
    // key text); empty when the key has none (keypad keys, keys the layout
    // types nothing on).
    QKeySequence keySequence() const;

    // Whether the key code names a key of the keyboard that a shortcut can use
    // (a modifier key alone, or a code outside the key table, cannot).
    bool hasUsableKey() const;
    // Whether the key is one that types nothing and is pressed for its own
    // sake: F1 to F20, Print Screen, Scroll Lock, Pause and Menu.
    bool keyStandsAlone() const;
    // Whether the combination may be held for the whole desktop: it has Control,
    // Option (Alt) or Command (Super), or its key stands alone. Anything else
    // (Return, a letter, Shift and a letter) would stop that key from reaching
    // every other program.
    bool isSafeAsGlobalHotKey() const;

    // Compact JSON text with both members.
    QByteArray toJson() const;
    // Reads the JSON object back, in any member order, other members ignored.
    // Both members must be integers. Stray modifier bits are dropped, so a
    // value edited by hand still compares equal to the shortcut it means.
    static std::optional<Shortcut> fromJson(const QByteArray& json);

    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

size_t qHash(const Shortcut& shortcut, size_t seed = 0);

inline QString displayText(const Shortcut& shortcut) { return shortcut.description(); }

}  // namespace klipo::GlobalShortcuts

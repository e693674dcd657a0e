#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <QString>

#include <optional>

namespace klipo::GlobalShortcuts {

// The name of a shortcut, under which its combination is stored
// ("GlobalShortcuts_" + raw value). Names are equal when their raw values are.
class Name {
public:
    // With a default: when nothing at all is stored for the name yet, stores
    // the default and announces it. A name the user cleared keeps its stored
    // "false" and gets no default back. A damaged entry is set back to the
    // default (or removed) and noted for takeResetNames(). Only names with
    // actions hold hot keys.
    explicit Name(QString rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt);

    const QString& rawValue() const { return m_rawValue; }
    const std::optional<Shortcut>& defaultShortcut() const { return m_defaultShortcut; }
    QString storageKey() const;

    // The stored shortcut; the same as getShortcut(*this) and setShortcut(s, *this).
    std::optional<Shortcut> shortcut() const;
    void setShortcut(const std::optional<Shortcut>& shortcut) const;

    friend bool operator==(const Name& a, const Name& b) { return a.m_rawValue == b.m_rawValue; }

    // The name of this raw value as the program declared it (with its
    // default), or one without a default; reads and writes nothing.
    static Name declared(const QString& rawValue);

    // The program's shortcuts, made on first use.
    static const Name& captureTranslate();            // Control-Shift-T
    static const Name& captureFullScreenTranslate();  // Control-Shift-F
    static const Name& plainCapture();                // Control-Shift-S
    static const Name& recordScreen();                // Control-Shift-L
    static const Name& scrollCapture();               // Control-Shift-G
    static const Name& delayedCapture();              // no default
    static const Name& repeatLastArea();              // no default
    static const Name& colorPicker();                 // no default
    static const Name& captureAnnotate();             // no default
    static const Name& pinFromClipboard();            // no default

private:
    struct Unchecked {};
    Name(Unchecked, QString rawValue, std::optional<Shortcut> defaultShortcut);

    QString m_rawValue;
    std::optional<Shortcut> m_defaultShortcut;
};

size_t qHash(const Name& name, size_t seed = 0);

}  // namespace klipo::GlobalShortcuts

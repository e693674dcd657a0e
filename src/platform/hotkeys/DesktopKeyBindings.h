#pragma once

#include "platform/hotkeys/KeyCombination.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The key bindings a desktop keeps in its own settings, read so that a
// combination another program holds can be named. Only what the settings say
// is read; whether the binding is really held is found by a test grab.
namespace klipo::platform {

struct DesktopKeyBinding {
    KeyCombination combination;  // stored key code and modifier bits (no Fn)
    QString action;              // what the desktop does on it, in Chinese where known
};

// Openbox's rc.xml: every <keybind key="..."> of <keyboard>; a key chain
// counts by its first key, which Openbox holds.
QList<DesktopKeyBinding> parseOpenboxKeyBindings(const QByteArray& rcXml);

// KDE's kglobalshortcutsrc: "Action=current,default,friendly name", where the
// current field holds Qt's key texts separated by tabs, or "none".
QList<DesktopKeyBinding> parseKdeGlobalShortcuts(const QByteArray& text);

// The lines of `gsettings list-recursively SCHEMA` for GNOME's key-binding
// schemas: "schema key ['<Super>Tab', '<Alt>Tab']" or "schema key '<Super>e'".
QList<DesktopKeyBinding> parseGnomeKeyBindings(const QString& listing);

// The stored key code of an X key symbol name ("Tab", "a", "F4", "comma");
// none for keys without a stored code (Print, media keys ...).
std::optional<qint64> keyCodeForKeysymName(const QString& name);

}  // namespace klipo::platform

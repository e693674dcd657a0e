#pragma once

#include <QByteArray>
#include <QString>

// Starting the program when the user logs in: a desktop entry in the
// autostart folder ($XDG_CONFIG_HOME/autostart), as every freedesktop session
// reads it. Main thread.
namespace klipo::platform::LoginItem {

// $XDG_CONFIG_HOME/autostart/io.klipoversa.desktop
QString entryPath();

// The entry exists and is not switched off (Hidden=true or
// X-GNOME-Autostart-enabled=false).
bool isEnabled();

// Whether an entry with this content starts the program.
bool entryEnables(const QByteArray& content);

// The entry that starts `executable`, with the program's icon.
QByteArray desktopEntry(const QString& executable);

// `executable` as one argument of an Exec line, quoted where it needs to be.
QString execArgument(const QString& executable);

struct Outcome {
    bool ok = true;
    QString message;  // Chinese, when it failed
};

// Writes the entry for the running program (on) or removes it (off).
Outcome setEnabled(bool enabled);
Outcome setEnabled(bool enabled, const QString& executable);

}  // namespace klipo::platform::LoginItem

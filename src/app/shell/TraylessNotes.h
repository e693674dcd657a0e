#pragma once

#include <QString>

// What the program tells the user on a desktop without a tray (a window
// manager alone, with no panel): there, neither the tray icon nor its menu is
// the way back to the program or the sign of a delayed capture.
namespace klipo::TraylessNotes {

struct Note {
    QString title;
    QString subtitle;
};

// At launch. Where another launch toast is to be shown (refused hot keys),
// its text comes first and the tray's note is added to it.
Note atLaunch(const Note* launchToast = nullptr);
// When the user closes the library window; a click on it opens it again.
Note libraryClosed();
// The delayed capture's countdown, seconds left.
Note countdown(int seconds);

}  // namespace klipo::TraylessNotes

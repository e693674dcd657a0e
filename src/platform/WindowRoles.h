#pragma once

class QWidget;

namespace klipo::platform {

// What one of our top-level windows is to the desktop, in the words every
// EWMH window manager reads (openbox, xfwm4, KWin, mutter).
enum class WindowRole {
    // The toast: a notification, above ordinary windows, on every desktop,
    // in no task bar or pager.
    notification,
    // Pins, bars and floating panels: an ordinary window kept above the
    // others, on every desktop, in no task bar or pager.
    floating,
    // A window kept out of the task bar and pager: the main window with "menu
    // bar only", the result panel.
    unlisted,
};

// Gives `window` its role for as long as it lives. Window managers forget a
// window's states when it is hidden, so they are written again before every
// showing and asked of the window manager right after it. The window must
// not be a Qt::Tool window: Qt ties those to the program's hidden leader
// window, and KWin hides tool windows of a program that is not active. Main
// thread only; does nothing outside X11.
void applyWindowRole(QWidget* window, WindowRole role);

// From now on, a window of ours that the window manager marks as demanding
// attention (it does so when it refused to give it the focus) is unmarked at
// once: nothing of ours blinks in the task bar. Once per process.
void keepOwnWindowsFromDemandingAttention();

}  // namespace klipo::platform

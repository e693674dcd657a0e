#pragma once

#include "overlay/SelTypes.h"

#include <QPoint>
#include <QString>
#include <Qt>

// How the overlay reads a key press. Two layers, as on the desktop: the
// session's own filter sees every key first (monitor), and what it passes on
// reaches the window's own handling (viewKey). Shortcuts use Ctrl.
namespace klipo::SelKeys {

enum class Command {
    passOn,           // not the overlay's: the focused widget gets it
    escape,           // one step of the Esc ladder, closing when nothing is left
    selectAllText,    // Ctrl+A: passed on when there is no text to select
    copySelectedText, // Ctrl+C: passed on when no text is selected
    undo,             // Ctrl+Z
    redo,             // Ctrl+Shift+Z
    nudge,            // arrow keys: move by `step` device pixels
    primaryAction,    // Return or Enter while editing
    // Passed on by the monitor, handled by the window:
    commitHighlightedWindow,  // Return while selecting
    selectWholeScreen,        // F
    colorPicker,              // C
    delayedCapture,           // D
    captureLastArea,          // R
};

struct Decision {
    Command command = Command::passOn;
    QPoint step;  // for nudge: device pixels, y down
};

struct Context {
    bool active = false;             // a session is running
    SelPhase phase = SelPhase::selecting;
    bool editingText = false;        // the annotation canvas has a text field open
};

// The session filter's decision.
Decision monitor(const Context& context, int key, Qt::KeyboardModifiers modifiers);

// What the window does with a key the filter passed on.
Decision viewKey(SelPhase phase, int key, Qt::KeyboardModifiers modifiers);

}  // namespace klipo::SelKeys

#pragma once

#include "GlobalShortcuts/GlobalShortcuts.h"

#include <functional>

class QAbstractButton;
class QAction;
class QObject;

namespace klipo::GlobalShortcuts {

// Ties a widget, an action or any object of ours to a name's shortcut.

// Calls `action` with each press and release of the name's hot key while
// `owner` lives; `owner` keeps the hot key held meanwhile.
void onKeyboardShortcut(QObject* owner, const Name& name, std::function<void(EventType)> action);
// The same for one event type.
void onKeyboardShortcut(QObject* owner, const Name& name, EventType type, std::function<void()> action);

inline void onGlobalKeyboardShortcut(QObject* owner, const Name& name, std::function<void(EventType)> action)
{
    onKeyboardShortcut(owner, name, std::move(action));
}
inline void onGlobalKeyboardShortcut(QObject* owner, const Name& name, EventType type, std::function<void()> action)
{
    onKeyboardShortcut(owner, name, type, std::move(action));
}

// Gives the action (or button) the name's shortcut as its keys inside our
// windows, following every change of it. It has none while a recorder
// records, so the keys reach the recorder, and none while the name's hot key
// is refused for the desktop. Binding it again replaces the earlier binding.
void globalKeyboardShortcut(QAction* action, const Name& name);
void globalKeyboardShortcut(QAbstractButton* button, const Name& name);

}  // namespace klipo::GlobalShortcuts

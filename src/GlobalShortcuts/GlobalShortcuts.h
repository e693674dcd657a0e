#pragma once

// Named global shortcuts: each name keeps its key combination in the settings
// store, fires as a system-wide hot key and shows on menu items.

#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"

#include <QLatin1String>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace klipo::GlobalShortcuts {

// Process notifications (platform::NotificationCenter):
// after every store or clear of a name's shortcut; user info "name" = raw value.
inline constexpr QLatin1String shortcutByNameDidChange("GlobalShortcuts_shortcutByNameDidChange");
// when a recorder starts or stops recording; user info "isActive" = Boolean.
inline constexpr QLatin1String recorderActiveStatusDidChange("GlobalShortcuts_recorderActiveStatusDidChange");
// when a name's hot key was taken up or let go without its shortcut changing
// (another program took or freed the combination, hot keys were switched off
// or on, the first action was attached); user info "name" = raw value.
inline constexpr QLatin1String registrationDidChange("GlobalShortcuts_registrationDidChange");

enum class EventType { keyDown, keyUp };

// Where a name stands as a system-wide hot key.
struct Registration {
    enum class State {
        inactive,     // no action attached or no shortcut stored: nothing to register
        registered,   // presses run the name's actions
        taken,        // another program holds the combination; tried again every few
                      // seconds and when the keyboard changes, taken up once free
        unsupported,  // this session or keyboard cannot have it (no X11, Fn key ...)
        noModifier,   // not taken: without Ctrl, Alt or Super (and not F1-F20) it would
                      // keep that key from every other program
        failed,       // the display server refused it
        disabled,     // hot keys switched off (setEnabled, disable)
        duplicate,    // another name of ours has the same shortcut and runs instead
                      // (heldBy); taken up once that name lets it go
    };
    State state = State::inactive;
    QString message;  // Chinese, for the menu or the preferences; empty unless it failed
    QString heldBy;   // duplicate: the raw name whose actions a press runs

    bool failed() const { return state != State::inactive && state != State::registered; }
};

// The stored shortcut of a name; none when nothing readable is stored (also
// when the key code names no key we know).
std::optional<Shortcut> getShortcut(const Name& name);

// The names whose stored shortcut was found damaged when the name was made
// (text that is no shortcut, wrong types, an unknown key) and was set back to
// the name's default, or cleared when it has none; each name once, and only
// since the last call.
QStringList takeResetNames();

// Stores a shortcut for the name, or clears it with none (a name with a
// default then keeps "false", so the default does not come back). Moves the
// name's hot key and posts shortcutByNameDidChange. Clearing a name that has
// no shortcut does nothing.
void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);

// Sets each name back to its default (clears names without one).
void reset(const QList<Name>& names);

// Every name whose entry stands in the settings store (a shortcut, or the
// "false" of a cleared default), with its default when the program declares
// one.
QList<Name> allNames();
// reset() of allNames().
void resetAll();

// From now on a shortcut that another copy of the program (another session of
// the same user) stores or clears moves this copy's hot key too and is
// announced like one changed here. Main thread.
void followOtherCopies();

// Runs `action` on the main thread each time the name's hot key is pressed,
// while `context` lives (always, with no context). Actions of a name run in the
// order added. Of names that share a combination only one runs (see
// nameRunBy). Returns how the name's hot key registration went.
Registration onKeyDown(const Name& name, QObject* context, std::function<void()> action);
// The same for the release of a press that ran the key-down actions (the
// keyboard's repeats of a held key are no presses).
Registration onKeyUp(const Name& name, QObject* context, std::function<void()> action);

// Drops the name's key-down and key-up actions; its hot key is let go unless
// an event stream (ShortcutEvents) still listens to the name.
void removeHandler(const Name& name);
// removeHandler() for every name.
void removeAllHandlers();

// The name's current registration.
Registration registration(const Name& name);
// Of the names with actions (or event streams) whose stored shortcut is
// `shortcut`, the one a press runs: the one that got its first action
// earliest (at launch, the program wires its names in a fixed order) and
// is not disabled. The others stand back (Registration::State::duplicate)
// until it lets the combination go. Its raw name; none when no name with
// actions has the shortcut.
std::optional<QString> nameRunBy(const Shortcut& shortcut);
// Whether the name has a stored shortcut whose hot key does not work now.
bool isRefused(const Name& name);
// Calls `changed` whenever the name's stored shortcut or its registration
// changes, while `receiver` lives.
void observeShortcut(const Name& name, QObject* receiver, std::function<void()> changed);

// The switch for all hot keys of the program, on at start. Off, every
// combination is let go on the display (other programs can take it) and
// nothing runs; on again, they are taken up again.
bool isEnabled();
void setEnabled(bool enabled);
// Whether presses of the name's stored shortcut reach its actions now: hot
// keys on, a shortcut stored, and its hot key held.
bool isEnabled(const Name& name);
// Lets go of the names' hot keys, or takes them up again. A new shortcut or
// a new action for a name takes its hot key up again too.
void disable(const QList<Name>& names);
void enable(const QList<Name>& names);

// While paused (a recorder is recording) no hot key of ours is held, so key
// presses reach the recorder and other programs; unpausing takes them back.
bool isPaused();
void setPaused(bool paused);

}  // namespace klipo::GlobalShortcuts

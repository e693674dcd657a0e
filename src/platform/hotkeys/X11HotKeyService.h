#pragma once

#include "platform/hotkeys/AutoRepeatFilter.h"
#include "platform/hotkeys/HotKeyService.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <map>
#include <vector>

struct xcb_connection_t;

namespace klipo::platform {

class X11KeyboardLayout;

// Global hot keys as passive key grabs on the X root window. Each combination
// is grabbed four times (as is, with Caps Lock, with Num Lock, with both) so it
// keeps working whatever the lock keys say; a grab that another client holds
// fails with BadAccess, which is what "taken" means.
//
// Presses and releases arrive through Qt's connection and are picked out by a
// native event filter. While one of our own windows holds the keyboard (an
// open menu, the capture overlay) the server sends keys there instead of to
// the grab, so the filter matches those presses too. A release is delivered
// for the registrations whose press was delivered, whatever modifiers are
// still down by then; the keyboard's repeats of a held key deliver nothing.
//
// When the keyboard mapping changes, each registration is grabbed again on
// the key that now sits at its position.
class X11HotKeyService : public HotKeyService, public QAbstractNativeEventFilter {
public:
    // `holdGapMs`: see AutoRepeatFilter.
    X11HotKeyService(xcb_connection_t* connection, quint32 rootWindow, const X11KeyboardLayout& layout,
                     quint32 holdGapMs);
    ~X11HotKeyService() override;

    HotKeyOutcome add(HotKeyId id, const KeyCombination& combination, HotKeyCallbacks callbacks) override;
    void remove(HotKeyId id) override;
    void setSuspended(bool suspended) override;
    bool isSuspended() const override { return m_suspended; }
    HotKeyOutcome probe(const KeyCombination& combination) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    // The X modifiers a combination's StoredModifier bits are grabbed with:
    // Shift, Control, Alt (Mod1) for option, Super (Mod4) for command.
    static quint16 modifierMask(qint64 storedModifiers);

private:
    // A combination in X terms: key code and modifier mask.
    struct Grab {
        quint8 keycode = 0;
        quint16 modifiers = 0;
        friend bool operator==(const Grab&, const Grab&) = default;
    };
    struct Entry {
        KeyCombination combination;
        Grab grab;
        HotKeyCallbacks callbacks;
    };
    using LostList = std::vector<std::pair<HotKeyCallbacks, HotKeyOutcome>>;

    HotKeyOutcome resolve(const KeyCombination& combination, Grab* grab) const;
    HotKeyOutcome grabKey(const Grab& grab);
    void ungrabKey(const Grab& grab);
    bool isHeld(const Grab& grab) const;  // grabbed by us right now
    std::vector<Grab> distinctGrabs() const;
    // Removes the registrations on `grab`, noting their callbacks in `lost`.
    void dropEntries(const Grab& grab, const HotKeyOutcome& outcome, LostList& lost);
    static void reportLost(const LostList& lost);
    bool isKeyboardChange(const void* xcbEvent) const;
    void scheduleRemap();
    void remap();
    void deliver(HotKeyId id, std::function<void()> HotKeyCallbacks::*callback);
    void deliverRelease(quint8 keycode, quint32 timeMs);
    bool keyIsDown(quint8 keycode) const;

    xcb_connection_t* m_connection;
    quint32 m_root;
    const X11KeyboardLayout& m_layout;
    std::map<HotKeyId, Entry> m_entries;
    bool m_suspended = false;
    int m_suspensions = 0;  // setSuspended(true) calls not yet ended
    AutoRepeatFilter m_repeats;
    std::map<quint8, std::vector<HotKeyId>> m_down;  // delivered presses awaiting their release
    quint8 m_xkbEventBase = 0;                       // 0 without the XKB extension
    bool m_remapPending = false;
    QObject m_dispatchContext;  // queued presses die with the service
};

}  // namespace klipo::platform

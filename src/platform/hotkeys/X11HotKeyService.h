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
// Presses arrive through Qt's connection and are picked out by a native event
// filter. While one of our own windows holds the keyboard (an open menu, the
// capture overlay) the server sends keys there instead of to the grab, so the
// filter matches those presses too.
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

private:
    // A combination in X terms: key code and modifier mask.
    struct Grab {
        quint8 keycode = 0;
        quint16 modifiers = 0;
        friend bool operator==(const Grab&, const Grab&) = default;
    };
    struct Entry {
        Grab grab;
        HotKeyCallbacks callbacks;
    };

    HotKeyOutcome resolve(const KeyCombination& combination, Grab* grab) const;
    HotKeyOutcome grabKey(const Grab& grab);
    void ungrabKey(const Grab& grab);
    bool isHeld(const Grab& grab) const;  // grabbed by us right now
    std::vector<Grab> distinctGrabs() const;

    xcb_connection_t* m_connection;
    quint32 m_root;
    const X11KeyboardLayout& m_layout;
    std::map<HotKeyId, Entry> m_entries;
    bool m_suspended = false;
    int m_suspensions = 0;  // setSuspended(true) calls not yet ended
    AutoRepeatFilter m_repeats;
    QObject m_dispatchContext;  // queued presses die with the service
};

}  // namespace klipo::platform

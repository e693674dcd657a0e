#pragma once

#include "platform/hotkeys/KeyCombination.h"

#include <QString>

#include <functional>

namespace klipo::platform {

// How a hot-key registration went.
struct HotKeyOutcome {
    enum class Status {
        registered,   // the combination is ours (or free, for probe())
        taken,        // another program holds it
        unsupported,  // this session or keyboard cannot have it as a hot key
        failed,       // the display server refused it for another reason
    };
    Status status = Status::registered;
    QString message;  // Chinese, empty when registered

    bool isRegistered() const { return status == Status::registered; }
};

using HotKeyId = quint64;

struct HotKeyCallbacks {
    std::function<void()> pressed;
    // The key of a delivered press was let go (the keyboard's own repeats of a
    // held key are neither presses nor releases).
    std::function<void()> released;
    // A registration that was lost later, when hot keys came back after a
    // suspension and the combination had been taken meanwhile.
    std::function<void(const HotKeyOutcome&)> lost;
};

// System-wide hot keys. Several registrations may share one combination; a
// press runs every one of them. Everything runs on the main thread.
class HotKeyService {
public:
    virtual ~HotKeyService() = default;

    // Registers `combination` under `id` (chosen by the caller, never reused).
    // When the outcome is not `registered` nothing is kept.
    virtual HotKeyOutcome add(HotKeyId id, const KeyCombination& combination, HotKeyCallbacks callbacks) = 0;
    virtual void remove(HotKeyId id) = 0;

    // While suspended, no hot key of ours is held, so the keys reach other
    // programs and whoever has the keyboard focus; resuming takes them again.
    // Suspensions nest (a recorder that records, a region pick): each
    // setSuspended(true) is ended by one setSuspended(false), and the keys
    // come back when the last one ends.
    virtual void setSuspended(bool suspended) = 0;
    virtual bool isSuspended() const = 0;

    // Whether `combination` could be registered now, without keeping it:
    // `taken` when another program holds it.
    virtual HotKeyOutcome probe(const KeyCombination& combination) = 0;

    // Called after the keyboard mapping changed (another layout or keyboard),
    // once the service has moved its own registrations to the new keys.
    void setKeyboardChangeHandler(std::function<void()> handler) { m_keyboardChanged = std::move(handler); }

protected:
    void keyboardChanged() const
    {
        if (m_keyboardChanged) m_keyboardChanged();
    }

private:
    std::function<void()> m_keyboardChanged;
};

// Where no display server offers global hot keys (offscreen, Wayland).
class UnavailableHotKeyService : public HotKeyService {
public:
    HotKeyOutcome add(HotKeyId, const KeyCombination&, HotKeyCallbacks) override { return outcome(); }
    void remove(HotKeyId) override {}
    void setSuspended(bool suspended) override
    {
        if (suspended) ++m_suspensions;
        else if (m_suspensions > 0) --m_suspensions;
    }
    bool isSuspended() const override { return m_suspensions > 0; }
    HotKeyOutcome probe(const KeyCombination&) override { return outcome(); }

private:
    static HotKeyOutcome outcome();
    int m_suspensions = 0;
};

}  // namespace klipo::platform

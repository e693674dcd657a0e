#include "platform/hotkeys/X11HotKeyService.h"

#include "platform/hotkeys/X11KeyboardLayout.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace klipo::platform {

namespace {

constexpr quint16 kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
// Option is Alt (Mod1) and Command is Super (Mod4) on X keyboards.
constexpr quint16 kShortcutModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr quint8 kBadAccess = 10;
// The XKB events that say the keymap changed (the event's second byte).
constexpr quint8 kXkbNewKeyboardNotify = 0;
constexpr quint8 kXkbMapNotify = 1;

quint8 xkbEventBase(xcb_connection_t* connection)
{
    static const char name[] = "XKEYBOARD";
    xcb_query_extension_reply_t* reply =
        xcb_query_extension_reply(connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr);
    const quint8 base = reply && reply->present ? reply->first_event : 0;
    std::free(reply);
    return base;
}

HotKeyOutcome unsupported(const QString& message) { return {HotKeyOutcome::Status::unsupported, message}; }

}  // namespace

X11HotKeyService::X11HotKeyService(xcb_connection_t* connection, quint32 rootWindow, const X11KeyboardLayout& layout,
                                   quint32 holdGapMs)
    : m_connection(connection),
      m_root(rootWindow),
      m_layout(layout),
      m_repeats(holdGapMs),
      m_xkbEventBase(xkbEventBase(connection))
{
    if (auto* app = QCoreApplication::instance()) app->installNativeEventFilter(this);
}

X11HotKeyService::~X11HotKeyService()
{
    if (auto* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
    if (!m_suspended) {
        for (const Grab& grab : distinctGrabs()) ungrabKey(grab);
    }
}

HotKeyOutcome X11HotKeyService::resolve(const KeyCombination& combination, Grab* grab) const
{
    if (combination.modifiers & StoredModifier::function)
        return unsupported(QStringLiteral("含 Fn 键的组合无法注册为全局快捷键"));
    const std::optional<quint8> keycode = m_layout.nativeKeyCode(combination.keyCode);
    if (!keycode) return unsupported(QStringLiteral("当前键盘上没有这个快捷键所用的按键"));
    grab->keycode = *keycode;
    grab->modifiers = modifierMask(combination.modifiers);
    return {};
}

quint16 X11HotKeyService::modifierMask(qint64 storedModifiers)
{
    quint16 mask = 0;
    if (storedModifiers & StoredModifier::shift) mask |= XCB_MOD_MASK_SHIFT;
    if (storedModifiers & StoredModifier::control) mask |= XCB_MOD_MASK_CONTROL;
    if (storedModifiers & StoredModifier::option) mask |= XCB_MOD_MASK_1;
    if (storedModifiers & StoredModifier::command) mask |= XCB_MOD_MASK_4;
    return mask;
}

HotKeyOutcome X11HotKeyService::grabKey(const Grab& grab)
{
    xcb_void_cookie_t cookies[std::size(kLockVariants)];
    for (size_t i = 0; i < std::size(kLockVariants); ++i) {
        cookies[i] = xcb_grab_key_checked(m_connection, 0, m_root, grab.modifiers | kLockVariants[i], grab.keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool granted[std::size(kLockVariants)];
    int errorCode = 0;
    for (size_t i = 0; i < std::size(kLockVariants); ++i) {
        xcb_generic_error_t* error = xcb_request_check(m_connection, cookies[i]);
        granted[i] = error == nullptr;
        if (error && errorCode == 0) errorCode = error->error_code;
        std::free(error);
    }
    if (errorCode == 0) return {};
    // Half a combination is no use: give back the variants we did get.
    for (size_t i = 0; i < std::size(kLockVariants); ++i) {
        if (granted[i]) xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | kLockVariants[i]);
    }
    xcb_flush(m_connection);
    if (errorCode == kBadAccess) return {HotKeyOutcome::Status::taken, QStringLiteral("该快捷键已被系统或其他程序占用")};
    return {HotKeyOutcome::Status::failed, QStringLiteral("X 服务器拒绝注册该快捷键（错误 %1）").arg(errorCode)};
}

void X11HotKeyService::ungrabKey(const Grab& grab)
{
    for (quint16 variant : kLockVariants)
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | variant);
    xcb_flush(m_connection);
}

bool X11HotKeyService::isHeld(const Grab& grab) const
{
    if (m_suspended) return false;
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const auto& e) { return e.second.grab == grab; });
}

std::vector<X11HotKeyService::Grab> X11HotKeyService::distinctGrabs() const
{
    std::vector<Grab> grabs;
    for (const auto& [id, entry] : m_entries) {
        if (std::find(grabs.begin(), grabs.end(), entry.grab) == grabs.end()) grabs.push_back(entry.grab);
    }
    return grabs;
}

HotKeyOutcome X11HotKeyService::add(HotKeyId id, const KeyCombination& combination, HotKeyCallbacks callbacks)
{
    remove(id);
    Grab grab;
    HotKeyOutcome outcome = resolve(combination, &grab);
    if (!outcome.isRegistered()) return outcome;
    if (m_suspended) {
        // Hot keys are off for now: only check that the combination is free;
        // resuming grabs it with the others.
        outcome = probe(combination);
    } else if (!isHeld(grab)) {
        outcome = grabKey(grab);
    }
    if (outcome.isRegistered()) m_entries[id] = Entry{combination, grab, std::move(callbacks)};
    return outcome;
}

void X11HotKeyService::remove(HotKeyId id)
{
    const auto it = m_entries.find(id);
    if (it == m_entries.end()) return;
    const Grab grab = it->second.grab;
    m_entries.erase(it);
    // Another registration of the same combination keeps the grab.
    if (!m_suspended && !isHeld(grab)) ungrabKey(grab);
}

void X11HotKeyService::setSuspended(bool suspended)
{
    if (suspended) {
        if (m_suspensions++ > 0) return;
        for (const Grab& grab : distinctGrabs()) ungrabKey(grab);
        m_suspended = true;
        return;
    }
    if (m_suspensions == 0 || --m_suspensions > 0) return;
    m_suspended = false;
    LostList lost;
    for (const Grab& grab : distinctGrabs()) {
        const HotKeyOutcome outcome = grabKey(grab);
        if (!outcome.isRegistered()) dropEntries(grab, outcome, lost);
    }
    reportLost(lost);
}

void X11HotKeyService::dropEntries(const Grab& grab, const HotKeyOutcome& outcome, LostList& lost)
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->second.grab == grab) {
            lost.emplace_back(std::move(it->second.callbacks), outcome);
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
}

void X11HotKeyService::reportLost(const LostList& lost)
{
    for (const auto& [callbacks, outcome] : lost) {
        if (callbacks.lost) callbacks.lost(outcome);
    }
}

bool X11HotKeyService::isKeyboardChange(const void* xcbEvent) const
{
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbEvent);
    const quint8 type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY)
        return reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request == XCB_MAPPING_KEYBOARD;
    if (m_xkbEventBase == 0 || type != m_xkbEventBase) return false;
    const quint8 xkbType = reinterpret_cast<const quint8*>(event)[1];
    return xkbType == kXkbNewKeyboardNotify || xkbType == kXkbMapNotify;
}

void X11HotKeyService::scheduleRemap()
{
    // One layout switch sends several events: move the grabs once, after them.
    if (m_remapPending) return;
    m_remapPending = true;
    QMetaObject::invokeMethod(
        &m_dispatchContext,
        [this] {
            m_remapPending = false;
            remap();
        },
        Qt::QueuedConnection);
}

void X11HotKeyService::remap()
{
    const std::vector<Grab> before = distinctGrabs();
    LostList lost;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        Grab grab;
        const HotKeyOutcome outcome = resolve(it->second.combination, &grab);
        if (outcome.isRegistered()) {
            it->second.grab = grab;
            ++it;
        } else {  // the new keyboard lacks the key
            lost.emplace_back(std::move(it->second.callbacks), outcome);
            it = m_entries.erase(it);
        }
    }
    if (!m_suspended) {
        const std::vector<Grab> after = distinctGrabs();
        for (const Grab& grab : before) {
            if (std::find(after.begin(), after.end(), grab) == after.end()) ungrabKey(grab);
        }
        for (const Grab& grab : after) {
            if (std::find(before.begin(), before.end(), grab) != before.end()) continue;
            const HotKeyOutcome outcome = grabKey(grab);
            if (!outcome.isRegistered()) dropEntries(grab, outcome, lost);
        }
    }
    reportLost(lost);
    keyboardChanged();
}

HotKeyOutcome X11HotKeyService::probe(const KeyCombination& combination)
{
    Grab grab;
    HotKeyOutcome outcome = resolve(combination, &grab);
    if (!outcome.isRegistered() || isHeld(grab)) return outcome;
    outcome = grabKey(grab);
    if (outcome.isRegistered()) ungrabKey(grab);
    return outcome;
}

bool X11HotKeyService::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if (isKeyboardChange(event)) {
        scheduleRemap();
        return false;  // Qt follows the keymap too
    }
    if (m_suspended || m_entries.empty()) return false;
    const quint8 type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
    // Press and release events share one layout.
    auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
    const Grab pressed{key->detail, quint16(key->state & kShortcutModifiers)};

    std::vector<HotKeyId> matches;
    bool keyIsOurs = false;
    for (const auto& [id, entry] : m_entries) {
        if (entry.grab.keycode == pressed.keycode) keyIsOurs = true;
        if (entry.grab == pressed) matches.push_back(id);
    }
    if (type == XCB_KEY_RELEASE) {
        // The modifiers may be let go first, so the release is known by its key alone.
        if (!keyIsOurs) return false;
        m_repeats.released(key->detail, key->time);
        if (m_down.count(key->detail)) {
            // A repeat sends its release and the next press together: decide
            // once both have been read.
            const quint8 keycode = key->detail;
            const quint32 time = key->time;
            QMetaObject::invokeMethod(
                &m_dispatchContext, [this, keycode, time] { deliverRelease(keycode, time); }, Qt::QueuedConnection);
        }
        return !matches.empty() || key->event == m_root;
    }
    if (matches.empty()) return false;
    if (m_repeats.pressIsRepeat(key->detail, key->time)) return true;
    m_down[key->detail] = matches;
    // Commands run from the event loop, not from inside Qt's event reading:
    // they may open dialogs with event loops of their own.
    // One call each: a command that opens a dialog lets the others run meanwhile.
    for (HotKeyId id : matches)
        QMetaObject::invokeMethod(
            &m_dispatchContext, [this, id] { deliver(id, &HotKeyCallbacks::pressed); }, Qt::QueuedConnection);
    return true;
}

void X11HotKeyService::deliver(HotKeyId id, std::function<void()> HotKeyCallbacks::*callback)
{
    // The registration may have gone since (another command removed it).
    const auto it = m_entries.find(id);
    if (it == m_entries.end() || m_suspended || !(it->second.callbacks.*callback)) return;
    const auto run = it->second.callbacks.*callback;  // a copy: it may remove itself
    run();
}

bool X11HotKeyService::keyIsDown(quint8 keycode) const
{
    xcb_query_keymap_reply_t* reply = xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr);
    if (!reply) return false;
    const bool down = (reply->keys[keycode / 8] >> (keycode % 8)) & 1;
    std::free(reply);
    return down;
}

void X11HotKeyService::deliverRelease(quint8 keycode, quint32 timeMs)
{
    // Held: the keyboard repeats it. The repeat's press may not have been
    // read yet on a busy machine; the server still has the key down then.
    if (m_repeats.isDownSince(keycode, timeMs) || keyIsDown(keycode)) return;
    const auto down = m_down.find(keycode);
    if (down == m_down.end()) return;
    const std::vector<HotKeyId> ids = std::move(down->second);
    m_down.erase(down);
    for (HotKeyId id : ids) deliver(id, &HotKeyCallbacks::released);
}

}  // namespace klipo::platform

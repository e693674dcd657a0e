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

HotKeyOutcome unsupported(const QString& message) { return {HotKeyOutcome::Status::unsupported, message}; }

}  // namespace

X11HotKeyService::X11HotKeyService(xcb_connection_t* connection, quint32 rootWindow, const X11KeyboardLayout& layout,
                                   quint32 holdGapMs)
    : m_connection(connection), m_root(rootWindow), m_layout(layout), m_repeats(holdGapMs)
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
    grab->modifiers = 0;
    if (combination.modifiers & StoredModifier::shift) grab->modifiers |= XCB_MOD_MASK_SHIFT;
    if (combination.modifiers & StoredModifier::control) grab->modifiers |= XCB_MOD_MASK_CONTROL;
    if (combination.modifiers & StoredModifier::option) grab->modifiers |= XCB_MOD_MASK_1;
    if (combination.modifiers & StoredModifier::command) grab->modifiers |= XCB_MOD_MASK_4;
    return {};
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
    if (outcome.isRegistered()) m_entries[id] = Entry{grab, std::move(callbacks)};
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
    std::vector<std::pair<HotKeyCallbacks, HotKeyOutcome>> lost;
    for (const Grab& grab : distinctGrabs()) {
        const HotKeyOutcome outcome = grabKey(grab);
        if (outcome.isRegistered()) continue;
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (it->second.grab == grab) {
                lost.emplace_back(std::move(it->second.callbacks), outcome);
                it = m_entries.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto& [callbacks, outcome] : lost) {
        if (callbacks.lost) callbacks.lost(outcome);
    }
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
    if (m_suspended || m_entries.empty() || eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
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
        return !matches.empty() || key->event == m_root;
    }
    if (matches.empty()) return false;
    if (m_repeats.pressIsRepeat(key->detail, key->time)) return true;
    // Commands run from the event loop, not from inside Qt's event reading:
    // they may open dialogs with event loops of their own.
    for (HotKeyId id : matches) {
        QMetaObject::invokeMethod(
            &m_dispatchContext,
            [this, id] {
                // The registration may have gone since (another command removed it).
                const auto it = m_entries.find(id);
                if (it == m_entries.end() || m_suspended || !it->second.callbacks.pressed) return;
                const auto pressedCallback = it->second.callbacks.pressed;
                pressedCallback();
            },
            Qt::QueuedConnection);
    }
    return true;
}

}  // namespace klipo::platform

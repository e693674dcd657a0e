#include "GlobalShortcuts/HotKeyRegistry.h"

#include "GlobalShortcuts/ShortcutStorage.h"

#include "platform/NotificationCenter.h"
#include "platform/hotkeys/HotKeyPlatform.h"

#include <cstdio>

namespace klipo::GlobalShortcuts {

namespace {

Registration registrationFrom(const platform::HotKeyOutcome& outcome)
{
    using Status = platform::HotKeyOutcome::Status;
    switch (outcome.status) {
    case Status::registered: return {Registration::State::registered, {}};
    case Status::taken:
        return {Registration::State::taken, QStringLiteral("已被系统或其他程序占用，暂未生效；它被释放后会自动生效")};
    case Status::unsupported: return {Registration::State::unsupported, outcome.message};
    case Status::failed: break;
    }
    return {Registration::State::failed, outcome.message};
}

void reportFailure(const Shortcut& shortcut, const Registration& registration)
{
    const QByteArray line = QStringLiteral("Error registering hotkey %1: %2\n")
                                .arg(shortcut.description(), registration.message)
                                .toUtf8();
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
}

bool operator==(const Registration& a, const Registration& b)
{
    return a.state == b.state && a.message == b.message && a.heldBy == b.heldBy;
}

}  // namespace

HotKeyRegistry& HotKeyRegistry::shared()
{
    static auto* registry = new HotKeyRegistry;
    return *registry;
}

HotKeyRegistry::HotKeyRegistry()
{
    m_retry.setInterval(kRetryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, [this] { retryRefused(false); });
}

HotKeyRegistry::Entry& HotKeyRegistry::entryFor(const QString& rawName)
{
    auto it = m_entries.find(rawName);
    if (it == m_entries.end()) {
        it = m_entries.insert(rawName, Entry{});
        it->order = m_nextOrder++;
    }
    return *it;
}

std::optional<QString> HotKeyRegistry::holderOf(const Shortcut& shortcut) const
{
    std::optional<QString> holder;
    quint64 earliest = 0;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (!it->hasHandlers() || it->disabled || readStoredShortcut(it.key()) != shortcut) continue;
        if (!holder || it->order < earliest) {
            holder = it.key();
            earliest = it->order;
        }
    }
    return holder;
}

Registration HotKeyRegistry::addAction(const Name& name, EventType type, QObject* context, std::function<void()> action)
{
    const QString rawName = name.rawValue();
    Entry& entry = entryFor(rawName);
    (type == EventType::keyDown ? entry.downActions : entry.upActions)
        .append(Action{context, context != nullptr, std::move(action)});
    if (context) connect(context, &QObject::destroyed, this, [this, rawName] { dropDeadActions(rawName); });
    handlerAdded(rawName, entry);
    settleSharedCombinations();
    return m_entries.value(rawName).registration;
}

quint64 HotKeyRegistry::addStream(const Name& name, std::function<void(EventType)> handler)
{
    const QString rawName = name.rawValue();
    Entry& entry = entryFor(rawName);
    const quint64 id = m_nextStreamId++;
    entry.streams.emplace(id, std::move(handler));
    handlerAdded(rawName, entry);
    settleSharedCombinations();
    return id;
}

void HotKeyRegistry::removeStream(const QString& rawName, quint64 id)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end()) return;
    it->streams.erase(id);
    dropIfUnused(rawName);
    settleSharedCombinations();
}

void HotKeyRegistry::removeActions(const QString& rawName)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end()) return;
    it->downActions.clear();
    it->upActions.clear();
    dropIfUnused(rawName);
    settleSharedCombinations();
}

void HotKeyRegistry::removeAllActions()
{
    for (const QString& rawName : m_entries.keys()) removeActions(rawName);
}

Registration HotKeyRegistry::registration(const QString& rawName) const
{
    const auto it = m_entries.constFind(rawName);
    return it == m_entries.cend() ? Registration{} : it->registration;
}

void HotKeyRegistry::shortcutChanged(const QString& rawName, const std::optional<Shortcut>& shortcut)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end()) return;
    if (it->id != 0 && it->shortcut == shortcut) return;
    unregisterEntry(*it);
    it->disabled = false;
    registerEntry(rawName, *it, shortcut);
    settleSharedCombinations();
}

void HotKeyRegistry::setPaused(bool paused)
{
    if (paused == m_paused) return;
    m_paused = paused;
    // Really let go of the keys: ignoring presses would still keep them from
    // the recorder and from every other program.
    platform::hotKeyService().setSuspended(paused);
}

void HotKeyRegistry::setEnabled(bool enabled)
{
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        unregisterEntry(*it);
        registerEntry(it.key(), *it, readStoredShortcut(it.key()));
    }
    settleSharedCombinations();
}

void HotKeyRegistry::setNameEnabled(const QString& rawName, bool enabled)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end() || it->disabled == !enabled) return;
    unregisterEntry(*it);
    it->disabled = !enabled;
    registerEntry(rawName, *it, readStoredShortcut(rawName));
    settleSharedCombinations();
}

void HotKeyRegistry::handlerAdded(const QString& rawName, Entry& entry)
{
    if (entry.id != 0) return;  // already held
    entry.disabled = false;
    registerEntry(rawName, entry, readStoredShortcut(rawName));
}

void HotKeyRegistry::registerEntry(const QString& rawName, Entry& entry, const std::optional<Shortcut>& shortcut)
{
    entry.shortcut = shortcut;
    if (!entry.hasHandlers() || !shortcut) {
        setRegistration(rawName, entry, {});
        return;
    }
    if (!m_enabled || entry.disabled) {
        setRegistration(rawName, entry, {Registration::State::disabled, QStringLiteral("快捷键已停用")});
        return;
    }
    if (const std::optional<QString> holder = holderOf(*shortcut); holder && *holder != rawName) {
        setRegistration(rawName, entry,
                        {Registration::State::duplicate,
                         QStringLiteral("与本应用的另一项快捷键重复，按下时执行的是那一项"), *holder});
        return;
    }
    if (!shortcut->isSafeAsGlobalHotKey()) {
        setRegistration(
            rawName, entry,
            {Registration::State::noModifier,
             QStringLiteral(
                 "全局快捷键需要包含 Ctrl、Alt 或 Super 键（F1–F20、Print、Pause、ScrollLock 和菜单键除外），"
                 "否则这个键在其他程序里就无法使用")});
        return;
    }
    const platform::HotKeyId id = m_nextId++;
    platform::HotKeyService& service = platform::hotKeyService();
    service.setKeyboardChangeHandler([this] { retryRefused(true); });
    platform::HotKeyCallbacks callbacks{
        [this, rawName, id] { delivered(rawName, id, EventType::keyDown); },
        [this, rawName, id] { delivered(rawName, id, EventType::keyUp); },
        [this, rawName, id](const platform::HotKeyOutcome& outcome) { lost(rawName, id, outcome); },
    };
    const platform::HotKeyOutcome outcome = service.add(id, shortcut->combination(), std::move(callbacks));
    if (outcome.isRegistered()) {
        entry.service = &service;
        entry.id = id;
    }
    setRegistration(rawName, entry, registrationFrom(outcome));
}

void HotKeyRegistry::unregisterEntry(Entry& entry)
{
    if (entry.id != 0 && entry.service) entry.service->remove(entry.id);
    entry.id = 0;
    entry.service = nullptr;
    entry.shortcut.reset();
}

void HotKeyRegistry::setRegistration(const QString& rawName, Entry& entry, const Registration& registration)
{
    if (entry.registration == registration) return;
    entry.registration = registration;
    // A refusal is told once, not at every retry.
    const bool refused = registration.failed() && registration.state != Registration::State::disabled;
    if (refused && entry.shortcut) reportFailure(*entry.shortcut, registration);
    updateRetryTimer();
    platform::NotificationCenter::shared().post(registrationDidChange, {{QStringLiteral("name"), rawName}});
}

void HotKeyRegistry::delivered(const QString& rawName, platform::HotKeyId id, EventType type)
{
    if (m_paused) return;
    const auto it = m_entries.constFind(rawName);
    if (it == m_entries.cend() || it->id != id) return;
    // A press reaches a name only while its stored shortcut is still the one pressed.
    if (readStoredShortcut(rawName) != it->shortcut) return;
    // Copies: an action may add or remove others.
    const QList<Action> actions = type == EventType::keyDown ? it->downActions : it->upActions;
    std::vector<quint64> streams;
    for (const auto& [streamId, handler] : it->streams) streams.push_back(streamId);
    for (const Action& action : actions) {
        if (action.hasContext && !action.context) continue;
        action.run();
    }
    for (quint64 streamId : streams) {
        // A stream may have ended in an action or in an earlier listener.
        const auto entry = m_entries.constFind(rawName);
        if (entry == m_entries.cend()) return;
        const auto stream = entry->streams.find(streamId);
        if (stream == entry->streams.end()) continue;
        const auto handler = stream->second;
        handler(type);
    }
}

void HotKeyRegistry::lost(const QString& rawName, platform::HotKeyId id, const platform::HotKeyOutcome& outcome)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end() || it->id != id) return;
    it->id = 0;
    it->service = nullptr;
    setRegistration(rawName, *it, registrationFrom(outcome));
}

void HotKeyRegistry::dropDeadActions(const QString& rawName)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end()) return;
    const auto dead = [](const Action& action) { return action.hasContext && !action.context; };
    it->downActions.removeIf(dead);
    it->upActions.removeIf(dead);
    dropIfUnused(rawName);
    settleSharedCombinations();
}

void HotKeyRegistry::dropIfUnused(const QString& rawName)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end() || it->hasHandlers()) return;
    unregisterEntry(*it);
    setRegistration(rawName, *it, {});
}

void HotKeyRegistry::settleSharedCombinations()
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (!it->hasHandlers() || !it->shortcut) continue;
        const std::optional<QString> holder = holderOf(*it->shortcut);
        const bool standsBack = it->registration.state == Registration::State::duplicate;
        const bool shouldStandBack = holder && *holder != it.key();
        // Names that hold nothing for another reason (disabled, no modifier) stay as they are.
        const bool competes = standsBack || it->id != 0 || it->registration.state == Registration::State::taken ||
                              it->registration.state == Registration::State::unsupported ||
                              it->registration.state == Registration::State::failed;
        if (!competes) continue;
        if (standsBack == shouldStandBack && (!standsBack || it->registration.heldBy == *holder)) continue;
        const std::optional<Shortcut> shortcut = it->shortcut;
        unregisterEntry(*it);
        registerEntry(it.key(), *it, shortcut);
    }
}

void HotKeyRegistry::retryRefused(bool keyboardChanged)
{
    if (m_paused) return;  // resuming takes the keys up again anyway
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->id != 0 || !it->hasHandlers()) continue;
        const Registration::State state = it->registration.state;
        const bool retry =
            state == Registration::State::taken ||
            (keyboardChanged && (state == Registration::State::unsupported || state == Registration::State::failed));
        if (retry) registerEntry(it.key(), *it, readStoredShortcut(it.key()));
    }
}

void HotKeyRegistry::updateRetryTimer()
{
    bool waiting = false;
    for (const Entry& entry : std::as_const(m_entries))
        waiting = waiting || entry.registration.state == Registration::State::taken;
    if (!waiting) {
        m_retry.stop();
        return;
    }
    if (!m_retry.isActive()) m_retry.start();
}

}  // namespace klipo::GlobalShortcuts

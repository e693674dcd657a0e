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
    case Status::taken: return {Registration::State::taken, outcome.message};
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

}  // namespace

HotKeyRegistry& HotKeyRegistry::shared()
{
    static auto* registry = new HotKeyRegistry;
    return *registry;
}

Registration HotKeyRegistry::addAction(const Name& name, QObject* context, std::function<void()> action)
{
    const QString rawName = name.rawValue();
    Entry& entry = m_entries[rawName];
    entry.actions.append(Action{context, context != nullptr, std::move(action)});
    if (context) connect(context, &QObject::destroyed, this, [this, rawName] { dropDeadActions(rawName); });
    if (entry.id == 0) registerEntry(rawName, entry, readStoredShortcut(rawName));
    return entry.registration;
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
    registerEntry(rawName, *it, shortcut);
}

void HotKeyRegistry::setPaused(bool paused)
{
    if (paused == m_paused) return;
    m_paused = paused;
    // Really let go of the keys: ignoring presses would still keep them from
    // the recorder and from every other program.
    platform::hotKeyService().setSuspended(paused);
}

void HotKeyRegistry::registerEntry(const QString& rawName, Entry& entry, const std::optional<Shortcut>& shortcut)
{
    entry.shortcut = shortcut;
    entry.registration = {};
    if (entry.actions.isEmpty() || !shortcut) return;
    if (!shortcut->isSafeAsGlobalHotKey()) {
        entry.registration = {Registration::State::noModifier,
                              QStringLiteral("全局快捷键需要包含 Ctrl、Alt 或 Super 键（F1–F20 除外），"
                                             "否则这个键在其他程序里就无法使用")};
        reportFailure(*shortcut, entry.registration);
        return;
    }
    const platform::HotKeyId id = m_nextId++;
    platform::HotKeyService& service = platform::hotKeyService();
    platform::HotKeyCallbacks callbacks{
        [this, rawName, id] { pressed(rawName, id); },
        [this, rawName, id](const platform::HotKeyOutcome& outcome) { lost(rawName, id, outcome); },
    };
    const platform::HotKeyOutcome outcome = service.add(id, shortcut->combination(), std::move(callbacks));
    entry.registration = registrationFrom(outcome);
    if (outcome.isRegistered()) {
        entry.service = &service;
        entry.id = id;
    } else {
        reportFailure(*shortcut, entry.registration);
    }
}

void HotKeyRegistry::unregisterEntry(Entry& entry)
{
    if (entry.id != 0 && entry.service) entry.service->remove(entry.id);
    entry.id = 0;
    entry.service = nullptr;
    entry.shortcut.reset();
    entry.registration = {};
}

void HotKeyRegistry::pressed(const QString& rawName, platform::HotKeyId id)
{
    if (m_paused) return;
    const auto it = m_entries.constFind(rawName);
    if (it == m_entries.cend() || it->id != id) return;
    // A press reaches a name only while its stored shortcut is still the one pressed.
    if (readStoredShortcut(rawName) != it->shortcut) return;
    const QList<Action> actions = it->actions;  // an action may add or remove others
    for (const Action& action : actions) {
        if (action.hasContext && !action.context) continue;
        action.run();
    }
}

void HotKeyRegistry::lost(const QString& rawName, platform::HotKeyId id, const platform::HotKeyOutcome& outcome)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end() || it->id != id) return;
    it->id = 0;
    it->service = nullptr;
    it->registration = registrationFrom(outcome);
    if (it->shortcut) reportFailure(*it->shortcut, it->registration);
    platform::NotificationCenter::shared().post(registrationDidChange, {{QStringLiteral("name"), rawName}});
}

void HotKeyRegistry::dropDeadActions(const QString& rawName)
{
    const auto it = m_entries.find(rawName);
    if (it == m_entries.end()) return;
    it->actions.removeIf([](const Action& action) { return action.hasContext && !action.context; });
    if (it->actions.isEmpty()) unregisterEntry(*it);
}

}  // namespace klipo::GlobalShortcuts

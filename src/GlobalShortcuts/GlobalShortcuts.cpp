#include "GlobalShortcuts/GlobalShortcuts.h"

#include "GlobalShortcuts/HotKeyRegistry.h"
#include "GlobalShortcuts/ShortcutStorage.h"

#include "platform/NotificationCenter.h"
#include "platform/SettingsStore.h"

#include <utility>

namespace klipo::GlobalShortcuts {

namespace {

void announceChange(const QString& rawName)
{
    platform::NotificationCenter::shared().post(shortcutByNameDidChange, {{QStringLiteral("name"), rawName}});
}

QStringList& resetNames()
{
    static QStringList names;
    return names;
}

// Set while this process writes a shortcut entry: the store's announcement
// of that write is no news from another copy of the program.
bool& writingHere()
{
    static bool writing = false;
    return writing;
}

// Stores the entry's value (removes it when undefined).
void writeEntry(const QString& key, const QJsonValue& value)
{
    platform::SettingsStore& store = platform::SettingsStore::shared();
    writingHere() = true;
    if (value.isUndefined())
        store.remove(key);
    else
        store.setValue(key, value);
    writingHere() = false;
}

std::optional<Shortcut> shortcutFrom(const QJsonValue& stored)
{
    if (!stored.isString()) return std::nullopt;
    const std::optional<Shortcut> shortcut = Shortcut::fromJson(stored.toString().toUtf8());
    if (!shortcut || !shortcut->hasUsableKey()) return std::nullopt;
    return shortcut;
}

}  // namespace

QString storageKeyFor(const QString& rawName) { return QStringLiteral("GlobalShortcuts_") + rawName; }

std::optional<Shortcut> readStoredShortcut(const QString& rawName)
{
    return shortcutFrom(platform::SettingsStore::shared().value(storageKeyFor(rawName)));
}

StoredEntry storedEntry(const QString& rawName)
{
    platform::SettingsStore& store = platform::SettingsStore::shared();
    const QString key = storageKeyFor(rawName);
    if (!store.contains(key)) return StoredEntry::absent;
    const QJsonValue stored = store.value(key);
    if (stored == QJsonValue(false)) return StoredEntry::cleared;
    return shortcutFrom(stored) ? StoredEntry::shortcut : StoredEntry::damaged;
}

void resetDamagedEntry(const Name& name)
{
    if (!resetNames().contains(name.rawValue())) resetNames().append(name.rawValue());
    if (const std::optional<Shortcut>& fallback = name.defaultShortcut()) {
        storeShortcut(name, *fallback);
        return;
    }
    writeEntry(name.storageKey(), QJsonValue(QJsonValue::Undefined));
    HotKeyRegistry::shared().shortcutChanged(name.rawValue(), std::nullopt);
    announceChange(name.rawValue());
}

QStringList takeResetNames() { return std::exchange(resetNames(), {}); }

void storeShortcut(const Name& name, const Shortcut& shortcut)
{
    writeEntry(name.storageKey(), QString::fromUtf8(shortcut.toJson()));
    HotKeyRegistry::shared().shortcutChanged(name.rawValue(), shortcut);
    announceChange(name.rawValue());
}

std::optional<Shortcut> getShortcut(const Name& name) { return readStoredShortcut(name.rawValue()); }

void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name)
{
    if (shortcut) {
        storeShortcut(name, *shortcut);
        return;
    }
    if (!getShortcut(name)) return;
    writeEntry(name.storageKey(), name.defaultShortcut() ? QJsonValue(false) : QJsonValue(QJsonValue::Undefined));
    HotKeyRegistry::shared().shortcutChanged(name.rawValue(), std::nullopt);
    announceChange(name.rawValue());
}

void reset(const QList<Name>& names)
{
    for (const Name& name : names) {
        if (const std::optional<Shortcut>& fallback = name.defaultShortcut()) {
            setShortcut(fallback, name);
            continue;
        }
        // Without a default nothing comes back: the entry goes, whatever it held.
        setShortcut(std::nullopt, name);
        writeEntry(name.storageKey(), QJsonValue(QJsonValue::Undefined));
    }
}

QList<Name> allNames()
{
    const QString prefix = storageKeyFor(QString());
    QList<Name> names;
    for (const QString& key : platform::SettingsStore::shared().keys()) {
        if (key.startsWith(prefix) && key.size() > prefix.size()) names.append(Name::declared(key.mid(prefix.size())));
    }
    return names;
}

void resetAll() { reset(allNames()); }

void followOtherCopies()
{
    static bool following = false;
    if (std::exchange(following, true)) return;
    platform::SettingsStore& store = platform::SettingsStore::shared();
    QObject::connect(&store, &platform::SettingsStore::valueChanged, &store, [](const QString& key) {
        const QString prefix = storageKeyFor(QString());
        if (writingHere() || !key.startsWith(prefix) || key.size() == prefix.size()) return;
        const QString rawName = key.mid(prefix.size());
        HotKeyRegistry::shared().shortcutChanged(rawName, readStoredShortcut(rawName));
        announceChange(rawName);
    });
}

Registration onKeyDown(const Name& name, QObject* context, std::function<void()> action)
{
    return HotKeyRegistry::shared().addAction(name, EventType::keyDown, context, std::move(action));
}

Registration onKeyUp(const Name& name, QObject* context, std::function<void()> action)
{
    return HotKeyRegistry::shared().addAction(name, EventType::keyUp, context, std::move(action));
}

void removeHandler(const Name& name) { HotKeyRegistry::shared().removeActions(name.rawValue()); }

void removeAllHandlers() { HotKeyRegistry::shared().removeAllActions(); }

Registration registration(const Name& name) { return HotKeyRegistry::shared().registration(name.rawValue()); }

std::optional<QString> nameRunBy(const Shortcut& shortcut) { return HotKeyRegistry::shared().holderOf(shortcut); }

bool isRefused(const Name& name) { return registration(name).failed() && getShortcut(name).has_value(); }

void observeShortcut(const Name& name, QObject* receiver, std::function<void()> changed)
{
    const auto ofName = [rawName = name.rawValue(), changed](const QVariantMap& info) {
        if (info.value(QStringLiteral("name")).toString() == rawName) changed();
    };
    for (const QLatin1String notification : {shortcutByNameDidChange, registrationDidChange})
        platform::NotificationCenter::shared().observe(notification, receiver, ofName);
}

bool isEnabled() { return HotKeyRegistry::shared().isEnabled(); }

void setEnabled(bool enabled) { HotKeyRegistry::shared().setEnabled(enabled); }

bool isEnabled(const Name& name)
{
    return isEnabled() && getShortcut(name) && registration(name).state == Registration::State::registered;
}

void disable(const QList<Name>& names)
{
    for (const Name& name : names) HotKeyRegistry::shared().setNameEnabled(name.rawValue(), false);
}

void enable(const QList<Name>& names)
{
    for (const Name& name : names) HotKeyRegistry::shared().setNameEnabled(name.rawValue(), true);
}

bool isPaused() { return HotKeyRegistry::shared().isPaused(); }

void setPaused(bool paused) { HotKeyRegistry::shared().setPaused(paused); }

}  // namespace klipo::GlobalShortcuts

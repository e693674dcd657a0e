#pragma once

#include "GlobalShortcuts/GlobalShortcuts.h"

#include "platform/hotkeys/HotKeyService.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

namespace klipo::GlobalShortcuts {

// The hot keys of the names that have actions, one registration per name: two
// names may share a combination, and changing one leaves the other working.
// Main thread only.
class HotKeyRegistry : public QObject {
public:
    static HotKeyRegistry& shared();

    Registration addAction(const Name& name, QObject* context, std::function<void()> action);
    Registration registration(const QString& rawName) const;

    // The name's stored shortcut is now `shortcut`: move its hot key.
    void shortcutChanged(const QString& rawName, const std::optional<Shortcut>& shortcut);

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);

private:
    struct Action {
        QPointer<QObject> context;
        bool hasContext = false;
        std::function<void()> run;
    };
    struct Entry {
        QList<Action> actions;
        platform::HotKeyService* service = nullptr;  // where the hot key is registered
        platform::HotKeyId id = 0;                   // 0 while not registered
        std::optional<Shortcut> shortcut;            // the registered combination
        Registration registration;
    };

    void registerEntry(const QString& rawName, Entry& entry, const std::optional<Shortcut>& shortcut);
    void unregisterEntry(Entry& entry);
    void pressed(const QString& rawName, platform::HotKeyId id);
    void lost(const QString& rawName, platform::HotKeyId id, const platform::HotKeyOutcome& outcome);
    void dropDeadActions(const QString& rawName);

    QHash<QString, Entry> m_entries;
    platform::HotKeyId m_nextId = 1;
    bool m_paused = false;
};

}  // namespace klipo::GlobalShortcuts

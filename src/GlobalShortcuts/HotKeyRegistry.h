#pragma once

#include "GlobalShortcuts/GlobalShortcuts.h"

#include "platform/hotkeys/HotKeyService.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <map>

namespace klipo::GlobalShortcuts {

// The hot keys of the names that have actions or event streams, one
// registration per name. Two names may share a combination: the one that got
// its first action earliest holds it and runs, the other stands back until
// the first one lets it go (changes it, is disabled, loses its actions). A
// combination another program holds is tried again every few seconds and
// whenever the keyboard changes, and taken up as soon as it is free. Main
// thread only.
class HotKeyRegistry : public QObject {
public:
    static HotKeyRegistry& shared();

    // How long a refused combination waits before it is tried again.
    static constexpr int kRetryIntervalMs = 2000;

    Registration addAction(const Name& name, EventType type, QObject* context, std::function<void()> action);
    // A listener for both event types; the id removes it again.
    quint64 addStream(const Name& name, std::function<void(EventType)> handler);
    void removeStream(const QString& rawName, quint64 id);
    // Drops the name's actions (streams stay).
    void removeActions(const QString& rawName);
    void removeAllActions();

    Registration registration(const QString& rawName) const;
    // The raw name a press of the shortcut runs (see GlobalShortcuts::nameRunBy).
    std::optional<QString> holderOf(const Shortcut& shortcut) const;

    // The name's stored shortcut is now `shortcut`: move its hot key.
    void shortcutChanged(const QString& rawName, const std::optional<Shortcut>& shortcut);

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    void setNameEnabled(const QString& rawName, bool enabled);

private:
    HotKeyRegistry();

    struct Action {
        QPointer<QObject> context;
        bool hasContext = false;
        std::function<void()> run;
    };
    struct Entry {
        QList<Action> downActions;
        QList<Action> upActions;
        std::map<quint64, std::function<void(EventType)>> streams;
        platform::HotKeyService* service = nullptr;  // where the hot key is registered
        platform::HotKeyId id = 0;                   // 0 while not registered
        std::optional<Shortcut> shortcut;            // the combination it is for
        Registration registration;
        bool disabled = false;  // by disable(), until enabled, a new shortcut or a new handler
        quint64 order = 0;      // when the name got its first handler: the earliest holds a shared combination

        bool hasHandlers() const { return !downActions.isEmpty() || !upActions.isEmpty() || !streams.empty(); }
    };

    Entry& entryFor(const QString& rawName);
    void registerEntry(const QString& rawName, Entry& entry, const std::optional<Shortcut>& shortcut);
    // After any change: the name that should run a shared combination holds
    // it, the others stand back.
    void settleSharedCombinations();
    void unregisterEntry(Entry& entry);
    // A new action or stream takes the name's hot key up, also after disable().
    void handlerAdded(const QString& rawName, Entry& entry);
    void setRegistration(const QString& rawName, Entry& entry, const Registration& registration);
    void delivered(const QString& rawName, platform::HotKeyId id, EventType type);
    void lost(const QString& rawName, platform::HotKeyId id, const platform::HotKeyOutcome& outcome);
    void dropDeadActions(const QString& rawName);
    void dropIfUnused(const QString& rawName);
    // Tries the refused names again: those another program holds, and after a
    // keyboard change also those the old keyboard could not have.
    void retryRefused(bool keyboardChanged);
    void updateRetryTimer();

    QHash<QString, Entry> m_entries;
    platform::HotKeyId m_nextId = 1;
    quint64 m_nextStreamId = 1;
    quint64 m_nextOrder = 1;
    bool m_paused = false;
    bool m_enabled = true;
    QTimer m_retry;
};

}  // namespace klipo::GlobalShortcuts

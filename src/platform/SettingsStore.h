#pragma once

#include <QHash>
#include <QJsonValue>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

namespace klipo::platform {

// The program's typed user-defaults store: one JSON object in
// $XDG_CONFIG_HOME/KlipoVersa/defaults.json. JSON keeps the type of every value
// (a Boolean stays a Boolean, a string stays a string), which the readers in
// Settings rely on. Every change is written at once and atomically; a write
// that fails keeps the old file and is reported to the user. A file that
// cannot be read or decoded is moved aside once, and the user is told where.
//
// Several copies of the program (two sessions of one user) share the file:
// a change re-reads the file under a lock on its folder and writes back only
// the key it changes, so a copy never writes its stale values over another's;
// and each copy watches the file and takes in the others' changes.
//
// Values may be read from any thread; changes are made on the main thread.
// Every key whose value changes, here or in another copy, is announced
// through valueChanged(key).
class SettingsStore : public QObject {
    Q_OBJECT
public:
    // The process-wide store over the default file.
    static SettingsStore& shared();

    // A store over a given file (tests use temporary files).
    explicit SettingsStore(QString filePath, QObject* parent = nullptr);

    QString filePath() const { return m_path; }

    bool contains(const QString& key) const;
    // Every key that holds a value, sorted.
    QStringList keys() const;
    // Undefined when the key is absent.
    QJsonValue value(const QString& key) const;
    // Both return false when the change could not be written (it still holds
    // in memory for this run). Only this key is written: every other key
    // keeps what the file holds at that moment.
    bool setValue(const QString& key, const QJsonValue& value);
    bool remove(const QString& key);

    // Typed conveniences, each a plain read: absent or another type gives the fallback.
    bool boolValue(const QString& key, bool fallback = false) const;
    QString stringValue(const QString& key, const QString& fallback = {}) const;

    // True when the last write failed (disk full, read-only folder ...).
    bool lastWriteFailed() const;
    // True when the last load found a file that could not be used (it was
    // moved aside, or is kept and not written over): the values that were in
    // it are lost, and readers see their defaults in their place.
    bool recoveredFromDamage() const;

    // Re-reads the file (used after another process or a test changed it);
    // an unusable file is moved aside as at the start.
    void reload();

    // A value for this process only: it wins over the stored one in every
    // read, is never written to the file and ends with the process. An
    // undefined value takes the override away.
    void setProcessOverride(const QString& key, const QJsonValue& value);

Q_SIGNALS:
    void valueChanged(const QString& key);

private:
    using Values = QHash<QString, QJsonValue>;
    struct FileState;

    void load();
    // Sets (a defined value) or removes (undefined) the key in the file as it is now.
    bool commit(const QString& key, const QJsonValue& value);
    FileState readFile() const;
    // Moves an unusable file aside and tells the user; false when it stays.
    bool setAside(const QString& problem) const;
    // Replaces the file with `values`; the reason for the user when it failed.
    QString write(const Values& values) const;
    // Takes in what the file holds now, announcing each key that changed.
    void adopt(const Values& values);
    // Puts this copy's changes that no write has stored yet into `values` (under m_mutex).
    void applyUnsaved(Values& values) const;
    void startWatching();
    void watchPaths();
    void takeInOtherChanges();

    QString m_path;
    mutable QMutex m_mutex;
    Values m_values;
    Values m_overrides;
    // This copy's changes (an undefined value: removed) that a failed write
    // did not store; every later write takes them along.
    Values m_unsaved;
    bool m_writeFailed = false;
    bool m_recoveredFromDamage = false;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_rereadTimer = nullptr;
};

}  // namespace klipo::platform

#pragma once

#include <QHash>
#include <QJsonValue>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

namespace klipo::platform {

// The program's typed user-defaults store: one JSON object in
// $XDG_CONFIG_HOME/KlipoVersa/defaults.json. JSON keeps the type of every value
// (a Boolean stays a Boolean, a string stays a string), which the readers in
// Settings rely on. Every change is written at once and atomically; a write
// that fails keeps the old file and is reported to the user. A file that
// cannot be read or decoded is moved aside once, and the user is told where.
//
// Values may be read from any thread; changes are made on the main thread and
// announce themselves through valueChanged(key).
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
    // in memory for this run).
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

    // Re-reads the file (used after another process or a test changed it).
    void reload();

    // A value for this process only: it wins over the stored one in every
    // read, is never written to the file and ends with the process. An
    // undefined value takes the override away.
    void setProcessOverride(const QString& key, const QJsonValue& value);

Q_SIGNALS:
    void valueChanged(const QString& key);

private:
    void load();
    bool save() const;

    QString m_path;
    mutable QMutex m_mutex;
    QHash<QString, QJsonValue> m_values;
    QHash<QString, QJsonValue> m_overrides;
    mutable bool m_writeFailed = false;
    // A file was there that could neither be read nor moved aside: writing
    // would destroy it.
    bool m_writeBlocked = false;
    bool m_recoveredFromDamage = false;
};

}  // namespace klipo::platform

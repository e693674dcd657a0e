#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace klipo::platform {

namespace {
QString defaultPath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/KlipoVersa/defaults.json");
}
}  // namespace

SettingsStore& SettingsStore::shared()
{
    static SettingsStore* store = new SettingsStore(defaultPath());
    return *store;
}

SettingsStore::SettingsStore(QString filePath, QObject* parent) : QObject(parent), m_path(std::move(filePath))
{
    load();
}

void SettingsStore::load()
{
    QHash<QString, QJsonValue> values;
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
        if (error.error == QJsonParseError::NoError && doc.isObject()) {
            const QJsonObject object = doc.object();
            for (auto it = object.begin(); it != object.end(); ++it) values.insert(it.key(), it.value());
        } else {
            // Keep the unreadable file for the user instead of overwriting it with the next change.
            file.close();
            const QString stamp = m_path + QStringLiteral(".corrupt-") +
                                  QString::number(QDateTime::currentSecsSinceEpoch());
            QString aside = stamp;
            for (int n = 2; QFileInfo::exists(aside); ++n) aside = stamp + QLatin1Char('-') + QString::number(n);
            QFile::rename(m_path, aside);
        }
    }
    QMutexLocker lock(&m_mutex);
    m_values = std::move(values);
}

void SettingsStore::reload() { load(); }

bool SettingsStore::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_values.contains(key);
}

QJsonValue SettingsStore::value(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_values.value(key, QJsonValue(QJsonValue::Undefined));
}

bool SettingsStore::boolValue(const QString& key, bool fallback) const
{
    const QJsonValue v = value(key);
    return v.isBool() ? v.toBool() : fallback;
}

QString SettingsStore::stringValue(const QString& key, const QString& fallback) const
{
    const QJsonValue v = value(key);
    return v.isString() ? v.toString() : fallback;
}

void SettingsStore::setValue(const QString& key, const QJsonValue& value)
{
    if (value.isUndefined()) {
        remove(key);
        return;
    }
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_values.find(key);
        if (it != m_values.end() && *it == value) return;
        m_values.insert(key, value);
    }
    save();
    Q_EMIT valueChanged(key);
}

void SettingsStore::remove(const QString& key)
{
    {
        QMutexLocker lock(&m_mutex);
        if (!m_values.remove(key)) return;
    }
    save();
    Q_EMIT valueChanged(key);
}

bool SettingsStore::lastWriteFailed() const
{
    QMutexLocker lock(&m_mutex);
    return m_writeFailed;
}

bool SettingsStore::save() const
{
    QMutexLocker lock(&m_mutex);
    QJsonObject object;
    for (auto it = m_values.begin(); it != m_values.end(); ++it) object.insert(it.key(), it.value());
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        file.write(QJsonDocument(object).toJson(QJsonDocument::Indented));
        ok = file.commit();
    }
    m_writeFailed = !ok;
    return ok;
}

}  // namespace klipo::platform

#include "platform/SettingsStore.h"

#include "platform/SafeFile.h"
#include "platform/SafeFileLeftovers.h"
#include "platform/StorageAlerts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <sys/stat.h>

namespace klipo::platform {

namespace {

constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
QString settingsWhat() { return QStringLiteral("设置"); }

QString defaultPath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/KlipoVersa/defaults.json");
}
// Where the settings are written: the file itself, or, when its name is a
// link to a file (settings kept with other dotfiles), the file the link
// leads to, replaced in its own folder the way editors do, so the link
// stays. A link that leads nowhere is left alone.
QString writeTarget(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
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
    // What a write cut short by a crash left beside the file.
    const QFileInfo target(writeTarget(m_path));
    safefile::removeLeftoverTemporaries(target.absolutePath(),
                                        [name = target.fileName()](const QString& of) { return of == name; });

    QHash<QString, QJsonValue> values;
    bool blocked = false;
    bool damaged = false;
    const safefile::ReadResult read = safefile::readFile(m_path, kMaxFileBytes);
    if (read.status != safefile::ReadStatus::Missing) {
        QString problem = read.error;
        if (read.ok()) {
            QJsonParseError error{};
            const QJsonDocument doc = QJsonDocument::fromJson(read.data, &error);
            if (error.error == QJsonParseError::NoError && doc.isObject()) {
                const QJsonObject object = doc.object();
                for (auto it = object.begin(); it != object.end(); ++it) values.insert(it.key(), it.value());
            } else {
                problem = QStringLiteral("内容已损坏");
            }
        }
        if (!problem.isEmpty()) {
            damaged = true;
            // Keep the file for the user instead of overwriting it with the next change.
            const QString stamp = QFileInfo(m_path).fileName() + QStringLiteral(".corrupt-") +
                                  QString::number(QDateTime::currentSecsSinceEpoch());
            const QString aside = safefile::moveAside(m_path, stamp, QString());
            if (!aside.isEmpty()) {
                storagealerts::reportMovedAside(QStringLiteral("设置文件"), problem, aside);
            } else {
                blocked = true;
                storagealerts::report(QStringLiteral("设置文件无法使用：%1").arg(problem),
                                      QStringLiteral("原文件无法移开，本次运行中的设置更改不会保存"));
            }
        }
    }
    QMutexLocker lock(&m_mutex);
    m_values = std::move(values);
    m_writeBlocked = blocked;
    m_recoveredFromDamage = damaged;
}

void SettingsStore::reload() { load(); }

bool SettingsStore::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_overrides.contains(key) || m_values.contains(key);
}

QStringList SettingsStore::keys() const
{
    QMutexLocker lock(&m_mutex);
    QStringList all = m_values.keys();
    for (auto it = m_overrides.cbegin(); it != m_overrides.cend(); ++it)
        if (!m_values.contains(it.key())) all.append(it.key());
    all.sort();
    return all;
}

QJsonValue SettingsStore::value(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    const auto overridden = m_overrides.constFind(key);
    if (overridden != m_overrides.constEnd()) return *overridden;
    return m_values.value(key, QJsonValue(QJsonValue::Undefined));
}

void SettingsStore::setProcessOverride(const QString& key, const QJsonValue& value)
{
    {
        QMutexLocker lock(&m_mutex);
        if (value.isUndefined())
            m_overrides.remove(key);
        else
            m_overrides.insert(key, value);
    }
    Q_EMIT valueChanged(key);
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

bool SettingsStore::setValue(const QString& key, const QJsonValue& value)
{
    if (value.isUndefined()) return remove(key);
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_values.find(key);
        if (it != m_values.end() && *it == value) return true;
        m_values.insert(key, value);
    }
    const bool saved = save();
    Q_EMIT valueChanged(key);
    return saved;
}

bool SettingsStore::remove(const QString& key)
{
    {
        QMutexLocker lock(&m_mutex);
        if (!m_values.remove(key)) return true;
    }
    const bool saved = save();
    Q_EMIT valueChanged(key);
    return saved;
}

bool SettingsStore::lastWriteFailed() const
{
    QMutexLocker lock(&m_mutex);
    return m_writeFailed;
}

bool SettingsStore::recoveredFromDamage() const
{
    QMutexLocker lock(&m_mutex);
    return m_recoveredFromDamage;
}

bool SettingsStore::save() const
{
    QMutexLocker lock(&m_mutex);
    safefile::WriteResult written{false, QStringLiteral("原文件无法读取也无法移开，不能覆盖")};
    if (!m_writeBlocked) {
        QJsonObject object;
        for (auto it = m_values.begin(); it != m_values.end(); ++it) object.insert(it.key(), it.value());
        const QString target = writeTarget(m_path);
        // A linked file keeps the permissions the user gave it.
        mode_t mode = 0600;
        struct stat st {};
        if (target != m_path && ::stat(QFile::encodeName(target).constData(), &st) == 0) mode = st.st_mode & 0777;
        written = safefile::writeFile(target, QJsonDocument(object).toJson(QJsonDocument::Indented), mode);
    }
    m_writeFailed = !written;
    if (!written) storagealerts::reportNotSaved(settingsWhat(), written.error);
    return bool(written);
}

}  // namespace klipo::platform

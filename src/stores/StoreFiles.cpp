#include "stores/StoreFiles.h"

#include "platform/FileLock.h"
#include "platform/StorageAlerts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace klipo::storefiles {

namespace {

QMutex& readOnlyMutex()
{
    static QMutex mutex;
    return mutex;
}

// The guarded paths of this process's read-only stores, each with how many hold it.
QHash<QString, int>& readOnlyStores()
{
    static QHash<QString, int> stores;
    return stores;
}

}  // namespace

QString defaultDataDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/KlipoVersa");
}

platform::safefile::ReadResult readStoreFile(const QString& path)
{
    return platform::safefile::readFile(path, kMaxStoreFileBytes);
}

platform::safefile::WriteResult writeStoreFile(const QString& path, const QByteArray& data)
{
    return platform::safefile::writeFile(path, data, 0600);
}

QString moveAside(const QString& path, const QString& stem, const QString& suffix)
{
    return platform::safefile::moveAside(path, stem + QString::number(QDateTime::currentSecsSinceEpoch()), suffix);
}

QString copyAside(const QString& path, const QByteArray& data, const QString& stem, const QString& suffix)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    const QStringList kept = folder.entryList({stem + QLatin1Char('*') + suffix}, QDir::Files | QDir::NoSymLinks);
    for (const QString& name : kept) {
        const QString candidate = folder.filePath(name);
        if (QFileInfo(candidate).size() == data.size() && readStoreFile(candidate).data == data) return candidate;
    }
    const QString base = folder.filePath(stem + QString::number(QDateTime::currentSecsSinceEpoch()));
    for (int n = 1; n < 1000; ++n) {
        const QString target = n == 1 ? base + suffix : base + QLatin1Char('-') + QString::number(n) + suffix;
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink()) continue;
        return writeStoreFile(target, data) ? target : QString();
    }
    return {};
}

std::optional<QJsonObject> decodeVersionedDocument(const QByteArray& data, QLatin1String key)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    QJsonObject object = document.object();
    const QJsonValue version = object.value(QLatin1String("version"));
    if (!version.isDouble() || std::trunc(version.toDouble()) != version.toDouble()) return std::nullopt;
    if (!object.value(key).isArray()) return std::nullopt;
    return object;
}

std::optional<QJsonArray> decodeVersionedArray(const QByteArray& data, QLatin1String key)
{
    const std::optional<QJsonObject> document = decodeVersionedDocument(data, key);
    if (!document) return std::nullopt;
    return document->value(key).toArray();
}

QByteArray encodeVersionedArray(QLatin1String key, const QJsonArray& array, const QJsonObject& others)
{
    QJsonObject document = others;
    document.insert(QLatin1String("version"), 1);
    document.insert(key, array);
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

QString heldByAnotherCopy(const QString& what)
{
    return QStringLiteral("%1正被另一个 KlipoVersa 占用（它在同一用户的另一个会话里运行），这里只能查看，更改不会保存")
        .arg(what);
}

bool isReadOnlyHere(const QString& guardedPath)
{
    QMutexLocker lock(&readOnlyMutex());
    return readOnlyStores().value(QFileInfo(guardedPath).absoluteFilePath()) > 0;
}

QSet<QString> readTextSet(const QString& path, QLatin1String key)
{
    QSet<QString> texts;
    const platform::safefile::ReadResult read = readStoreFile(path);
    if (!read.ok()) return texts;
    const std::optional<QJsonArray> array = decodeVersionedArray(read.data, key);
    if (!array) return texts;
    for (const QJsonValue& value : *array)
        if (value.isString()) texts.insert(value.toString());
    return texts;
}

bool writeTextSet(const QString& path, QLatin1String key, const QSet<QString>& texts)
{
    if (texts.isEmpty()) return !QFileInfo::exists(path) || QFile::remove(path);
    QStringList sorted(texts.begin(), texts.end());
    std::sort(sorted.begin(), sorted.end());
    return bool(writeStoreFile(path, encodeVersionedArray(key, QJsonArray::fromStringList(sorted))));
}

WriteAccess::WriteAccess(const QString& guardedPath)
{
    const QFileInfo guarded(guardedPath);
    m_guarded = guarded.absoluteFilePath();
    const QString folder = guarded.absolutePath();
    platform::safefile::makePrivateFolder(folder);
    m_lock = std::make_unique<platform::FileLock>(folder + QStringLiteral("/.") + guarded.fileName() +
                                                  QStringLiteral(".lock"));
    // A folder where no lock can be made (read-only, no locking) cannot be
    // shared safely either way; the writes themselves then report.
    m_mayWrite = m_lock->status() != platform::FileLock::Status::Busy;
    if (m_mayWrite) return;
    QMutexLocker lock(&readOnlyMutex());
    ++readOnlyStores()[m_guarded];
}

WriteAccess::~WriteAccess()
{
    if (m_mayWrite) return;
    QMutexLocker lock(&readOnlyMutex());
    if (--readOnlyStores()[m_guarded] <= 0) readOnlyStores().remove(m_guarded);
}

void WriteAccess::reportReadOnlyOnce(const QString& what)
{
    if (m_reported.exchange(true)) return;
    platform::storagealerts::reportNotSaved(what, heldByAnotherCopy(what));
}

}  // namespace klipo::storefiles

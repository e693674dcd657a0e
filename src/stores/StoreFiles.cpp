#include "stores/StoreFiles.h"

#include "platform/FileLock.h"
#include "platform/StorageAlerts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cmath>

namespace klipo::storefiles {

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

WriteAccess::WriteAccess(const QString& guardedPath)
{
    const QFileInfo guarded(guardedPath);
    const QString folder = guarded.absolutePath();
    platform::safefile::makePrivateFolder(folder);
    m_lock = std::make_unique<platform::FileLock>(folder + QStringLiteral("/.") + guarded.fileName() +
                                                  QStringLiteral(".lock"));
    // A folder where no lock can be made (read-only, no locking) cannot be
    // shared safely either way; the writes themselves then report.
    m_mayWrite = m_lock->status() != platform::FileLock::Status::Busy;
}

WriteAccess::~WriteAccess() = default;

void WriteAccess::reportReadOnlyOnce(const QString& what)
{
    if (m_reported.exchange(true)) return;
    platform::storagealerts::reportNotSaved(
        what, QStringLiteral("另一个 KlipoVersa 正在使用同一数据文件夹，本次运行中的更改都不会保存"));
}

}  // namespace klipo::storefiles

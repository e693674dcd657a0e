#include "stores/StoreFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <cmath>

namespace klipo::storefiles {

QString defaultDataDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/KlipoVersa");
}

ReadResult readWhole(const QString& path)
{
    ReadResult result;
    QFile file(path);
    if (!file.exists()) return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    result.data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::Unreadable;
        result.data.clear();
        return result;
    }
    result.status = result.data.isEmpty() ? ReadStatus::Empty : ReadStatus::Ok;
    return result;
}

bool writeAtomically(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString moveAside(const QString& path, const QString& stem, const QString& suffix)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString base = folder + QLatin1Char('/') + stem + QString::number(QDateTime::currentSecsSinceEpoch());
    for (int n = 1; n < 1000; ++n) {
        const QString target = n == 1 ? base + suffix : base + QLatin1Char('-') + QString::number(n) + suffix;
        if (QFileInfo::exists(target)) continue;
        if (QFile::rename(path, target)) return target;
        // The name was free but the rename failed: the folder or file itself refuses.
        if (!QFileInfo::exists(target)) return {};
    }
    return {};
}

std::optional<QJsonArray> decodeVersionedArray(const QByteArray& data, QLatin1String key)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue version = object.value(QLatin1String("version"));
    if (!version.isDouble() || std::trunc(version.toDouble()) != version.toDouble()) return std::nullopt;
    const QJsonValue array = object.value(key);
    if (!array.isArray()) return std::nullopt;
    return array.toArray();
}

}  // namespace klipo::storefiles

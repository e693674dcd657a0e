#include "stores/HistoryDamageNotes.h"

#include "stores/StoreFiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace klipo::historydamage {

namespace {
const QLatin1String kKey("noted");
}  // namespace

QString fingerprint(const QJsonObject& object)
{
    const QByteArray compact = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return QString::fromLatin1(QCryptographicHash::hash(compact, QCryptographicHash::Sha1).toHex());
}

QSet<QString> readNoted(const QString& path)
{
    const platform::safefile::ReadResult read = storefiles::readStoreFile(path);
    if (!read.ok()) return {};
    const std::optional<QJsonArray> array = storefiles::decodeVersionedArray(read.data, kKey);
    QSet<QString> noted;
    if (!array) return noted;
    for (const QJsonValue& value : *array)
        if (value.isString()) noted.insert(value.toString());
    return noted;
}

bool writeNoted(const QString& path, const QSet<QString>& noted)
{
    if (noted.isEmpty()) return !QFile::exists(path) || QFile::remove(path);
    QStringList sorted(noted.begin(), noted.end());
    std::sort(sorted.begin(), sorted.end());
    return bool(
        storefiles::writeStoreFile(path, storefiles::encodeVersionedArray(kKey, QJsonArray::fromStringList(sorted))));
}

Check check(const QList<HistoryRecord>& records, const QSet<QString>& toldBefore)
{
    Check result;
    for (const HistoryRecord& record : records) {
        if (!record.unreadable) continue;
        const bool damaged = record.isDamaged();
        const QString print = fingerprint(damaged ? *record.storedObject : record.unreadablePart());
        if (!toldBefore.contains(print)) ++(damaged ? result.untold : result.untoldValues);
        result.noted.insert(print);
    }
    return result;
}

}  // namespace klipo::historydamage

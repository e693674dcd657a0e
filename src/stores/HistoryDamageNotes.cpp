#include "stores/HistoryDamageNotes.h"

#include "stores/StoreFiles.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace klipo::historydamage {

namespace {
const QLatin1String kKey("noted");
}  // namespace

QString fingerprint(const QJsonObject& object)
{
    const QByteArray compact = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return QString::fromLatin1(QCryptographicHash::hash(compact, QCryptographicHash::Sha1).toHex());
}

QSet<QString> readNoted(const QString& path) { return storefiles::readTextSet(path, kKey); }

bool writeNoted(const QString& path, const QSet<QString>& noted) { return storefiles::writeTextSet(path, kKey, noted); }

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

#include "stores/HistoryIndex.h"

#include "stores/StoreFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace klipo::historyindex {

QByteArray encode(const QList<HistoryRecord>& records)
{
    QJsonArray array;
    for (const HistoryRecord& record : records) array.append(record.toJson());
    QJsonObject document;
    document.insert(QLatin1String("records"), array);
    document.insert(QLatin1String("version"), 1);
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

std::optional<QList<HistoryRecord>> decode(const QByteArray& data)
{
    const auto records = storefiles::decodeVersionedArray(data, QLatin1String("records"));
    if (!records) return std::nullopt;
    const QJsonArray& array = *records;
    QList<HistoryRecord> result;
    result.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (!element.isObject()) return std::nullopt;
        result.append(HistoryRecord::fromJson(element.toObject()));
    }
    return result;
}

bool isSafeFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(u'\0'));
}

}  // namespace klipo::historyindex

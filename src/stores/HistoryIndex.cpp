#include "stores/HistoryIndex.h"

#include "stores/StoreFiles.h"

#include <QJsonArray>

namespace klipo::historyindex {

namespace {

bool hasReadableImageNames(const QJsonObject& object)
{
    const QJsonValue image = object.value(QLatin1String("imageName"));
    if (!image.isString() || !isSafeFileName(image.toString())) return false;
    const QJsonValue source = object.value(QLatin1String("originalImageName"));
    if (source.isUndefined() || source.isNull()) return true;
    return source.isString() && isSafeFileName(source.toString());
}

}  // namespace

QByteArray encode(const QList<HistoryRecord>& records)
{
    QJsonArray array;
    for (const HistoryRecord& record : records) array.append(record.toJson());
    return storefiles::encodeVersionedArray(QLatin1String("records"), array);
}

std::optional<Decoded> decode(const QByteArray& data)
{
    const auto records = storefiles::decodeVersionedArray(data, QLatin1String("records"));
    if (!records) return std::nullopt;
    Decoded result;
    result.records.reserve(records->size());
    for (const QJsonValue& element : *records) {
        if (!element.isObject()) return std::nullopt;
        const QJsonObject object = element.toObject();
        HistoryRecord record = HistoryRecord::fromJson(object);
        if (!hasReadableImageNames(object)) {
            record.damagedObject = object;
            if (!isSafeFileName(record.imageName)) record.imageName.clear();
            if (record.originalImageName && !isSafeFileName(*record.originalImageName))
                record.originalImageName.reset();
        }
        result.records.append(std::move(record));
    }
    return result;
}

bool isSafeFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(u'\0'));
}

}  // namespace klipo::historyindex

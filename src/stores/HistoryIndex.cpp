#include "stores/HistoryIndex.h"

#include "stores/StoreFiles.h"

#include <QJsonArray>
#include <QJsonDocument>

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

HistoryRecord readRecord(const QJsonObject& object)
{
    HistoryRecord record = HistoryRecord::fromJson(object);
    if (!hasReadableImageNames(object)) {
        record.damagedObject = object;
        if (!isSafeFileName(record.imageName)) record.imageName.clear();
        if (record.originalImageName && !isSafeFileName(*record.originalImageName)) record.originalImageName.reset();
    }
    return record;
}

// Where the "records" array's contents begin, or -1.
qsizetype recordsStart(const QByteArray& data)
{
    const qsizetype key = data.indexOf("\"records\"");
    if (key < 0) return -1;
    const qsizetype bracket = data.indexOf('[', key);
    return bracket < 0 ? -1 : bracket + 1;
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
        result.records.append(readRecord(element.toObject()));
    }
    return result;
}

Salvaged salvage(const QByteArray& data)
{
    Salvaged result;
    const qsizetype start = recordsStart(data);
    if (start < 0) return result;
    // Walks the array's top-level objects by their braces, outside strings;
    // each whole one is parsed on its own, so one bad byte costs one record.
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    qsizetype objectStart = -1;
    for (qsizetype i = start; i < data.size(); ++i) {
        const char c = data.at(i);
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (depth++ == 0) objectStart = c == '{' ? i : -1;
        } else if (c == '}' || c == ']') {
            if (depth == 0) break;  // the end of the records array
            if (--depth == 0 && objectStart >= 0) {
                const QJsonDocument one = QJsonDocument::fromJson(data.mid(objectStart, i + 1 - objectStart));
                if (one.isObject())
                    result.records.append(readRecord(one.object()));
                else
                    ++result.lost;
                objectStart = -1;
            }
        }
    }
    if (depth > 0 && objectStart >= 0) ++result.lost;  // cut off
    return result;
}

bool isSafeFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(u'\0'));
}

}  // namespace klipo::historyindex

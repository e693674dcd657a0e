#include "stores/HistoryIndex.h"

#include "stores/StoreFiles.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <vector>

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

// Records read in file order, with a note of those whose date could not be
// read, which are dated by their neighbours once all are read.
struct Reader {
    QList<HistoryRecord> records;
    QList<qsizetype> undated;

    void read(const QJsonObject& object)
    {
        bool dated = true;
        HistoryRecord record = HistoryRecord::fromJson(object, &dated);
        if (!hasReadableImageNames(object)) {
            record.markDamaged(object);
            if (!isSafeFileName(record.imageName)) record.imageName.clear();
            if (record.originalImageName && !isSafeFileName(*record.originalImageName))
                record.originalImageName.reset();
        }
        if (!dated) undated.append(records.size());
        records.append(std::move(record));
    }

    // An undated record takes the date of the nearest dated record before it
    // in the file, else after it: sorted newest first (stably), it stays where
    // the file has it instead of rising to the top as "now".
    QList<HistoryRecord> dated() &&
    {
        if (undated.isEmpty()) return std::move(records);
        std::vector<bool> isDated(records.size(), true);
        for (const qsizetype at : undated) isDated[at] = false;
        // None dated: all take one time, in file order.
        const auto first = std::find(isDated.begin(), isDated.end(), true);
        QDateTime before =
            first == isDated.end() ? QDateTime::currentDateTimeUtc() : records.at(first - isDated.begin()).date;
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (isDated[i])
                before = records.at(i).date;
            else
                records[i].date = before;
        }
        return std::move(records);
    }
};

// Where the "records" array's contents begin, or -1.
qsizetype recordsStart(const QByteArray& data)
{
    const qsizetype key = data.indexOf("\"records\"");
    if (key < 0) return -1;
    const qsizetype bracket = data.indexOf('[', key);
    return bracket < 0 ? -1 : bracket + 1;
}

}  // namespace

QByteArray encode(const QList<HistoryRecord>& records, const QJsonObject& others)
{
    QJsonArray array;
    for (const HistoryRecord& record : records) array.append(record.toJson());
    return storefiles::encodeVersionedArray(QLatin1String("records"), array, others);
}

std::optional<Decoded> decode(const QByteArray& data)
{
    std::optional<QJsonObject> document = storefiles::decodeVersionedDocument(data, QLatin1String("records"));
    if (!document) return std::nullopt;
    const QJsonArray records = document->take(QLatin1String("records")).toArray();
    document->remove(QLatin1String("version"));
    Reader reader;
    reader.records.reserve(records.size());
    for (const QJsonValue& element : records) {
        if (!element.isObject()) return std::nullopt;
        reader.read(element.toObject());
    }
    return Decoded{std::move(reader).dated(), std::move(*document)};
}

Salvaged salvage(const QByteArray& data)
{
    Salvaged result;
    const qsizetype start = recordsStart(data);
    if (start < 0) return result;
    Reader reader;
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
                    reader.read(one.object());
                else
                    ++result.lost;
                objectStart = -1;
            }
        }
    }
    if (depth > 0 && objectStart >= 0) ++result.lost;  // cut off
    result.records = std::move(reader).dated();
    return result;
}

bool isSafeFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(u'\0'));
}

}  // namespace klipo::historyindex

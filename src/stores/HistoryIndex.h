#pragma once

#include "stores/HistoryRecord.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>

#include <optional>

namespace klipo::historyindex {

struct Decoded {
    QList<HistoryRecord> records;  // in file order
    // Record objects whose image names cannot be read ("imageName" missing,
    // null, of another type or not a plain file name; the same for a present
    // "originalImageName"), as they stand in the file. The store cannot show
    // them, but it must not forget them either: their images stay named.
    QList<QJsonObject> unreadable;
};

// "index.json": {"records": [...newest first], "version": 1}, pretty-printed
// with sorted keys and UTF-8 text. Unreadable record objects are written back
// after the records, unchanged.
QByteArray encode(const QList<HistoryRecord>& records, const QList<QJsonObject>& unreadable = {});

// Nothing when the document is not an object with an integer "version" and a
// "records" array of objects; other fields of a record take their defaults
// (see HistoryRecord::fromJson).
std::optional<Decoded> decode(const QByteArray& data);

// True for a name that stays inside the history folder: not empty, no path
// separator or NUL, not "." or "..". Names read from an index file are checked
// with this before any file is read or removed.
bool isSafeFileName(const QString& name);

}  // namespace klipo::historyindex

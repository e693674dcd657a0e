#pragma once

#include "stores/HistoryRecord.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace klipo::historyindex {

struct Decoded {
    // In file order. A record whose image names cannot be read ("imageName"
    // missing, null, of another type or not a plain file name; the same for a
    // present "originalImageName") comes as a damaged record that keeps its
    // object as it stands in the file (HistoryRecord::isDamaged).
    QList<HistoryRecord> records;
    // The document's members beside "records" and "version", written back
    // as they were.
    QJsonObject others;
};

// "index.json": {"records": [...newest first], "version": 1} and `others`,
// pretty-printed with sorted keys and UTF-8 text. Each record is written from
// the object it was read from (HistoryRecord::toJson).
QByteArray encode(const QList<HistoryRecord>& records, const QJsonObject& others = {});

// Nothing when the document is not an object with an integer "version" and a
// "records" array of objects; other fields of a record take their defaults
// (see HistoryRecord::fromJson), but a record whose date is missing or cannot
// be read keeps its place: it takes the date of the record before it in the
// file (else of the one after it).
std::optional<Decoded> decode(const QByteArray& data);

// What can still be read of an index that cannot be decoded: each record
// object of its "records" array that is whole and valid JSON on its own, in
// file order, read and dated as decode() reads them; `lost` counts the objects that are
// cut off or broken.
struct Salvaged {
    QList<HistoryRecord> records;
    qsizetype lost = 0;
};
Salvaged salvage(const QByteArray& data);

// True for a name that stays inside the history folder: not empty, no path
// separator or NUL, not "." or "..". Names read from an index file are checked
// with this before any file is read or removed.
bool isSafeFileName(const QString& name);

}  // namespace klipo::historyindex

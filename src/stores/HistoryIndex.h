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
    // object as it stands in the file (HistoryRecord::damagedObject).
    QList<HistoryRecord> records;
};

// "index.json": {"records": [...newest first], "version": 1}, pretty-printed
// with sorted keys and UTF-8 text. Damaged records are written back unchanged.
QByteArray encode(const QList<HistoryRecord>& records);

// Nothing when the document is not an object with an integer "version" and a
// "records" array of objects; other fields of a record take their defaults
// (see HistoryRecord::fromJson).
std::optional<Decoded> decode(const QByteArray& data);

// What can still be read of an index that cannot be decoded: each record
// object of its "records" array that is whole and valid JSON on its own, in
// file order, read as decode() reads it; `lost` counts the objects that are
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

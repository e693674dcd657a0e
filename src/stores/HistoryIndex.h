#pragma once

#include "stores/HistoryRecord.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace klipo::historyindex {

// "index.json": {"records": [...newest first], "version": 1}, pretty-printed
// with sorted keys and UTF-8 text.
QByteArray encode(const QList<HistoryRecord>& records);

// Nothing when the document is not an object with an integer "version" and a
// "records" array of objects; records themselves always decode (see
// HistoryRecord::fromJson).
std::optional<QList<HistoryRecord>> decode(const QByteArray& data);

// True for a name that stays inside the history folder: not empty, no path
// separator, not "." or "..". Names read from an index file are checked with
// this before any file is read or removed.
bool isSafeFileName(const QString& name);

}  // namespace klipo::historyindex

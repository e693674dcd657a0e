#pragma once

#include "stores/HistoryRecord.h"

#include <QList>
#include <QSet>
#include <QString>

namespace klipo::historydamage {

// Which damaged records of the history, and which records with values that
// cannot be read, the user has already been told about, so that each is told
// once and not at every launch. Kept in a small file in the history folder
// beside the index, by a fingerprint (the compact JSON's SHA-1) of the damaged
// record's object, or of the record's unreadable part: a record that is
// damaged in another way, or a new one, is told again.

QString fingerprint(const QJsonObject& object);

// The fingerprints of the file; empty when it is missing or unreadable.
QSet<QString> readNoted(const QString& path);
// Replaces the file; an empty set removes it. False when that failed.
bool writeNoted(const QString& path, const QSet<QString>& noted);

struct Check {
    qsizetype untold = 0;        // damaged records not told about before
    qsizetype untoldValues = 0;  // other records with unreadable values, not told about before
    QSet<QString> noted;         // what the file should hold from now on
};
// Compares the records of `records` that hold something unreadable with what
// was told before; only records still present are kept in the note.
Check check(const QList<HistoryRecord>& records, const QSet<QString>& toldBefore);

}  // namespace klipo::historydamage

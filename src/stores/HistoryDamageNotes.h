#pragma once

#include "stores/HistoryRecord.h"

#include <QList>
#include <QSet>
#include <QString>

namespace klipo::historydamage {

// Which damaged records of the history the user has already been told about,
// so that each is told once and not at every launch. Kept in a small file in
// the history folder beside the index, by the damaged record object's
// fingerprint (its compact JSON's SHA-1): a record that is damaged in another
// way, or a new one, is told again.

QString fingerprint(const QJsonObject& object);

// The fingerprints of the file; empty when it is missing or unreadable.
QSet<QString> readNoted(const QString& path);
// Replaces the file; an empty set removes it. False when that failed.
bool writeNoted(const QString& path, const QSet<QString>& noted);

struct Check {
    qsizetype untold = 0;  // damaged records not told about before
    QSet<QString> noted;   // what the file should hold from now on
};
// Compares the damaged records of `records` with what was told before; only
// records still present are kept in the note.
Check check(const QList<HistoryRecord>& records, const QSet<QString>& toldBefore);

}  // namespace klipo::historydamage

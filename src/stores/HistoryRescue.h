#pragma once

#include "stores/HistoryRecord.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Records that a run cut short left outside the index, found again at the
// next start: those of a moved-aside index whose repaired index was never
// stored, and the one of a save killed between writing its images and the
// index.
namespace klipo::historyrescue {

struct Found {
    QList<HistoryRecord> records;
    QStringList from;  // the moved-aside indexes they came from
};

// The records of the folder's moved-aside indexes (newest file first, each
// read as a damaged index is salvaged) whose shown image lies in the folder
// and is named neither by `named` nor by a record found before: a record the
// user deleted took its image with it and stays deleted. Damaged records,
// whose images cannot be told, stay in their files.
Found recordsOnlyInMovedAsideIndexes(const QString& folder, const QSet<QString>& named);

// Every image name that the folder's moved-aside indexes hold.
QSet<QString> imageNamesInMovedAsideIndexes(const QString& folder);

// A save's record, noted before its images are written, so that a kill before
// the index names them loses neither the images nor the record. False when
// the note could not be written (then `error` says why).
bool noteSave(const QString& folder, const HistoryRecord& record, QString* error);
// Removes the note once the index holds the record, or the save is undone.
void forgetSave(const QString& folder);
// True while a save's note lies in the folder.
bool hasNotedSave(const QString& folder);

// The record of a save cut short, to bring back: its shown image is in the
// folder (or, without it, its source image, which it then shows) and `named`
// does not hold it. Nothing when there is no note, or its save wrote no image
// or finished; such a note is removed.
std::optional<HistoryRecord> unfinishedSave(const QString& folder, const QSet<QString>& named);

}  // namespace klipo::historyrescue

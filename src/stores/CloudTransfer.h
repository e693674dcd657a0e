#pragma once

#include "stores/CloudBackup.h"
#include "stores/CloudFolder.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

namespace klipo {

class HistoryStore;
class VocabularyStore;
namespace platform {
class SettingsStore;
}

// The blocking steps of the backup service: they read the stores (loading
// them first), the settings and the folder, and write this computer's file.
// Any thread but the stores' own queues.
namespace cloudtransfer {

struct Stores {
    HistoryStore& history;
    VocabularyStore& vocabulary;
    const platform::SettingsStore& settings;
};

struct UploadRequest {
    QString path;             // this computer's backup file
    QString lastFingerprint;  // of the last upload that wrote the file; may be empty
    bool automatic = false;
    std::function<QDateTime()> now;
    // Records the history let go during this run (deleted, cleared, trimmed
    // to its limit): a backup may drop them unattended.
    QSet<QUuid> removedThisRun;
    // The records of the file as this run last wrote it, when it did:
    // spares reading it again.
    std::optional<QSet<QUuid>> recordsInPlace;
};

struct UploadOutcome {
    enum class Kind {
        written,
        skipped,      // automatic, nothing changed since the last upload and the file is there
        heldBack,     // automatic, and it would have emptied a backup that holds records or words
        lostRecords,  // automatic, and it would have dropped records the history lost without a deletion
        failed,
    };
    Kind kind = Kind::failed;
    qsizetype recordCount = 0;
    qsizetype wordCount = 0;
    double sizeKB = 0;
    QString fingerprint;
    QDateTime date;
    QString error;  // failed
    // heldBack, lostRecords: what the file there holds.
    qsizetype keptRecords = 0;
    qsizetype keptWords = 0;
    // lostRecords: how many of its records the history no longer holds, and
    // whether the history lost records to damage.
    qsizetype lostRecords = 0;
    bool historyRepaired = false;
    // written: the records the file now holds.
    QSet<QUuid> writtenRecords;
};

// An unattended upload is held back when it would drop records of the backup
// in place that the history lost without the user's doing (not deleted,
// cleared or trimmed during this run): when the history lost records to
// damage at this start or holds an index set aside as damaged, or when more
// than half of the backup's records are missing. A manual upload, the user's
// own act, always writes.

UploadOutcome upload(const Stores& stores, const UploadRequest& request);

QSet<QUuid> recordIds(const QList<HistoryRecord>& records);

// What the main thread needs of a folded backup; the backup itself (tens of
// megabytes) is let go on the worker.
struct BackupSummary {
    QDateTime date;
    qsizetype recordCount = 0;
    qsizetype wordCount = 0;
    CloudBackup::Settings settings;
};

struct DownloadOutcome {
    std::optional<BackupSummary> backup;  // none: no file could be used
    QList<cloudfolder::SkippedFile> skipped;
    int newWords = 0;
    qsizetype leftOut = 0;    // words new to the book that its limit kept out
    qsizetype displaced = 0;  // words of the book seen once that made room for studied or repeated ones
    qsizetype localRecordCount = 0;
};

// Folds every backup of the folder and merges its words into the book, within
// the book's limit. Only the words a merge can take are held while reading.
DownloadOutcome download(const Stores& stores, const QString& folder, const QDateTime& now);

struct LaunchLook {
    bool localDataEmpty = false;
    std::optional<BackupSummary> backup;
};

// Whether this computer holds no records and no words, and then what the
// folded backups hold (nothing is read when it has data: no restore is offered).
LaunchLook lookAtLaunch(const Stores& stores, const QString& folder, const QDateTime& now);

}  // namespace cloudtransfer

}  // namespace klipo

#pragma once

#include "stores/CloudBackup.h"
#include "stores/CloudFolder.h"

#include <QDateTime>
#include <QString>

#include <functional>

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
};

struct UploadOutcome {
    enum class Kind {
        written,
        skipped,   // automatic, nothing changed since the last upload and the file is there
        heldBack,  // automatic, and it would have emptied a backup that holds records or words
        failed,
    };
    Kind kind = Kind::failed;
    qsizetype recordCount = 0;
    qsizetype wordCount = 0;
    double sizeKB = 0;
    QString fingerprint;
    QDateTime date;
    QString error;  // failed
    // heldBack: what the file there holds.
    qsizetype keptRecords = 0;
    qsizetype keptWords = 0;
};

UploadOutcome upload(const Stores& stores, const UploadRequest& request);

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
    qsizetype localRecordCount = 0;
};

// Folds every backup of the folder and merges its words into the book.
DownloadOutcome download(const Stores& stores, const QString& folder, const QDateTime& now);

struct LaunchLook {
    bool localDataEmpty = false;
    std::optional<BackupSummary> backup;
};

// Whether this computer holds no records and no words, and the folded backups.
LaunchLook lookAtLaunch(const Stores& stores, const QString& folder, const QDateTime& now);

}  // namespace cloudtransfer

}  // namespace klipo

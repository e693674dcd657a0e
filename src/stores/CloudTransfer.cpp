#include "stores/CloudTransfer.h"

#include "platform/FreedMemory.h"
#include "platform/SafeFile.h"
#include "stores/CloudSettings.h"
#include "stores/HistoryFolder.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyBook.h"
#include "stores/VocabularyStore.h"

#include <sys/stat.h>

#include <QFile>

#include <algorithm>

namespace klipo::cloudtransfer {

namespace {

bool isRegularFile(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

BackupSummary summarize(const CloudBackup& backup, qsizetype wordCount)
{
    return {backup.date, backup.records.size(), wordCount, backup.settings};
}

// Backups with more words than the book can hold took memory far beyond
// what is kept: it goes back to the system (which takes a moment, so only then).
void returnMemoryOfALargeRead(const cloudbackup::WordLimit& limit)
{
    if (limit.distinct() > vocabularybook::kMaximumWordCount) platform::returnFreedMemory();
}

// The records of the backup in place that the new one would drop although
// the history did not let them go during this run.
qsizetype lostRecords(const QSet<QUuid>& inPlace, const QList<HistoryRecord>& records,
                      const QSet<QUuid>& removedThisRun)
{
    QSet<QUuid> gone = inPlace - removedThisRun;
    for (const HistoryRecord& record : records) gone.remove(record.id);
    return gone.size();
}

}  // namespace

QSet<QUuid> recordIds(const QList<HistoryRecord>& records)
{
    QSet<QUuid> ids;
    ids.reserve(records.size());
    for (const HistoryRecord& record : records) ids.insert(record.id);
    return ids;
}

UploadOutcome upload(const Stores& stores, const UploadRequest& request)
{
    const QList<HistoryRecord> records = stores.history.allRecords();
    const QList<VocabularyWord> words = stores.vocabulary.words();
    const cloudbackup::EncodedContent content =
        cloudbackup::encodeContent(records, words, cloudsettings::payload(stores.settings));

    UploadOutcome outcome;
    outcome.recordCount = records.size();
    outcome.wordCount = words.size();
    outcome.fingerprint = content.fingerprint;
    outcome.date = request.now();

    if (request.automatic && !request.lastFingerprint.isEmpty() && request.lastFingerprint == outcome.fingerprint &&
        isRegularFile(request.path)) {
        outcome.kind = UploadOutcome::Kind::skipped;
        return outcome;
    }
    if (request.automatic && isRegularFile(request.path)) {
        // What the file in place holds: read, unless this run wrote it (its
        // words are only counted, and only needed against an empty book).
        const bool emptying = records.isEmpty() || words.isEmpty();
        std::optional<QSet<QUuid>> inPlace = request.recordsInPlace;
        if (emptying || !inPlace) {
            cloudbackup::WordLimit countOnly;
            const cloudfolder::ReadResult existing =
                cloudfolder::readBackupFile(request.path, outcome.date, &countOnly);
            if (existing.backup) {
                inPlace = recordIds(existing.backup->records);
                outcome.keptWords = countOnly.distinct();
            }
        }
        if (inPlace) {
            outcome.keptRecords = inPlace->size();
            // After a wipe or a store file set aside, an unattended upload must
            // not empty what the backup still holds.
            if ((records.isEmpty() && outcome.keptRecords > 0) || (words.isEmpty() && outcome.keptWords > 0)) {
                outcome.kind = UploadOutcome::Kind::heldBack;
                return outcome;
            }
            outcome.lostRecords = lostRecords(*inPlace, records, request.removedThisRun);
            outcome.historyRepaired = stores.history.hasRecordsLostToDamage() ||
                                      historyfolder::hasMovedAsideIndex(stores.history.directory());
            if (outcome.lostRecords > 0 && (outcome.historyRepaired || 2 * outcome.lostRecords > outcome.keptRecords)) {
                outcome.kind = UploadOutcome::Kind::lostRecords;
                return outcome;
            }
        }
    }

    const QByteArray data = cloudbackup::encodeFile(content, outcome.date);
    // The folder is never made here: a chosen one may be on a share that is
    // not mounted (the availability check makes the default one).
    const platform::safefile::WriteResult written = platform::safefile::writeFile(request.path, data, 0600, false);
    if (!written) {
        outcome.kind = UploadOutcome::Kind::failed;
        outcome.error = written.error;
        return outcome;
    }
    outcome.kind = UploadOutcome::Kind::written;
    outcome.sizeKB = double(data.size()) / 1024.0;
    outcome.writtenRecords = recordIds(records);
    return outcome;
}

DownloadOutcome download(const Stores& stores, const QString& folder, const QDateTime& now)
{
    DownloadOutcome outcome;
    cloudbackup::WordLimit limit;
    for (const VocabularyWord& word : stores.vocabulary.words()) limit.bookKeys.insert(word.normalized);
    limit.room = vocabularybook::kMaximumWordCount;
    cloudfolder::ReadResult merged = cloudfolder::readMerged(folder, now, &limit);
    outcome.skipped = merged.skipped;
    if (!merged.backup) return outcome;
    outcome.backup = summarize(*merged.backup, limit.distinct());
    vocabularybook::MergeReport report;
    outcome.newWords = stores.vocabulary.mergeFromBackup(merged.backup->words, &report);
    merged.backup.reset();
    returnMemoryOfALargeRead(limit);
    outcome.leftOut = std::max<qsizetype>(0, limit.distinctNew() - outcome.newWords);
    outcome.displaced = report.displaced;
    outcome.localRecordCount = stores.history.allRecords().size();
    return outcome;
}

LaunchLook lookAtLaunch(const Stores& stores, const QString& folder, const QDateTime& now)
{
    LaunchLook look;
    look.localDataEmpty = stores.history.allRecords().isEmpty() && stores.vocabulary.words().isEmpty();
    if (!look.localDataEmpty) return look;
    cloudbackup::WordLimit countOnly;
    const cloudfolder::ReadResult merged = cloudfolder::readMerged(folder, now, &countOnly);
    if (merged.backup) look.backup = summarize(*merged.backup, countOnly.distinct());
    returnMemoryOfALargeRead(countOnly);
    return look;
}

}  // namespace klipo::cloudtransfer

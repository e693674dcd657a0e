#include "stores/CloudTransfer.h"

#include "platform/SafeFile.h"
#include "stores/CloudSettings.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"

#include <sys/stat.h>

#include <QFile>

namespace klipo::cloudtransfer {

namespace {

bool isRegularFile(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

BackupSummary summarize(const CloudBackup& backup)
{
    return {backup.date, backup.records.size(), backup.words.size(), backup.settings};
}

}  // namespace

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
    if (request.automatic && (records.isEmpty() || words.isEmpty())) {
        // After a wipe or a store file set aside, an unattended upload must not
        // empty what the backup still holds.
        const cloudfolder::ReadResult existing = cloudfolder::readBackupFile(request.path, outcome.date);
        if (existing.backup && ((records.isEmpty() && !existing.backup->records.isEmpty()) ||
                                (words.isEmpty() && !existing.backup->words.isEmpty()))) {
            outcome.kind = UploadOutcome::Kind::heldBack;
            outcome.keptRecords = existing.backup->records.size();
            outcome.keptWords = existing.backup->words.size();
            return outcome;
        }
    }

    const QByteArray data = cloudbackup::encodeFile(content, outcome.date);
    const platform::safefile::WriteResult written = platform::safefile::writeFile(request.path, data, 0600);
    if (!written) {
        outcome.kind = UploadOutcome::Kind::failed;
        outcome.error = written.error;
        return outcome;
    }
    outcome.kind = UploadOutcome::Kind::written;
    outcome.sizeKB = double(data.size()) / 1024.0;
    return outcome;
}

DownloadOutcome download(const Stores& stores, const QString& folder, const QDateTime& now)
{
    DownloadOutcome outcome;
    const cloudfolder::ReadResult merged = cloudfolder::readMerged(folder, now);
    outcome.skipped = merged.skipped;
    if (!merged.backup) return outcome;
    outcome.backup = summarize(*merged.backup);
    outcome.newWords = stores.vocabulary.mergeFromBackup(merged.backup->words);
    outcome.localRecordCount = stores.history.allRecords().size();
    return outcome;
}

LaunchLook lookAtLaunch(const Stores& stores, const QString& folder, const QDateTime& now)
{
    LaunchLook look;
    look.localDataEmpty = stores.history.allRecords().isEmpty() && stores.vocabulary.words().isEmpty();
    const cloudfolder::ReadResult merged = cloudfolder::readMerged(folder, now);
    if (merged.backup) look.backup = summarize(*merged.backup);
    return look;
}

}  // namespace klipo::cloudtransfer

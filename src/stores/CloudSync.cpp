#include "stores/CloudSync.h"

#include "platform/NotificationCenter.h"
#include "platform/SafeFileLeftovers.h"
#include "platform/SerialQueue.h"
#include "platform/SettingsStore.h"
#include "stores/CloudFolder.h"
#include "stores/CloudSettings.h"
#include "stores/CloudTransfer.h"
#include "stores/HistoryStore.h"
#include "stores/IsoDate.h"
#include "stores/VocabularyBook.h"
#include "stores/VocabularyStore.h"

#include <QDir>
#include <QPointer>

namespace klipo {

namespace {

constexpr int kSkippedNamesShown = 3;

QString busyText() { return QStringLiteral("正在同步中，请稍候再试"); }

// "无法读取：a.json（原因）、b.json（原因）等 5 个文件"
QString skippedText(const QList<cloudfolder::SkippedFile>& files)
{
    QStringList parts;
    for (qsizetype i = 0; i < files.size() && i < kSkippedNamesShown; ++i) {
        QString name = files.at(i).name;
        if (name.size() > 60) name = name.left(60) + QStringLiteral("…");
        parts << QStringLiteral("%1（%2）").arg(name, files.at(i).reason);
    }
    QString text = QStringLiteral("无法读取：") + parts.join(QStringLiteral("、"));
    if (files.size() > kSkippedNamesShown) text += QStringLiteral("等 %1 个文件").arg(files.size());
    return text;
}

}  // namespace

CloudSync& CloudSync::shared()
{
    static CloudSync* instance = [] {
        Dependencies deps;
        deps.settings = &platform::SettingsStore::shared();
        deps.history = &HistoryStore::shared();
        deps.vocabulary = &VocabularyStore::shared();
        deps.scheduler = &CloudScheduler::system();
        return new CloudSync(deps);
    }();
    return *instance;
}

CloudSync::CloudSync(const Dependencies& dependencies, QObject* parent) : QObject(parent), m_deps(dependencies)
{
    const QDateTime last = isodate::parse(m_deps.settings->stringValue(lastBackupKey));
    if (last.isValid()) m_lastBackupDate = last;
    if (m_deps.history) {
        m_shownRecordIds = cloudtransfer::recordIds(m_deps.history->records());
        connect(m_deps.history, &HistoryStore::recordsChanged, this, &CloudSync::onRecordsChanged);
    }
    refreshAvailability();
}

void CloudSync::onRecordsChanged()
{
    const QSet<QUuid> shown = cloudtransfer::recordIds(m_deps.history->records());
    m_removedThisRun += m_shownRecordIds - shown;
    m_shownRecordIds = shown;
}

CloudSync::~CloudSync()
{
    cancelScheduledUpload();
    for (const QMetaObject::Connection& connection : std::as_const(m_observers)) disconnect(connection);
}

bool CloudSync::autoSyncEnabled() const { return m_deps.settings->boolValue(autoSyncKey, true); }

QString CloudSync::chineseDateText(const QDateTime& date) { return cloudbackup::chineseDateText(date); }

QString CloudSync::backupFolder() const { return cloudfolder::folder(*m_deps.settings); }

QString CloudSync::defaultBackupFolder() { return cloudfolder::defaultFolder(); }

bool CloudSync::setBackupFolder(const QString& folder)
{
    const QString trimmed = folder.trimmed();
    if (!trimmed.isEmpty() && !QDir::isAbsolutePath(trimmed)) return false;
    m_recordsInPlace.reset();  // another folder, another file
    if (trimmed.isEmpty())
        m_deps.settings->remove(cloudfolder::kFolderKey);
    else
        m_deps.settings->setValue(cloudfolder::kFolderKey, QDir::cleanPath(trimmed));
    // The folder the user names now is made if it is not there yet; later
    // checks make only the default one.
    checkFolder(true);
    if (autoSyncEnabled()) {
        m_hasPendingChanges = true;
        scheduleAutoUpload(kSwitchOnUploadDelay);
    }
    return true;
}

QString CloudSync::backupFilePath()
{
    return cloudfolder::filePath(backupFolder(), cloudfolder::deviceId(*m_deps.settings, m_deps.machineIdPath));
}

void CloudSync::setStatus(const QString& text)
{
    if (m_statusText == text) return;
    m_statusText = text;
    Q_EMIT changed();
}

void CloudSync::setBusy(bool busy)
{
    if (m_isBusy == busy) return;
    m_isBusy = busy;
    Q_EMIT changed();
}

void CloudSync::refreshAvailability() { checkFolder(false); }

void CloudSync::checkFolder(bool makeChosen)
{
    const QString folder = backupFolder();
    const cloudfolder::Availability availability =
        cloudfolder::checkAvailability(folder, makeChosen || folder == defaultBackupFolder());
    const bool changedAvailability = m_isAvailable != availability.available;
    m_isAvailable = availability.available;
    const QString text = availability.available ? QStringLiteral("备份文件夹已就绪")
                                                : QStringLiteral("备份文件夹不可用：") + availability.reason;
    if (m_statusText != text)
        setStatus(text);
    else if (changedAvailability)
        Q_EMIT changed();
}

// ---- automatic backup -------------------------------------------------------

void CloudSync::startAutoSync()
{
    if (!m_observers.isEmpty()) return;
    refreshAvailability();
    auto& center = platform::NotificationCenter::shared();
    for (const QString& name : {HistoryStore::didChangeNotification, VocabularyStore::didChangeNotification})
        m_observers << center.observe(name, this, [this](const QVariantMap&) { onStoreChanged(); });
    QPointer<CloudSync> self(this);
    m_deps.scheduler->after(kLaunchCheckDelay, [self] {
        if (self) self->checkCloudOnLaunch();
    });
}

void CloudSync::onStoreChanged()
{
    if (!autoSyncEnabled()) return;
    m_hasPendingChanges = true;
    scheduleAutoUpload(kAutoUploadDelay);
}

void CloudSync::scheduleAutoUpload(double seconds)
{
    cancelScheduledUpload();
    QPointer<CloudSync> self(this);
    m_pendingUpload = m_deps.scheduler->after(seconds, [self] {
        if (self) self->autoUploadTimerFired();
    });
}

void CloudSync::cancelScheduledUpload()
{
    if (m_pendingUpload) m_pendingUpload->cancel();
    m_pendingUpload.reset();
}

void CloudSync::autoUploadTimerFired()
{
    if (!autoSyncEnabled() || !m_hasPendingChanges) return;
    if (m_isBusy) return scheduleAutoUpload(kBusyRetryDelay);
    refreshAvailability();
    if (m_isAvailable) startUpload(true);
}

void CloudSync::setAutoSync(bool enabled)
{
    m_deps.settings->setValue(autoSyncKey, enabled);
    if (enabled) {
        m_hasPendingChanges = true;
        scheduleAutoUpload(kSwitchOnUploadDelay);
    } else {
        cancelScheduledUpload();
    }
}

// ---- launch check and restore offer ----------------------------------------

void CloudSync::checkCloudOnLaunch()
{
    refreshAvailability();
    if (!m_isAvailable) return;
    const cloudtransfer::Stores stores{*m_deps.history, *m_deps.vocabulary, *m_deps.settings};
    const QString folder = backupFolder();
    const QDateTime now = m_deps.scheduler->now();
    // This computer's file, when it has one yet: a write of it cut short by a
    // crash left a whole copy beside it, in a folder synced elsewhere.
    const QString storedId = m_deps.settings->stringValue(cloudfolder::kDeviceIdKey);
    const QString ownFile = cloudfolder::isValidDeviceId(storedId) ? cloudfolder::fileName(storedId) : QString();
    QPointer<CloudSync> self(this);
    m_deps.scheduler->background([self, stores, folder, now, ownFile] {
        if (!ownFile.isEmpty())
            platform::safefile::removeLeftoverTemporaries(folder,
                                                          [&](const QString& target) { return target == ownFile; });
        const cloudtransfer::LaunchLook look = cloudtransfer::lookAtLaunch(stores, folder, now);
        platform::runOnMain([self, look] {
            if (self) self->finishLaunchCheck(look);
        });
    });
}

void CloudSync::finishLaunchCheck(const cloudtransfer::LaunchLook& look)
{
    const std::optional<cloudtransfer::BackupSummary>& backup = look.backup;
    if (backup && look.localDataEmpty && (backup->recordCount > 0 || backup->wordCount > 0))
        return offerRestore(backup->date, backup->recordCount, backup->wordCount);
    if (autoSyncEnabled()) {
        m_hasPendingChanges = true;
        scheduleAutoUpload(kAfterLaunchUploadDelay);
    }
}

CloudSync::Prompt CloudSync::restorePrompt(const QDateTime& date, qsizetype recordCount, qsizetype wordCount)
{
    return {QStringLiteral("发现备份文件夹中的备份"),
            QStringLiteral("云端有一份备份（%1），含 %2 条历史文字、%3 个单词，而本机目前没有数据。\n"
                           "要把备份中的单词和设置合并到本机吗？历史文字不会导入。")
                .arg(chineseDateText(date))
                .arg(recordCount)
                .arg(wordCount),
            {QStringLiteral("立即恢复"), QStringLiteral("暂不")}};
}

void CloudSync::offerRestore(const QDateTime& date, qsizetype recordCount, qsizetype wordCount)
{
    if (!m_prompt) return;
    if (m_prompt(restorePrompt(date, recordCount, wordCount)) == 0) download();
}

// ---- upload -------------------------------------------------------------------

QString CloudSync::lastFingerprint() const { return m_deps.settings->stringValue(lastFingerprintKey); }

cloudtransfer::UploadRequest CloudSync::uploadRequest(bool automatic)
{
    cloudtransfer::UploadRequest request;
    request.path = backupFilePath();
    request.lastFingerprint = lastFingerprint();
    request.automatic = automatic;
    CloudScheduler* scheduler = m_deps.scheduler;
    request.now = [scheduler] { return scheduler->now(); };
    request.removedThisRun = m_removedThisRun;
    request.recordsInPlace = m_recordsInPlace;
    return request;
}

void CloudSync::startUpload(bool automatic)
{
    if (!automatic) {
        refreshAvailability();
        if (!m_isAvailable) return;
    }
    if (m_isBusy) {
        if (!automatic) setStatus(busyText());
        return;
    }
    const cloudtransfer::UploadRequest request = uploadRequest(automatic);
    m_hasPendingChanges = false;
    setBusy(true);
    setStatus(automatic ? QStringLiteral("正在自动备份…") : QStringLiteral("正在上传…"));
    const cloudtransfer::Stores stores{*m_deps.history, *m_deps.vocabulary, *m_deps.settings};
    QPointer<CloudSync> self(this);
    m_deps.scheduler->background([self, stores, request] {
        const cloudtransfer::UploadOutcome outcome = cloudtransfer::upload(stores, request);
        platform::runOnMain([self, outcome] {
            if (self) self->finishUpload(outcome);
        });
    });
}

void CloudSync::storeUpload(const cloudtransfer::UploadOutcome& outcome)
{
    m_deps.settings->setValue(lastBackupKey, isodate::format(outcome.date));
    m_deps.settings->setValue(lastFingerprintKey, outcome.fingerprint);
}

void CloudSync::finishUpload(const cloudtransfer::UploadOutcome& outcome)
{
    using Kind = cloudtransfer::UploadOutcome::Kind;
    m_isBusy = false;
    switch (outcome.kind) {
    case Kind::written:
        m_recordsInPlace = outcome.writtenRecords;
        m_lastBackupDate = outcome.date;
        storeUpload(outcome);
        setStatus(QStringLiteral("已上传 %1 条记录、%2 个单词（%3 KB）")
                      .arg(outcome.recordCount)
                      .arg(outcome.wordCount)
                      .arg(QString::number(outcome.sizeKB, 'f', 0)));
        break;
    case Kind::skipped:
        setStatus(QStringLiteral("云端已是最新，无需上传"));
        break;
    case Kind::heldBack: {
        m_hasPendingChanges = true;
        const QString missing = outcome.recordCount == 0 && outcome.wordCount == 0 ? QStringLiteral("历史文字和单词")
                                : outcome.recordCount == 0                         ? QStringLiteral("历史文字")
                                                                                   : QStringLiteral("单词");
        setStatus(QStringLiteral("未自动备份：本机没有%1，而备份中还有 %2 条历史文字、%3 个单词。"
                                 "自动备份不会清空它；如确要以本机现状覆盖，请手动上传")
                      .arg(missing)
                      .arg(outcome.keptRecords)
                      .arg(outcome.keptWords));
        break;
    }
    case Kind::lostRecords:
        m_hasPendingChanges = true;
        setStatus(QStringLiteral("未自动备份：备份中有 %1 条历史文字本机已没有，而这次运行中并没有删除它们%2。"
                                 "自动备份不会让备份跟着丢失；如确要以本机现状覆盖，请手动上传")
                      .arg(outcome.lostRecords)
                      .arg(outcome.historyRepaired ? QStringLiteral("（历史记录曾损坏）") : QString()));
        break;
    case Kind::failed:
        m_hasPendingChanges = true;
        setStatus(QStringLiteral("上传失败：") + outcome.error);
        break;
    }
    Q_EMIT changed();
}

void CloudSync::uploadOnQuit()
{
    if (!autoSyncEnabled() || !m_hasPendingChanges || m_isBusy || !m_isAvailable) return;
    const cloudtransfer::UploadOutcome outcome =
        cloudtransfer::upload({*m_deps.history, *m_deps.vocabulary, *m_deps.settings}, uploadRequest(true));
    if (outcome.kind == cloudtransfer::UploadOutcome::Kind::written) {
        m_recordsInPlace = outcome.writtenRecords;
        storeUpload(outcome);
    }
}

// ---- download -----------------------------------------------------------------

void CloudSync::download()
{
    refreshAvailability();
    if (!m_isAvailable) return;
    if (m_isBusy) return setStatus(busyText());
    setBusy(true);
    setStatus(QStringLiteral("正在下载…"));
    const cloudtransfer::Stores stores{*m_deps.history, *m_deps.vocabulary, *m_deps.settings};
    const QString folder = backupFolder();
    const QDateTime now = m_deps.scheduler->now();
    QPointer<CloudSync> self(this);
    m_deps.scheduler->background([self, stores, folder, now] {
        const cloudtransfer::DownloadOutcome outcome = cloudtransfer::download(stores, folder, now);
        platform::runOnMain([self, outcome] {
            if (self) self->finishDownload(outcome);
        });
    });
}

void CloudSync::finishDownload(const cloudtransfer::DownloadOutcome& outcome)
{
    const QList<cloudfolder::SkippedFile>& skipped = outcome.skipped;
    m_isBusy = false;
    if (!outcome.backup) {
        QString text = QStringLiteral("下载失败：云端没有备份或文件无法读取");
        if (!skipped.isEmpty()) text += QStringLiteral("。") + skippedText(skipped);
        setStatus(text);
        Q_EMIT changed();
        return;
    }
    const cloudtransfer::BackupSummary& backup = *outcome.backup;
    const cloudsettings::Outcome applied =
        cloudsettings::apply(*m_deps.settings, backup.settings, outcome.localRecordCount);
    QString text = (skipped.isEmpty() ? QStringLiteral("已同步：") : QStringLiteral("部分同步：")) +
                   QStringLiteral("新增 %1 个单词").arg(outcome.newWords);
    if (outcome.leftOut > 0 || outcome.displaced > 0) {
        QStringList limited;
        if (outcome.leftOut > 0) limited << QStringLiteral("另有 %1 个未加入").arg(outcome.leftOut);
        if (outcome.displaced > 0)
            limited << QStringLiteral("%1 个只见过一次的旧单词让位给了已掌握、有释义或多次出现的单词")
                           .arg(outcome.displaced);
        text += QStringLiteral("（单词本最多 %1 个：").arg(vocabularybook::kMaximumWordCount) +
                limited.join(QStringLiteral("，")) + QStringLiteral("）");
    }
    if (applied.applied > 0) text += QStringLiteral("，已应用备份中的设置");
    text += QStringLiteral("；备份含 %1 条历史文字，不导入本机历史").arg(backup.recordCount);
    if (!applied.refused.isEmpty())
        text += QStringLiteral("。未应用的设置：") + applied.refused.join(QStringLiteral("；"));
    if (!skipped.isEmpty()) text += QStringLiteral("。") + skippedText(skipped);
    setStatus(text);
    Q_EMIT changed();
}

}  // namespace klipo

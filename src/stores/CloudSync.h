#pragma once

#include "stores/CloudScheduler.h"

#include <QDateTime>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>
#include <QStringList>

#include <functional>
#include <optional>

namespace klipo {

class HistoryStore;
class VocabularyStore;
namespace platform {
class SettingsStore;
}
namespace cloudtransfer {
struct UploadOutcome;
struct UploadRequest;
struct DownloadOutcome;
struct LaunchLook;
}  // namespace cloudtransfer

// Backs up the history texts, the vocabulary book and three settings into
// this computer's file in the backup folder, and brings every computer's
// backups back. On its own it uploads once changes have settled (three
// minutes), looks at the folder five seconds after launch (offering a restore
// when this computer has no data) and uploads what is pending at quit; the
// library window's backup section adds the switch, upload and download.
//
// Lives on the main thread; every operation is called there. Reading,
// folding and writing run in the background, and their results come back to
// the main thread. changed() announces every change of the shown state.
class CloudSync : public QObject {
    Q_OBJECT
public:
    struct Dependencies {
        platform::SettingsStore* settings = nullptr;
        HistoryStore* history = nullptr;
        VocabularyStore* vocabulary = nullptr;
        CloudScheduler* scheduler = nullptr;
        QString machineIdPath = QStringLiteral("/etc/machine-id");
    };

    // A modal question with its buttons in order; the answer is the index of
    // the button pressed.
    struct Prompt {
        QString message;
        QString informativeText;
        QStringList buttons;
    };
    using PromptHandler = std::function<int(const Prompt&)>;

    static constexpr double kAutoUploadDelay = 180;
    static constexpr double kLaunchCheckDelay = 5;
    static constexpr double kAfterLaunchUploadDelay = 120;
    static constexpr double kSwitchOnUploadDelay = 5;
    static constexpr double kBusyRetryDelay = 60;

    inline static const QString lastBackupKey = QStringLiteral("cloudLastBackupDate");
    inline static const QString lastFingerprintKey = QStringLiteral("cloudLastUploadFingerprint");
    inline static const QString autoSyncKey = QStringLiteral("autoCloudSync");

    // Over the shared stores, the settings and the real clock.
    static CloudSync& shared();

    explicit CloudSync(const Dependencies& dependencies, QObject* parent = nullptr);
    ~CloudSync() override;

    // ---- shown by the library window's backup section ----
    bool isAvailable() const { return m_isAvailable; }
    bool isBusy() const { return m_isBusy; }
    QString statusText() const { return m_statusText; }
    std::optional<QDateTime> lastBackupDate() const { return m_lastBackupDate; }
    bool autoSyncEnabled() const;
    static QString chineseDateText(const QDateTime& date);

    // The backup folder: the setting "cloudBackupFolder", or the default
    // $XDG_DATA_HOME/KlipoVersa/Cloud when it is absent or empty.
    QString backupFolder() const;
    static QString defaultBackupFolder();
    // Stores an absolute folder (empty: back to the default) and checks it,
    // making it when it is not there yet (the user names it now);
    // with automatic backup on, an upload follows 5 seconds later. False, and
    // nothing changed, for a relative path.
    bool setBackupFolder(const QString& folder);
    // This computer's file in the folder (makes the device id on first use).
    QString backupFilePath();

    // ---- operations ----
    // Checks that the folder exists and takes a file. A missing folder is
    // made only when it is the default one: a chosen one may be on a share or
    // disk that is not mounted, and one made in its place would hide under it.
    void refreshAvailability();
    // At launch, once: observes the stores and looks at the folder 5 s later.
    void startAutoSync();
    void setAutoSync(bool enabled);
    void startUpload(bool automatic);
    void download();
    // At quit: writes a pending change synchronously (skipped when nothing
    // changed), silently.
    void uploadOnQuit();

    // The restore offer at launch is asked through this (the shell shows an
    // alert); without one no offer is made.
    void setRestorePrompt(PromptHandler prompt) { m_prompt = std::move(prompt); }
    // The texts of the restore offer for a merged backup.
    static Prompt restorePrompt(const QDateTime& date, qsizetype recordCount, qsizetype wordCount);

    bool hasPendingChanges() const { return m_hasPendingChanges; }

Q_SIGNALS:
    void changed();

private:
    void checkFolder(bool makeChosen);
    void setStatus(const QString& text);
    void setBusy(bool busy);
    void onStoreChanged();
    void scheduleAutoUpload(double seconds);
    void cancelScheduledUpload();
    void autoUploadTimerFired();
    void checkCloudOnLaunch();
    void finishLaunchCheck(const cloudtransfer::LaunchLook& look);
    void offerRestore(const QDateTime& date, qsizetype recordCount, qsizetype wordCount);
    void finishUpload(const cloudtransfer::UploadOutcome& outcome);
    void finishDownload(const cloudtransfer::DownloadOutcome& outcome);
    QString lastFingerprint() const;
    cloudtransfer::UploadRequest uploadRequest(bool automatic);
    // Notes the records the history let go since it was last shown.
    void onRecordsChanged();
    void storeUpload(const cloudtransfer::UploadOutcome& outcome);

    Dependencies m_deps;
    PromptHandler m_prompt;

    bool m_isAvailable = false;
    bool m_isBusy = false;
    QString m_statusText = QStringLiteral("未检测");
    std::optional<QDateTime> m_lastBackupDate;

    bool m_hasPendingChanges = false;
    std::optional<CloudScheduler::Ticket> m_pendingUpload;
    QList<QMetaObject::Connection> m_observers;

    QSet<QUuid> m_shownRecordIds;  // the history's records as last shown
    QSet<QUuid> m_removedThisRun;  // records it let go during this run
    // The records of this computer's file as this run last wrote it.
    std::optional<QSet<QUuid>> m_recordsInPlace;
};

}  // namespace klipo

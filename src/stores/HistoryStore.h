#pragma once

#include "stores/HistoryRecord.h"

#include <QCache>
#include <QFuture>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace klipo {

namespace platform {
class SerialQueue;
class SettingsStore;
}
namespace storefiles {
class WriteAccess;
}

// The history of translations and screenshots: a folder with "index.json" and
// the records' PNG images. Every step that touches the list or the folder runs
// on the store's serial queue "io.klipoversa.history"; the main thread sees a
// copy in records() and is told of each change by recordsChanged() and the
// notification "KlipoVersa.historyStoreDidChange". Completions run on the main
// thread, after the change they report has been published.
//
// What is on disk is never given up silently: an index that cannot be read is
// moved aside ("index-broken-<seconds>.json") and its images are kept; a
// damaged one is kept aside as a copy and every record it still holds comes
// back; records only a moved-aside index holds, and the record of a save cut
// short, come back at the next start; records whose image names cannot be
// read stay in the index as they were, listed as damaged records that the
// user can delete, and while there are any no image is removed as an orphan;
// values of a record that cannot be read and members this copy does not know
// are written back as they stood; the user is told of each once; a change
// whose index cannot be written is not made, and the user is told. A linked
// folder loses only what a record names. Only the first store on a folder (in
// any process) writes; a later one only reads. Images and index are private
// to the user (files 0600, folder 0700).
class HistoryStore : public QObject {
    Q_OBJECT
public:
    using SaveCompletion = std::function<void(std::optional<HistoryRecord>)>;

    static inline const QString didChangeNotification = QStringLiteral("KlipoVersa.historyStoreDidChange");

    // The process-wide store over the default folder, created on first use.
    static HistoryStore& shared();
    // $XDG_DATA_HOME/KlipoVersa/History
    static QString defaultDirectory();
    // The limit from the settings: "historyLimit" when it holds an integer,
    // else 300; below 1 means no limit. A limit not confirmed on this
    // computer (see historylimit) trims nothing.
    static int historyLimitSetting();
    static int historyLimitSetting(const platform::SettingsStore& settings);

    // A store over `directory` (the default folder when empty). The first load
    // is scheduled at once.
    explicit HistoryStore(const QString& directory = {}, QObject* parent = nullptr);
    ~HistoryStore() override;  // finishes the queued work first

    QString directory() const { return m_directory; }
    platform::SerialQueue& queue() { return *m_queue; }

    // The published list, newest first, damaged records included; main thread only. Empty until the
    // first load has been published.
    const QList<HistoryRecord>& records() const { return m_records; }

    // Saves a new record: writes `composedImage` as "<ID>.png" and, when given,
    // `originalImage` as "<ID>-src.png", puts the record first and trims the
    // history to its limit. The completion gets the record, or nothing when the
    // image could not be encoded or the record could not be stored.
    void save(const QImage& composedImage, const std::optional<QImage>& originalImage, const QString& originalText,
              const QString& translatedText, const QString& targetLanguage, SaveCompletion completion = {});
    // The same with the original image's PNG (historyimages::pngDataLater),
    // encoded ahead while the record was still being made; empty bytes store
    // the record without it, as an original that cannot be encoded does.
    void save(const QImage& composedImage, QFuture<QByteArray> originalPng, const QString& originalText,
              const QString& translatedText, const QString& targetLanguage, SaveCompletion completion = {});

    // Replaces a record's originalText; the completion gets true when the
    // record was found and not damaged, its text differed and the change was
    // stored.
    void updateText(const QUuid& id, const QString& originalText, std::function<void(bool)> completion = {});

    // The records whose fields could all be read (damaged ones left out),
    // newest first, after all work queued so far. Blocks; never call it on the
    // store's queue.
    QList<HistoryRecord> allRecords();

    // True when this run's start met records it could not give back whole:
    // an index that could not be read, records of a damaged index that could
    // not be salvaged, or damaged records (left out of allRecords()). A copy
    // made from allRecords() then lacks records the user never deleted.
    // Blocks like allRecords().
    bool hasRecordsLostToDamage();

    // The ids of every record, when this run's start read the index whole:
    // none while there is no index, it is blocked, or records were lost to
    // damage (hasRecordsLostToDamage()). Blocks like allRecords().
    std::optional<QSet<QUuid>> recordIdsIfIntact();

    // The record's shown image (null when missing or unreadable).
    void loadImage(const HistoryRecord& record, std::function<void(QImage)> completion);

    // A thumbnail whose longer side is at most maxPixel. A cached one is handed
    // over at once on the calling thread; otherwise on the main thread later.
    void loadThumbnail(const HistoryRecord& record, int maxPixel, std::function<void(QImage)> completion);

    // Removes the records and their images. The completion gets false when the
    // index could not be written; then nothing was removed.
    void deleteRecords(const QList<QUuid>& ids, std::function<void(bool)> completion = {});

    // Removes the whole folder with everything in it and starts an empty history.
    void removeAll(std::function<void()> completion = {});

    // Bytes of the folder and everything below it.
    void totalSize(std::function<void(qint64)> completion);

Q_SIGNALS:
    void recordsChanged();

private:
    void saveRecord(const QImage& composedImage, std::optional<QFuture<QByteArray>> originalPng,
                    const QString& originalText, const QString& translatedText, const QString& targetLanguage,
                    SaveCompletion completion);
    // All of these run on the queue.
    void loadIfNeeded();
    // Reads the index into the cache; true when it was read whole.
    bool readIndex();
    // Brings back what a run cut short left outside the index: the record of
    // an unfinished save, and records only a moved-aside index still holds.
    void bringBackCutShortRecords();
    // Moves an index that holds nothing readable aside, and tells the user.
    void setAsideUnusableIndex(const QString& reason);
    // Brings back the records a damaged index still holds and stores them in
    // its place, keeping a copy of it.
    void recoverFromDamagedIndex(const QByteArray& data);
    void removeOrphanImages();
    // Tells the user of damaged records not told about at an earlier load.
    void tellOfDamagedRecords();
    // Tells once per run that the limit waits for confirmation, so nothing was trimmed.
    void tellOfUnconfirmedLimit(int limit);
    // Sweeps orphans when `gone` took the last damaged record with it.
    void sweepOnceUndamaged(const QList<HistoryRecord>& gone);
    // False, told to the user, when this store may not write or the write failed.
    bool mayChange();
    bool writeIndex(const QList<HistoryRecord>& records);
    // Removes the images of records no longer in the cache.
    void deleteFiles(const QList<HistoryRecord>& gone);
    void publish();
    QString pathOf(const QString& name) const;
    QString indexPath() const;

    void forgetThumbnails(const QUuid& id);

    QString m_directory;
    QList<HistoryRecord> m_records;  // main thread

    QList<HistoryRecord> m_cache;  // queue
    bool m_isLoaded = false;       // queue
    // An index is there that could neither be read nor moved aside: writing
    // would destroy it, so no change is stored.
    bool m_indexBlocked = false;  // queue
    // The folder's name is a link into a folder of the user's: only the
    // store's own files are removed from it.
    bool m_folderIsLinked = false;                      // queue
    bool m_toldOfUnconfirmedLimit = false;              // queue
    bool m_lostToDamage = false;                        // queue
    QJsonObject m_documentOthers;                       // queue: the index's other members
    std::unique_ptr<storefiles::WriteAccess> m_access;  // queue: made by the first load

    QMutex m_thumbnailMutex;
    QCache<QString, QImage> m_thumbnails;

    std::unique_ptr<platform::SerialQueue> m_queue;
};

}  // namespace klipo

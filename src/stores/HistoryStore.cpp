#include "stores/HistoryStore.h"

#include "platform/MainThreadSingleton.h"

#include "platform/NotificationCenter.h"
#include "platform/SerialQueue.h"
#include "platform/SettingsStore.h"
#include "platform/StorageAlerts.h"
#include "stores/HistoryDamageNotes.h"
#include "stores/HistoryFolder.h"
#include "stores/HistoryImages.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryLimit.h"
#include "stores/HistoryRescue.h"
#include "stores/StoreFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QJsonValue>
#include <QPointer>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <climits>
#include <cmath>

namespace klipo {

using platform::runOnMain;

namespace {

constexpr int kThumbnailCacheEntries = 200;
constexpr int kDefaultHistoryLimit = 300;

template <typename Value>
void callBackOnMain(const std::function<void(Value)>& completion, Value value)
{
    if (!completion) return;
    runOnMain([completion, value = std::move(value)] { completion(value); });
}

QString what() { return QStringLiteral("历史记录"); }

// Records that share an id are told apart: every one after the first takes a
// new id (its image names stay as written), so that deleting one card never
// takes the others with it. The file keeps the old ids until the next write.
void giveDuplicatesNewIds(QList<HistoryRecord>& records)
{
    QSet<QUuid> seen;
    seen.reserve(records.size());
    for (HistoryRecord& record : records) {
        if (seen.contains(record.id)) record.id = QUuid::createUuid();
        seen.insert(record.id);
    }
}

// Records as read from an index: told apart by id, newest first.
void settleLoaded(QList<HistoryRecord>& records)
{
    giveDuplicatesNewIds(records);
    std::stable_sort(records.begin(), records.end(),
                     [](const HistoryRecord& a, const HistoryRecord& b) { return a.date > b.date; });
}

QSet<QString> imageNamesOf(const QList<HistoryRecord>& records)
{
    QSet<QString> named;
    named.reserve(records.size() * 2);
    for (const HistoryRecord& record : records) {
        named.insert(record.imageName);
        if (record.originalImageName) named.insert(*record.originalImageName);
    }
    return named;
}

bool anyDamaged(const QList<HistoryRecord>& records)
{
    return std::any_of(records.begin(), records.end(), [](const HistoryRecord& r) { return r.isDamaged(); });
}

}  // namespace

HistoryStore& HistoryStore::shared() { return platform::mainThreadSingleton<HistoryStore>(); }

QString HistoryStore::defaultDirectory() { return storefiles::defaultDataDirectory() + QStringLiteral("/History"); }

int HistoryStore::historyLimitSetting() { return historyLimitSetting(platform::SettingsStore::shared()); }

int HistoryStore::historyLimitSetting(const platform::SettingsStore& settings)
{
    const QJsonValue value = settings.value(QStringLiteral("historyLimit"));
    if (!value.isDouble()) return kDefaultHistoryLimit;
    const double number = value.toDouble();
    if (std::trunc(number) != number || number < INT_MIN || number > INT_MAX) return kDefaultHistoryLimit;
    return static_cast<int>(number);
}

HistoryStore::HistoryStore(const QString& directory, QObject* parent)
    : QObject(parent),
      m_directory(directory.isEmpty() ? defaultDirectory() : directory),
      m_queue(std::make_unique<platform::SerialQueue>("io.klipoversa.history"))
{
    m_thumbnails.setMaxCost(kThumbnailCacheEntries);
    m_queue->async([this] {
        loadIfNeeded();
        publish();
    });
}

HistoryStore::~HistoryStore()
{
    // Let queued saves finish while every member is still alive; their
    // main-thread parts check that the store still exists.
    m_queue.reset();
}

QString HistoryStore::pathOf(const QString& name) const { return m_directory + QLatin1Char('/') + name; }

QString HistoryStore::indexPath() const { return pathOf(QStringLiteral("index.json")); }

// ---- queue-side steps ------------------------------------------------------

void HistoryStore::loadIfNeeded()
{
    if (m_isLoaded) return;
    m_isLoaded = true;
    m_access = std::make_unique<storefiles::WriteAccess>(m_directory);
    m_folderIsLinked = historyfolder::isLinked(m_directory);
    if (m_access->mayWrite()) {
        platform::safefile::makePrivateFolder(m_directory);
        historyfolder::removeLeftoverTemporaries(m_directory);
    }
    const bool indexRead = readIndex();
    if (m_access->mayWrite() && !m_indexBlocked) bringBackCutShortRecords();
    if (anyDamaged(m_cache)) m_lostToDamage = true;
    tellOfDamagedRecords();
    // Housekeeping after the list is out: queued behind the work that is
    // already waiting, and it sees every record saved up to then. Only after
    // an index was read whole: without one every image would look orphaned.
    if (indexRead) m_queue->async([this] { removeOrphanImages(); });
}

bool HistoryStore::readIndex()
{
    const platform::safefile::ReadResult read = storefiles::readStoreFile(indexPath());
    if (read.status == platform::safefile::ReadStatus::Missing) return false;
    if (!read.ok() || read.data.isEmpty()) {
        // An index that is there but empty or unreadable says nothing about the
        // images beside it: keep it and them.
        m_lostToDamage = true;
        setAsideUnusableIndex(read.ok() ? QStringLiteral("文件是空的") : read.error);
        return false;
    }
    std::optional<historyindex::Decoded> decoded = historyindex::decode(read.data);
    if (!decoded) {
        recoverFromDamagedIndex(read.data);
        return false;
    }
    QList<HistoryRecord> records = std::move(decoded->records);
    settleLoaded(records);
    m_cache = std::move(records);
    m_documentOthers = std::move(decoded->others);
    return true;
}

void HistoryStore::bringBackCutShortRecords()
{
    QList<HistoryRecord> back;
    const std::optional<HistoryRecord> cut = historyrescue::unfinishedSave(m_directory, imageNamesOf(m_cache));
    if (cut) back.append(*cut);
    historyrescue::Found found;
    if (historyfolder::hasMovedAsideIndex(m_directory)) {
        found = historyrescue::recordsOnlyInMovedAsideIndexes(m_directory, imageNamesOf(m_cache + back));
        back.append(found.records);
    }
    if (back.isEmpty()) return;
    QList<HistoryRecord> updated = m_cache + back;
    settleLoaded(updated);
    // Shown in any case; when the index cannot be written (told), they are
    // found again at the next start.
    const bool stored = writeIndex(updated);
    m_cache = std::move(updated);
    if (cut) {
        if (stored) historyrescue::forgetSave(m_directory);
        platform::storagealerts::report(QStringLiteral("上次没有保存完的 1 条历史记录已找回"),
                                        QStringLiteral("保存时程序被中断，图片和文字都已重新加入历史记录"));
    }
    if (!found.records.isEmpty()) {
        platform::storagealerts::report(QStringLiteral("已找回 %1 条历史记录").arg(found.records.size()),
                                        QStringLiteral("它们只记在修复时移开的索引 %1 中，已重新加入历史记录")
                                            .arg(found.from.join(QStringLiteral("、"))));
    }
}

void HistoryStore::setAsideUnusableIndex(const QString& reason)
{
    m_indexBlocked = true;
    // A store that only reads renames nothing: the writer owns the folder.
    if (!m_access->mayWrite()) return;
    const QString aside = storefiles::moveAside(indexPath(), QStringLiteral("index-broken-"), QStringLiteral(".json"));
    if (!aside.isEmpty()) {
        m_indexBlocked = false;
        platform::storagealerts::reportMovedAside(QStringLiteral("历史记录索引"), reason, aside);
        return;
    }
    platform::storagealerts::report(QStringLiteral("历史记录索引无法使用：%1").arg(reason),
                                    QStringLiteral("原文件无法移开，本次运行中的历史记录不会保存"));
}

void HistoryStore::recoverFromDamagedIndex(const QByteArray& data)
{
    historyindex::Salvaged salvaged = historyindex::salvage(data);
    if (salvaged.lost > 0 || salvaged.records.isEmpty()) m_lostToDamage = true;
    if (salvaged.records.isEmpty()) {
        setAsideUnusableIndex(QStringLiteral("内容已损坏"));
        return;
    }
    // Every record that can still be read comes back; the damaged file stays
    // beside the new index for anything that could not.
    QList<HistoryRecord> records = std::move(salvaged.records);
    settleLoaded(records);
    m_cache = std::move(records);
    if (!m_access->mayWrite()) return;  // a store that only reads shows what it can; the writer repairs
    // The damaged index is copied aside before the repaired one replaces it:
    // a kill at any step leaves a whole index under its name (the damaged one,
    // repaired again at the next start, or the repaired one), and the damaged
    // bytes kept.
    const QString aside =
        storefiles::copyAside(indexPath(), data, QStringLiteral("index-broken-"), QStringLiteral(".json"));
    if (aside.isEmpty()) {
        m_indexBlocked = true;
        platform::storagealerts::report(QStringLiteral("历史记录索引无法使用：内容已损坏"),
                                        QStringLiteral("损坏的原文件无法另存，本次运行中的历史记录不会保存"));
        return;
    }
    if (!writeIndex(m_cache)) return;  // told; repaired again at the next start
    QString detail = QStringLiteral("损坏的原文件保留在 %1").arg(QDir::toNativeSeparators(aside));
    if (salvaged.lost > 0) detail = QStringLiteral("另有 %1 条无法读取；").arg(salvaged.lost) + detail;
    platform::storagealerts::report(QStringLiteral("历史记录索引已损坏，已找回 %1 条记录").arg(m_cache.size()), detail);
}

void HistoryStore::tellOfDamagedRecords()
{
    const QString notePath = pathOf(historyfolder::kDamageNoteName);
    const QSet<QString> toldBefore = historydamage::readNoted(notePath);
    const historydamage::Check check = historydamage::check(m_cache, toldBefore);
    if (check.untold > 0) {
        platform::storagealerts::report(QStringLiteral("有 %1 条历史记录无法读取").arg(check.untold),
                                        QStringLiteral("已原样保留，可在历史记录中删除"));
    }
    if (check.untoldValues > 0) {
        platform::storagealerts::report(QStringLiteral("有 %1 条历史记录的部分内容无法读取").arg(check.untoldValues),
                                        QStringLiteral("无法读取的内容已原样保留在索引文件中"));
    }
    // Only the writer keeps the note; a failed write tells again next time.
    if (m_access->mayWrite() && check.noted != toldBefore) historydamage::writeNoted(notePath, check.noted);
}

void HistoryStore::tellOfUnconfirmedLimit(int limit)
{
    if (m_toldOfUnconfirmedLimit) return;
    m_toldOfUnconfirmedLimit = true;
    platform::storagealerts::report(
        QStringLiteral("历史记录已超过保留条数（%1 条），旧记录没有删除").arg(limit),
        QStringLiteral("这个条数不是在本机选定的（来自备份、设置文件损坏后恢复的默认值，或设置文件中的值无法读取）。"
                       "请到「设置 › 历史」确认保留条数，确认后才会删除最旧的记录"));
}

void HistoryStore::sweepOnceUndamaged(const QList<HistoryRecord>& gone)
{
    if (anyDamaged(gone) && !anyDamaged(m_cache)) removeOrphanImages();
}

void HistoryStore::removeOrphanImages()
{
    // Only the writer sweeps, and only while every record's image names could
    // be read: a damaged record may name any image. A linked folder is never
    // swept: an image no record names there may be any of the user's.
    if (!m_access->mayWrite() || m_indexBlocked || anyDamaged(m_cache) || m_folderIsLinked) return;
    // A moved-aside index may still name images that the current one does not:
    // they stay until the user clears the history. So do the images of a save
    // whose record could not be brought back yet.
    if (historyfolder::hasMovedAsideIndex(m_directory) || historyrescue::hasNotedSave(m_directory)) return;
    historyfolder::removeOrphanImages(m_directory, imageNamesOf(m_cache));
}

bool HistoryStore::mayChange()
{
    if (!m_access->mayWrite()) {
        m_access->reportReadOnlyOnce(what());
        return false;
    }
    if (m_indexBlocked) {
        platform::storagealerts::reportNotSaved(what(), QStringLiteral("原索引文件无法读取，也无法移开"));
        return false;
    }
    return true;
}

bool HistoryStore::writeIndex(const QList<HistoryRecord>& records)
{
    if (!mayChange()) return false;
    const platform::safefile::WriteResult written =
        storefiles::writeStoreFile(indexPath(), historyindex::encode(records, m_documentOthers));
    if (!written) platform::storagealerts::reportNotSaved(what(), written.error);
    return bool(written);
}

void HistoryStore::deleteFiles(const QList<HistoryRecord>& gone)
{
    // Names come from the index file: only plain PNG names inside the folder
    // are ever removed, and none that a remaining record still shows.
    const QSet<QString> stillNamed = imageNamesOf(m_cache);
    auto remove = [&](const QString& name) {
        if (historyindex::isSafeFileName(name) && historyfolder::isPngName(name) && !stillNamed.contains(name))
            QFile::remove(pathOf(name));
    };
    for (const HistoryRecord& record : gone) {
        remove(record.imageName);
        if (record.originalImageName) remove(*record.originalImageName);
        forgetThumbnails(record.id);
    }
}

void HistoryStore::forgetThumbnails(const QUuid& id)
{
    const QString prefix = HistoryRecord::idText(id) + QLatin1Char('-');
    QMutexLocker lock(&m_thumbnailMutex);
    const QList<QString> keys = m_thumbnails.keys();
    for (const QString& key : keys) {
        if (key.startsWith(prefix)) m_thumbnails.remove(key);
    }
}

void HistoryStore::publish()
{
    QPointer<HistoryStore> self(this);
    runOnMain([self, records = m_cache] {
        if (!self) return;
        self->m_records = records;
        Q_EMIT self->recordsChanged();
        platform::NotificationCenter::shared().post(didChangeNotification,
                                                    {{QStringLiteral("object"), QVariant::fromValue<QObject*>(self)}});
    });
}

// ---- public operations -----------------------------------------------------

void HistoryStore::save(const QImage& composedImage, const std::optional<QImage>& originalImage,
                        const QString& originalText, const QString& translatedText, const QString& targetLanguage,
                        SaveCompletion completion)
{
    std::optional<QFuture<QByteArray>> originalPng;
    if (originalImage) originalPng = QtConcurrent::run([image = *originalImage] { return historyimages::pngData(image); });
    saveRecord(composedImage, std::move(originalPng), originalText, translatedText, targetLanguage,
               std::move(completion));
}

void HistoryStore::save(const QImage& composedImage, QFuture<QByteArray> originalPng, const QString& originalText,
                        const QString& translatedText, const QString& targetLanguage, SaveCompletion completion)
{
    saveRecord(composedImage, std::move(originalPng), originalText, translatedText, targetLanguage,
               std::move(completion));
}

void HistoryStore::saveRecord(const QImage& composedImage, std::optional<QFuture<QByteArray>> originalPng,
                              const QString& originalText, const QString& translatedText,
                              const QString& targetLanguage, SaveCompletion completion)
{
    m_queue->async([=, this] {
        const std::optional<HistoryRecord> none;
        loadIfNeeded();
        if (!mayChange()) return callBackOnMain(completion, none);
        platform::safefile::makePrivateFolder(m_directory);

        HistoryRecord record;
        record.id = QUuid::createUuid();
        record.imageName = record.idText() + QStringLiteral(".png");
        record.date = QDateTime::currentDateTimeUtc();
        record.originalText = originalText;
        record.translatedText = translatedText;
        record.targetLanguage = targetLanguage;
        const QString sourceName = record.idText() + QStringLiteral("-src.png");
        // The record is noted before its images are written: a kill before the
        // index names them brings it back at the next start.
        HistoryRecord noted = record;
        if (originalPng) noted.originalImageName = sourceName;
        if (QString error; !historyrescue::noteSave(m_directory, noted, &error)) {
            platform::storagealerts::reportNotSaved(what(), error);
            return callBackOnMain(completion, none);
        }
        // The two images are encoded and written side by side (each write
        // waits for the disk); the index names them once both are stored.
        QFuture<bool> sourceStored;
        if (originalPng)
            sourceStored = QtConcurrent::run([png = *originalPng, path = pathOf(sourceName)] {
                const QByteArray data = png.result();
                return !data.isEmpty() && bool(storefiles::writeStoreFile(path, data));
            });
        // A record that is not kept leaves no image behind, and no note.
        const auto undo = [&] {
            if (originalPng && sourceStored.result()) QFile::remove(pathOf(sourceName));
            historyrescue::forgetSave(m_directory);
            return callBackOnMain(completion, none);
        };
        const QByteArray png = historyimages::pngData(composedImage);
        if (png.isEmpty()) return undo();
        if (const auto written = storefiles::writeStoreFile(pathOf(record.imageName), png); !written) {
            platform::storagealerts::reportNotSaved(what(), written.error);
            return undo();
        }
        if (originalPng && sourceStored.result()) record.originalImageName = sourceName;
        record.date = QDateTime::currentDateTimeUtc();

        QList<HistoryRecord> updated = m_cache;
        updated.prepend(record);
        QList<HistoryRecord> trimmed;
        const int limit = historyLimitSetting();
        if (limit >= 1 && updated.size() > limit) {
            if (historylimit::isConfirmed(platform::SettingsStore::shared())) {
                trimmed = updated.mid(limit);
                updated.resize(limit);
            } else {
                tellOfUnconfirmedLimit(limit);
            }
        }
        // The index goes first: an image is removed only once no stored index
        // names it, and a record whose index entry could not be stored is undone.
        if (!writeIndex(updated)) {
            QFile::remove(pathOf(record.imageName));
            return undo();
        }
        historyrescue::forgetSave(m_directory);
        m_cache = std::move(updated);
        deleteFiles(trimmed);
        sweepOnceUndamaged(trimmed);
        publish();
        callBackOnMain(completion, std::optional<HistoryRecord>(record));
    });
}

void HistoryStore::updateText(const QUuid& id, const QString& originalText, std::function<void(bool)> completion)
{
    m_queue->async([=, this] {
        loadIfNeeded();
        qsizetype index = 0;
        while (index < m_cache.size() && m_cache.at(index).id != id) ++index;
        // A damaged record is kept as it was, and a text that could not be read
        // is not written over.
        if (index == m_cache.size() || m_cache.at(index).isDamaged() ||
            (m_cache.at(index).unreadable & HistoryRecord::OriginalTextField) ||
            m_cache.at(index).originalText == originalText)
            return callBackOnMain(completion, false);
        QList<HistoryRecord> updated = m_cache;
        updated[index].originalText = originalText;
        if (!writeIndex(updated)) return callBackOnMain(completion, false);
        m_cache = std::move(updated);
        publish();
        callBackOnMain(completion, true);
    });
}

bool HistoryStore::hasRecordsLostToDamage()
{
    bool lost = false;
    m_queue->sync([&] {
        loadIfNeeded();
        lost = m_lostToDamage;
    });
    return lost;
}

QList<HistoryRecord> HistoryStore::allRecords()
{
    QList<HistoryRecord> copy;
    m_queue->sync([&] {
        loadIfNeeded();
        copy.reserve(m_cache.size());
        for (const HistoryRecord& record : std::as_const(m_cache))
            if (!record.isDamaged()) copy.append(record);
    });
    return copy;
}

std::optional<QSet<QUuid>> HistoryStore::recordIdsIfIntact()
{
    std::optional<QSet<QUuid>> ids;
    m_queue->sync([&] {
        loadIfNeeded();
        if (m_indexBlocked || m_lostToDamage || !QFileInfo::exists(indexPath())) return;
        ids.emplace();
        ids->reserve(m_cache.size());
        for (const HistoryRecord& record : std::as_const(m_cache)) ids->insert(record.id);
    });
    return ids;
}

void HistoryStore::loadImage(const HistoryRecord& record, std::function<void(QImage)> completion)
{
    const QString name = record.imageName;
    m_queue->async([=, this] {
        QImage image;
        if (historyindex::isSafeFileName(name)) image = historyimages::readImage(pathOf(name));
        callBackOnMain(completion, image);
    });
}

void HistoryStore::loadThumbnail(const HistoryRecord& record, int maxPixel, std::function<void(QImage)> completion)
{
    const QString key = record.idText() + QLatin1Char('-') + QString::number(maxPixel);
    {
        QMutexLocker lock(&m_thumbnailMutex);
        if (const QImage* cached = m_thumbnails.object(key)) {
            const QImage image = *cached;
            lock.unlock();
            if (completion) completion(image);
            return;
        }
    }
    const QString name = record.imageName;
    m_queue->async([=, this] {
        QImage image;
        if (historyindex::isSafeFileName(name)) image = historyimages::makeThumbnail(pathOf(name), maxPixel);
        if (!image.isNull()) {
            QMutexLocker lock(&m_thumbnailMutex);
            m_thumbnails.insert(key, new QImage(image), 1);
        }
        callBackOnMain(completion, image);
    });
}

void HistoryStore::deleteRecords(const QList<QUuid>& ids, std::function<void(bool)> completion)
{
    m_queue->async([=, this] {
        loadIfNeeded();
        const QSet<QUuid> wanted(ids.begin(), ids.end());
        QList<HistoryRecord> kept;
        QList<HistoryRecord> removed;
        for (const HistoryRecord& record : std::as_const(m_cache))
            (wanted.contains(record.id) ? removed : kept).append(record);
        if (removed.isEmpty()) return callBackOnMain(completion, true);
        if (!writeIndex(kept)) return callBackOnMain(completion, false);
        m_cache = std::move(kept);
        deleteFiles(removed);
        sweepOnceUndamaged(removed);
        publish();
        callBackOnMain(completion, true);
    });
}

void HistoryStore::removeAll(std::function<void()> completion)
{
    m_queue->async([=, this] {
        loadIfNeeded();
        if (!m_access->mayWrite()) {
            m_access->reportReadOnlyOnce(what());
            if (completion) runOnMain(completion);
            return;
        }
        // In a linked folder only what a record of ours names goes, the records
        // of moved-aside indexes included.
        QSet<QString> named = imageNamesOf(m_cache);
        if (m_folderIsLinked) named.unite(historyrescue::imageNamesInMovedAsideIndexes(m_directory));
        historyfolder::clear(m_directory, named, m_folderIsLinked);
        m_cache.clear();
        m_documentOthers = {};
        {
            QMutexLocker lock(&m_thumbnailMutex);
            m_thumbnails.clear();
        }
        m_indexBlocked = false;
        platform::safefile::makePrivateFolder(m_directory);
        writeIndex(m_cache);
        publish();
        if (completion) runOnMain(completion);
    });
}

void HistoryStore::totalSize(std::function<void(qint64)> completion)
{
    m_queue->async([=, this] { callBackOnMain(completion, historyimages::folderSize(m_directory)); });
}

}  // namespace klipo

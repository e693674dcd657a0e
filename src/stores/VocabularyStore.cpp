#include "stores/VocabularyStore.h"

#include "platform/MainThreadSingleton.h"

#include "platform/NotificationCenter.h"
#include "platform/SafeFileLeftovers.h"
#include "platform/SerialQueue.h"
#include "platform/StorageAlerts.h"
#include "stores/HistoryRecord.h"
#include "stores/StoreFiles.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSet>

#include <algorithm>

namespace klipo {

VocabularyStore& VocabularyStore::shared() { return platform::mainThreadSingleton<VocabularyStore>(); }

VocabularyStore::VocabularyStore(const QString& directory, QObject* parent)
    : QObject(parent),
      m_directory(directory.isEmpty() ? storefiles::defaultDataDirectory() : directory),
      m_ioQueue(std::make_unique<platform::SerialQueue>("io.klipoversa.vocabulary"))
{
    m_ioQueue->async([this] {
        Book copy;
        quint64 generation;
        {
            std::lock_guard lock(m_lock);
            loadLocked();
            copy = m_words;
            generation = m_generation;
        }
        publish(copy, generation, false);
    });
}

VocabularyStore::~VocabularyStore() { m_ioQueue.reset(); }

QString VocabularyStore::filePath() const { return m_directory + QStringLiteral("/vocabulary.json"); }

namespace {
QString what() { return QStringLiteral("生词本"); }
const QLatin1String kPendingKey("recordIDs");
constexpr const char* kPendingName = ".vocabulary-detach-pending.json";

QSet<QString> idTexts(const QList<QUuid>& ids)
{
    QSet<QString> texts;
    texts.reserve(ids.size());
    for (const QUuid& id : ids) texts.insert(HistoryRecord::idText(id));
    return texts;
}
}  // namespace

QString VocabularyStore::pendingDetachPath() const
{
    return m_directory + QLatin1Char('/') + QLatin1String(kPendingName);
}

void VocabularyStore::loadLocked()
{
    if (m_isLoaded) return;
    m_isLoaded = true;
    ++m_generation;
    m_access = std::make_unique<storefiles::WriteAccess>(filePath());
    // Only the writer: another copy's write may be under way.
    if (m_access->mayWrite()) {
        platform::safefile::removeLeftoverTemporaries(m_directory, [](const QString& target) {
            return target == QLatin1String("vocabulary.json") || target == QLatin1String(kPendingName);
        });
        m_pendingAtLoad = storefiles::readTextSet(pendingDetachPath(), kPendingKey);
    }
    const platform::safefile::ReadResult read = storefiles::readStoreFile(filePath());
    if (read.status == platform::safefile::ReadStatus::Missing || (read.ok() && read.data.isEmpty())) return;
    if (read.ok()) {
        if (std::optional<Book> book = vocabularybook::decodeFile(read.data, QDateTime::currentDateTimeUtc())) {
            m_words = std::move(*book);
            return;
        }
    }
    const QString reason = read.ok() ? QStringLiteral("内容已损坏") : read.error;
    // Unreadable or undecodable: keep it under another name, or, when even
    // that fails (or another store owns the file), never write over it.
    m_writeBlocked = true;
    if (!m_access->mayWrite()) return;
    const QString aside =
        storefiles::moveAside(filePath(), QStringLiteral("vocabulary.corrupted-"), QStringLiteral(".json"));
    if (!aside.isEmpty()) {
        m_writeBlocked = false;
        platform::storagealerts::reportMovedAside(what(), reason, aside);
        return;
    }
    platform::storagealerts::report(QStringLiteral("%1无法使用：%2").arg(what(), reason),
                                    QStringLiteral("原文件无法移开，本次运行中的生词本更改不会保存"));
}

template <typename Change>
void VocabularyStore::mutate(Change change)
{
    Book copy;
    quint64 generation;
    {
        std::lock_guard lock(m_lock);
        loadLocked();
        if (!change(m_words)) return;
        copy = m_words;
        generation = ++m_generation;
    }
    commit(copy, generation);
}

void VocabularyStore::commit(const Book& copy, quint64 generation)
{
    // Changes made on several threads may queue their copies out of order:
    // only a copy newer than anything queued or written before goes to disk.
    quint64 newest = m_newestQueuedWrite.load();
    while (newest < generation && !m_newestQueuedWrite.compare_exchange_weak(newest, generation)) {
    }
    // Ranking and encoding run on the queue, so a change costs its caller
    // only the change itself.
    m_ioQueue->async([this, copy, generation] {
        publish(copy, generation, true);
        if (generation < m_newestQueuedWrite.load() || generation <= m_newestWritten) return;
        m_newestWritten = generation;
        write(copy);
    });
}

void VocabularyStore::write(const Book& copy)
{
    m_lastWriteFailed = true;
    if (!m_access->mayWrite()) return m_access->reportReadOnlyOnce(what());
    if (m_writeBlocked) return;  // told at the load
    const platform::safefile::WriteResult written =
        storefiles::writeStoreFile(filePath(), vocabularybook::encodeFile(copy));
    m_lastWriteFailed = !written;
    if (!written) platform::storagealerts::reportNotSaved(what(), written.error);
}

void VocabularyStore::publish(const Book& copy, quint64 generation, bool notify)
{
    QList<VocabularyWord> top = vocabularybook::ranked(copy, vocabularybook::kPublishedLimit);
    const Summary summary = vocabularybook::summarize(copy);
    QPointer<VocabularyStore> self(this);
    platform::runOnMain([self, top = std::move(top), summary, generation, notify] {
        if (!self) return;
        // A copy older than the one shown already (queued out of order) is not
        // shown; its change is still announced.
        if (generation > self->m_publishedGeneration) {
            self->m_publishedGeneration = generation;
            self->m_topWords = top;
            self->m_stats = summary;
            Q_EMIT self->changed();
        }
        if (notify)
            platform::NotificationCenter::shared().post(
                didChangeNotification, {{QStringLiteral("object"), QVariant::fromValue<QObject*>(self)}});
    });
}

VocabularyStore::IngestResult VocabularyStore::ingest(const QStringList& texts, const QString& recordID,
                                                      const QDateTime& at)
{
    const QList<VocabularyExtractor::Token> tokens = VocabularyExtractor::extract(texts.join(u'\n'), m_options);
    if (tokens.isEmpty()) return {};
    const QHash<QString, vocabularybook::Tally> tallies = vocabularybook::fold(tokens);

    const QDateTime seen = at.isValid() ? at : QDateTime::currentDateTimeUtc();
    IngestResult result;
    Book copy;
    quint64 generation;
    {
        std::lock_guard lock(m_lock);
        loadLocked();
        result = vocabularybook::apply(m_words, tallies, recordID, seen);
        vocabularybook::prune(m_words);
        copy = m_words;
        generation = ++m_generation;
    }
    vocabularybook::sortResult(result);
    commit(copy, generation);
    return result;
}

void VocabularyStore::detachRecord(const QString& recordID) { detach({recordID}, true, {recordID}); }

void VocabularyStore::detachRecords(const QList<QUuid>& recordIDs)
{
    if (recordIDs.isEmpty()) return;
    const QSet<QString> ids = idTexts(recordIDs);
    detach(ids, false, ids);
}

void VocabularyStore::detach(const QSet<QString>& recordIDs, bool firstOnly, const QSet<QString>& settled)
{
    Book copy;
    quint64 generation = 0;  // none: nothing changed
    {
        std::lock_guard lock(m_lock);
        loadLocked();
        if (vocabularybook::detach(m_words, recordIDs, firstOnly)) {
            copy = m_words;
            generation = ++m_generation;
        }
    }
    if (generation != 0) commit(copy, generation);
    m_ioQueue->async([this, settled, generation] {
        // While the file may still hold the records' words, the note stays
        // for the next launch to settle.
        if (generation != 0 && (m_newestWritten < generation || m_lastWriteFailed)) return;
        changePendingNote({}, settled);
    });
}

void VocabularyStore::noteDetachPending(const QList<QUuid>& recordIDs, std::function<void()> then)
{
    m_ioQueue->async([this, ids = idTexts(recordIDs), then = std::move(then)] {
        changePendingNote(ids, {});
        if (then) platform::runOnMain(then);
    });
}

void VocabularyStore::cancelDetachPending(const QList<QUuid>& recordIDs)
{
    m_ioQueue->async([this, ids = idTexts(recordIDs)] { changePendingNote({}, ids); });
}

void VocabularyStore::settlePendingDetaches(const QSet<QString>& historyRecordIDs)
{
    QSet<QString> noted;
    {
        std::lock_guard lock(m_lock);
        loadLocked();
        noted = std::exchange(m_pendingAtLoad, {});
    }
    if (noted.isEmpty()) return;
    QSet<QString> deleted;
    for (const QString& id : std::as_const(noted))
        if (!historyRecordIDs.contains(id)) deleted.insert(id);
    detach(deleted, false, noted);
}

void VocabularyStore::changePendingNote(const QSet<QString>& add, const QSet<QString>& remove)
{
    {
        std::lock_guard lock(m_lock);
        loadLocked();
    }
    if (!m_access->mayWrite()) return;
    const QString path = pendingDetachPath();
    const QSet<QString> before = storefiles::readTextSet(path, kPendingKey);
    QSet<QString> after = before;
    after.unite(add);
    after.subtract(remove);
    if (after != before) storefiles::writeTextSet(path, kPendingKey, after);
}

void VocabularyStore::setDefinitions(const QHash<QString, QString>& definitions,
                                     const std::optional<QString>& language)
{
    if (definitions.isEmpty()) return;
    mutate([&](Book& book) { return vocabularybook::setDefinitions(book, definitions, language); });
}

void VocabularyStore::removeWord(const QString& word)
{
    const QString key = word.toLower();
    mutate([&](Book& book) { return book.remove(key) > 0; });
}

void VocabularyStore::setMastered(bool mastered, const QString& word)
{
    const QString key = word.toLower();
    mutate([&](Book& book) {
        auto found = book.find(key);
        if (found == book.end()) return false;
        found->isMastered = mastered;
        return true;
    });
}

int VocabularyStore::mergeFromBackup(const QList<VocabularyWord>& words, vocabularybook::MergeReport* report)
{
    int added = 0;
    mutate([&](Book& book) {
        added = vocabularybook::merge(book, words, report);
        return true;
    });
    return added;
}

void VocabularyStore::removeAll()
{
    mutate([](Book& book) {
        book.clear();
        return true;
    });
}

QList<VocabularyWord> VocabularyStore::masteredWords()
{
    QList<VocabularyWord> all = words();
    all.removeIf([](const VocabularyWord& w) { return !w.isMastered; });
    std::sort(all.begin(), all.end(), vocabularybook::ranksBefore);
    return all;
}

QList<VocabularyWord> VocabularyStore::words()
{
    Book copy;
    {
        std::lock_guard lock(m_lock);
        loadLocked();
        copy = m_words;
    }
    return copy.values();
}

bool VocabularyStore::flush()
{
    bool failed = false;
    m_ioQueue->sync([&] { failed = m_lastWriteFailed; });
    return !failed;
}

}  // namespace klipo

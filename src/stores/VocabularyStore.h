#pragma once

#include "stores/VocabularyBook.h"
#include "stores/VocabularyExtractor.h"
#include "stores/VocabularyWord.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace klipo {

namespace platform {
class SerialQueue;
}
namespace storefiles {
class WriteAccess;
}

// The vocabulary book: English words that recur in translated text, counted
// per history record, kept in "vocabulary.json". Every operation may be called
// from any thread; the book is guarded by the store's lock, the file is written
// whole on the serial queue "io.klipoversa.vocabulary", and the main thread
// sees the ranked topWords() and stats(), told by changed() and the
// notification "KlipoVersa.vocabularyStoreDidChange".
//
// The file on disk is always the newest book: a write is skipped when a newer
// copy has already been queued or written. A file that cannot be read or
// decoded is moved aside ("vocabulary.corrupted-<seconds>.json") before
// anything could overwrite it, and the user is told; so is a write that fails
// (the old file then stays as it was). Only the first store on the file, in
// any process, writes it; a later one keeps its changes in memory only.
class VocabularyStore : public QObject {
    Q_OBJECT
public:
    using Summary = VocabularySummary;
    using IngestResult = VocabularyIngestResult;

    static inline const QString didChangeNotification = QStringLiteral("KlipoVersa.vocabularyStoreDidChange");

    // The process-wide store over the default folder, created on first use.
    static VocabularyStore& shared();

    // A store over `directory` (the program's data folder when empty). The
    // first load is queued at once.
    explicit VocabularyStore(const QString& directory = {}, QObject* parent = nullptr);
    ~VocabularyStore() override;  // finishes the queued writes first

    QString directory() const { return m_directory; }
    QString filePath() const;
    platform::SerialQueue& ioQueue() { return *m_ioQueue; }

    // Counts the words of `texts` into the book with `recordID` (the history
    // record's idText(), may be empty) as their source.
    IngestResult ingest(const QStringList& texts, const QString& recordID, const QDateTime& at);

    void detachRecord(const QString& recordID);
    void detachRecords(const QList<QUuid>& recordIDs);

    // Records about to be deleted from the history are noted first, in a
    // small file beside the book (".vocabulary-detach-pending.json"); `then`
    // runs on the main thread once the note is stored (or could not be). A
    // detach of the records clears the note once the book without their
    // words is on disk, so a run killed in between leaves the note behind.
    void noteDetachPending(const QList<QUuid>& recordIDs, std::function<void()> then);
    // The records stay in the history after all: they leave the note.
    void cancelDetachPending(const QList<QUuid>& recordIDs);
    // At launch, with the ids (idText()) of every record of a history read
    // whole: of the records noted when the book was loaded, those the history
    // no longer holds give up their words as their deletion would have made
    // them; those it still holds were not deleted. The note is cleared.
    void settlePendingDetaches(const QSet<QString>& historyRecordIDs);
    // Stores trimmed definitions written in `language` (none: not known).
    void setDefinitions(const QHash<QString, QString>& definitions,
                        const std::optional<QString>& language = std::nullopt);
    void removeWord(const QString& word);
    void setMastered(bool mastered, const QString& word);
    // Returns how many of the words were new to the book; the book stays
    // within its limit (see vocabularybook::merge).
    int mergeFromBackup(const QList<VocabularyWord>& words, vocabularybook::MergeReport* report = nullptr);
    void removeAll();

    // Mastered words in ranking order, without limit.
    QList<VocabularyWord> masteredWords();
    // A copy of the whole book, in no particular order. Loads the file first,
    // so a reader never takes an unloaded book for an empty one.
    QList<VocabularyWord> words();

    // Waits until every write queued so far has finished. False when the
    // last of them failed: the file then holds an older book.
    bool flush();

    // Main thread only: the ranked words to learn (at most 500) and the summary.
    const QList<VocabularyWord>& topWords() const { return m_topWords; }
    const Summary& stats() const { return m_stats; }

Q_SIGNALS:
    void changed();

protected:
    using Book = vocabularybook::Book;

    // Queues the publication and the write of a changed book. Changes made on
    // several threads may arrive here out of order; only a copy newer than
    // every one queued or written before reaches the file.
    void commit(const Book& copy, quint64 generation);

private:

    // Runs `change` on the loaded book under the lock; when it reports a
    // change, the book is written and published.
    template <typename Change>
    void mutate(Change change);
    void loadLocked();
    // Detaches the records; once the book without them is on disk, `settled`
    // leave the pending note.
    void detach(const QSet<QString>& recordIDs, bool firstOnly, const QSet<QString>& settled);
    QString pendingDetachPath() const;
    // ioQueue: changes the pending note (only the writer keeps it).
    void changePendingNote(const QSet<QString>& add, const QSet<QString>& remove);
    void write(const Book& copy);
    // Hands the ranked words and the summary to the main thread.
    void publish(const Book& copy, quint64 generation, bool notify);

    const VocabularyExtractor::Options m_options{};
    QString m_directory;

    std::mutex m_lock;
    Book m_words;              // m_lock
    bool m_isLoaded = false;   // m_lock
    quint64 m_generation = 0;  // m_lock: counts changes of m_words
    QSet<QString> m_pendingAtLoad;  // m_lock: the records the note held when the book was loaded

    std::atomic<bool> m_writeBlocked{false};  // an unusable file could not be moved aside
    std::unique_ptr<storefiles::WriteAccess> m_access;  // made by the first load, under m_lock
    std::atomic<quint64> m_newestQueuedWrite{0};
    quint64 m_newestWritten = 0;  // ioQueue
    bool m_lastWriteFailed = false;  // ioQueue

    quint64 m_publishedGeneration = 0;  // main thread
    QList<VocabularyWord> m_topWords;   // main thread
    Summary m_stats;                    // main thread

    std::unique_ptr<platform::SerialQueue> m_ioQueue;
};

}  // namespace klipo

#pragma once

#include "stores/VocabularyExtractor.h"
#include "stores/VocabularyWord.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace klipo {

// The four numbers shown above the vocabulary book.
struct VocabularySummary {
    qint64 distinctCount = 0;
    qint64 totalOccurrences = 0;
    qint64 masteredCount = 0;
    qint64 definedCount = 0;

    friend bool operator==(const VocabularySummary&, const VocabularySummary&) = default;
};

// What one ingest counted.
struct VocabularyIngestResult {
    QStringList distinctWords;           // every key counted, ascending
    QStringList newWords;                // keys not in the book before, ascending
    QStringList wordsNeedingDefinition;  // the new keys, then known keys without definition; each ascending
    qint64 totalOccurrences = 0;         // tokens counted
};

// The vocabulary book's rules as plain operations on the map keyed by the
// normalized word. The store adds the lock, the file and the publishing.
namespace vocabularybook {

using Book = QHash<QString, VocabularyWord>;

constexpr int kMaximumSourcesPerWord = VocabularyWord::maximumSources;
constexpr int kMaximumWordCount = 20000;
constexpr int kPublishedLimit = 500;

// A token's count within one ingest, with the form to show.
struct Tally {
    QString display;
    qint64 count = 0;
};

// Folds tokens into one tally per key: the display is the first written form
// that differs from the key by case only, else the key itself.
QHash<QString, Tally> fold(const QList<VocabularyExtractor::Token>& tokens);

// Counts the tallies into the book with `recordID` (may be empty) as their
// source, seen at `at`. The result's lists are not sorted yet.
VocabularyIngestResult apply(Book& book, const QHash<QString, Tally>& tallies, const QString& recordID,
                             const QDateTime& at);
void sortResult(VocabularyIngestResult& result);

void appendSource(VocabularyWord& word, const QString& recordID, qint64 count, const QDateTime& date);

// A word the book lets go first when it is full: seen only once, without
// definition and not mastered.
bool isExpendable(const VocabularyWord& word);
// The keys of the book's expendable words, the one seen longest ago first.
QStringList expendableKeys(const Book& book);

// Removes the oldest words seen only once, without definition and not
// mastered, until the book holds at most kMaximumWordCount words.
void prune(Book& book);

// What matters more to the user of two words, for keeping one of them: a
// mastered word, then one with a definition, then the one seen more often,
// then the one seen later (the key decides the rest). Every word the book
// would prune matters less than every word it would keep.
bool mattersMore(const VocabularyWord& a, const VocabularyWord& b);

// Removes the record ids from every word's sources and takes their counts
// off; a word left without occurrences goes unless it is mastered. With
// `firstOnly` only the first matching source of each word goes. True when any
// word lost a source.
bool detach(Book& book, const QSet<QString>& recordIDs, bool firstOnly);

// Sets trimmed definitions for known keys (any case), written in `language`
// (none when the caller does not know it); true when one changed.
bool setDefinitions(Book& book, const QHash<QString, QString>& definitions,
                    const std::optional<QString>& language = std::nullopt);

// The merge of an incoming word into a known one with the same key.
VocabularyWord mergedWord(const VocabularyWord& existing, const VocabularyWord& incoming);
// One word out of two entries with the same key: counts added, mastered when
// either is, the longer definition, the earliest and latest sightings and
// the sources of both.
VocabularyWord joinedDuplicates(const VocabularyWord& first, const VocabularyWord& second);
// How a merge met the book's limit.
struct MergeReport {
    int added = 0;      // words new to the book that it took
    int leftOut = 0;    // words new to the book that found no room
    int displaced = 0;  // expendable words of the book that made room for words that matter more
};
// Merges backup words into the book (keys matched in lower case); returns
// how many were new. Words the book holds take the incoming ones in; new
// words come in by what matters most while the book holds fewer than
// kMaximumWordCount words, and beyond that only words the book would keep
// come in, each in place of the expendable word seen longest ago. So a merge
// never grows the book past its limit, and never takes a word out that the
// book's own pruning would keep.
int merge(Book& book, const QList<VocabularyWord>& incoming, MergeReport* report = nullptr);
// Of words read from backups, keeps what a merge into a book holding
// `bookKeys` can take: every word with one of those keys, and of the others
// the `room` that matter most.
void keepMergeable(QList<VocabularyWord>& words, const QSet<QString>& bookKeys, qsizetype room);

// Ranking of the words to learn: count descending, then latest sighting, then key.
bool ranksBefore(const VocabularyWord& a, const VocabularyWord& b);
// Unmastered words with a count of at least 1, best first, at most `limit`.
QList<VocabularyWord> ranked(const Book& book, int limit);
VocabularySummary summarize(const Book& book);

// "vocabulary.json": {"version": 1, "words": [... by key]}.
QByteArray encodeFile(const Book& book);
// Nothing when the document lacks an integer "version", a "words" array, or a
// word lacks "normalized"; words with an empty key are dropped. Keys are
// taken in lower case, and entries that share one are joined into one word.
std::optional<Book> decodeFile(const QByteArray& data, const QDateTime& now);

}  // namespace vocabularybook

}  // namespace klipo

#pragma once

#include "stores/HistoryRecord.h"
#include "stores/VocabularyWord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <optional>

namespace klipo {

// The content of one computer's backup file: the text of every history
// record, every vocabulary word and three settings; no images.
struct CloudBackup {
    using Settings = QMap<QString, QString>;

    int version = 1;
    QDateTime date;
    QList<HistoryRecord> records;
    QList<VocabularyWord> words;
    Settings settings;
};

// The backup file's JSON form and the operations on backups that touch no
// file: {"date", "records", "settings", "version", "words"}, keys sorted in
// every object, dates in UTC with Z, "/" written as "\/".
namespace cloudbackup {

// The longest definition taken from another computer's word.
constexpr int kMaximumDefinitionLength = 1000;

// A backup's content encoded once for both the fingerprint and the file:
// records in the order given, words in key order, each list in chunks of a
// fixed number of items that are encoded and hashed side by side.
struct EncodedContent {
    QList<QByteArray> recordChunks;  // items of the "records" array, joined by ",\n"
    QList<QByteArray> wordChunks;
    QByteArray settings;  // the "settings" object
    QString fingerprint;  // see fingerprint()
};
EncodedContent encodeContent(const QList<HistoryRecord>& records, QList<VocabularyWord> words,
                             const CloudBackup::Settings& settings);

// The file body (version 1) written at `date`.
QByteArray encodeFile(const EncodedContent& content, const QDateTime& date);
QByteArray encodeFile(const CloudBackup& backup);

// How many of the words read from backups are kept while they are read for
// a merge into the book: every word the book holds, and of the others the
// `room` that matter most (vocabularybook::keepMergeable). Every word read,
// kept or not, is counted once by its key.
struct WordLimit {
    QSet<QString> bookKeys;
    qsizetype room = 0;

    void count(const QString& key) { m_seen.insert(hashOf(key)); }
    // Words read, each key once.
    qsizetype distinct() const { return m_seen.size(); }
    // Of those, the ones the book does not hold.
    qsizetype distinctNew() const;

private:
    // Keys are counted by a 64-bit hash (a clash among a million keys is
    // about one in ten million), a tenth of what the keys themselves take.
    static size_t hashOf(const QString& key);
    QSet<size_t> m_seen;
};

// Nothing when the data is not a JSON object with all five keys in their
// form (an integer "version", a date text, arrays of objects, text values in
// "settings"). Records decode as the history index's do; a word whose key is
// not one the vocabulary extractor could make is left out, and the others are
// held to the book's own bounds (see vetWord). The file is read one record
// and one word at a time, never as one document; with a limit, only the words
// it keeps are held.
std::optional<CloudBackup> decodeFile(const QByteArray& data, const QDateTime& now, WordLimit* limit = nullptr);

// Makes a word read from another computer fit the book: false when its key
// could never come from the extractor. The display becomes the key unless it
// is the key in other letter case; the definition is cut to
// kMaximumDefinitionLength; the sources are dropped unless every one names a
// record by its UUID.
bool vetWord(VocabularyWord& word);

// What automatic backup compares to tell that nothing changed: SHA-256 over
// the SHA-256 of each encoded chunk of records (in the order given), of the
// settings and of each chunk of words (in key order), as 64 lower-case hex
// digits. Neither date nor version counts.
QString fingerprint(const QList<HistoryRecord>& records, const QList<VocabularyWord>& words,
                    const CloudBackup::Settings& settings);

// `local` followed by the `cloud` records whose id it lacks, newest first
// (equal dates keep that order).
QList<HistoryRecord> mergeRecords(const QList<HistoryRecord>& local, const QList<HistoryRecord>& cloud);
// The vocabulary merge rule over two lists, in key order.
QList<VocabularyWord> mergeWords(const QList<VocabularyWord>& local, const QList<VocabularyWord>& cloud);
// Folds the next file's backup (in name order) into the accumulated one: its
// records and words are merged in; its date and settings replace the
// accumulated ones only when its date is strictly later.
// With a limit, the accumulated words are held to it afterwards.
void foldInto(CloudBackup& accumulated, const CloudBackup& next, const WordLimit* limit = nullptr);

// "yyyy-MM-dd HH:mm:ss" in local time.
QString chineseDateText(const QDateTime& date);

}  // namespace cloudbackup

}  // namespace klipo

#include "stores/VocabularyBook.h"

#include "stores/StoreFiles.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace klipo::vocabularybook {

namespace {

// True when the display's lower-case form is the key.
bool isFormOf(const QString& display, const QString& key)
{
    if (display == key) return true;
    return !display.isEmpty() && display.toLower() == key;
}

}  // namespace

QHash<QString, Tally> fold(const QList<VocabularyExtractor::Token>& tokens)
{
    QHash<QString, Tally> tallies;
    for (const VocabularyExtractor::Token& token : tokens) {
        Tally& tally = tallies[token.normalized];
        tally.count += 1;
        if (!isFormOf(tally.display, token.normalized))
            tally.display = isFormOf(token.display, token.normalized) ? token.display : token.normalized;
    }
    return tallies;
}

void appendSource(VocabularyWord& word, const QString& recordID, qint64 count, const QDateTime& date)
{
    if (recordID.isEmpty()) return;
    for (VocabularyWord::Source& source : word.sources) {
        if (source.recordID == recordID) {
            source.count = VocabularyWord::addCounts(source.count, count);
            source.date = date;
            return;
        }
    }
    word.sources.append({recordID, count, date});
    if (word.sources.size() > kMaximumSourcesPerWord)
        word.sources.remove(0, word.sources.size() - kMaximumSourcesPerWord);
}

VocabularyIngestResult apply(Book& book, const QHash<QString, Tally>& tallies, const QString& recordID,
                             const QDateTime& at)
{
    VocabularyIngestResult result;
    QStringList knownWithoutDefinition;
    for (auto it = tallies.constBegin(); it != tallies.constEnd(); ++it) {
        const QString& key = it.key();
        const Tally& tally = it.value();
        result.totalOccurrences += tally.count;
        result.distinctWords.append(key);
        auto found = book.find(key);
        if (found == book.end()) {
            VocabularyWord word;
            word.normalized = key;
            word.display = tally.display;
            word.count = std::min(tally.count, VocabularyWord::maximumCount);
            word.firstSeen = at;
            word.lastSeen = at;
            appendSource(word, recordID, tally.count, at);
            book.insert(key, word);
            result.newWords.append(key);
            continue;
        }
        VocabularyWord& word = *found;
        word.count = VocabularyWord::addCounts(word.count, tally.count);
        if (at > word.lastSeen) word.lastSeen = at;
        if (!isFormOf(word.display, key)) word.display = isFormOf(tally.display, key) ? tally.display : key;
        appendSource(word, recordID, tally.count, at);
        if (!word.hasDefinition()) knownWithoutDefinition.append(key);
    }
    // The new keys first, then the known ones; sortResult orders each group.
    result.wordsNeedingDefinition = result.newWords + knownWithoutDefinition;
    return result;
}

void sortResult(VocabularyIngestResult& result)
{
    // Plain UTF-16 order, the order of QString's operator<, without its
    // per-call overhead: these lists hold every word of a long text.
    const auto byCodeUnits = [](const QString& a, const QString& b) {
        return std::u16string_view(reinterpret_cast<const char16_t*>(a.constData()), size_t(a.size())) <
               std::u16string_view(reinterpret_cast<const char16_t*>(b.constData()), size_t(b.size()));
    };
    std::sort(result.distinctWords.begin(), result.distinctWords.end(), byCodeUnits);
    std::sort(result.newWords.begin(), result.newWords.end(), byCodeUnits);
    QStringList known = result.wordsNeedingDefinition.mid(result.newWords.size());
    std::sort(known.begin(), known.end(), byCodeUnits);
    result.wordsNeedingDefinition = result.newWords + known;
}

bool isExpendable(const VocabularyWord& word) { return !word.isMastered && !word.hasDefinition() && word.count < 2; }

QStringList expendableKeys(const Book& book)
{
    QList<const VocabularyWord*> candidates;
    for (const VocabularyWord& word : book) {
        if (isExpendable(word)) candidates.append(&word);
    }
    std::sort(candidates.begin(), candidates.end(), [](const VocabularyWord* a, const VocabularyWord* b) {
        if (a->lastSeen != b->lastSeen) return a->lastSeen < b->lastSeen;
        return a->normalized < b->normalized;
    });
    QStringList keys;
    keys.reserve(candidates.size());
    for (const VocabularyWord* word : std::as_const(candidates)) keys.append(word->normalized);
    return keys;
}

void prune(Book& book)
{
    if (book.size() <= kMaximumWordCount) return;
    const QStringList doomed = expendableKeys(book);
    const qsizetype excess = book.size() - kMaximumWordCount;
    for (qsizetype i = 0; i < doomed.size() && i < excess; ++i) book.remove(doomed.at(i));
}

bool mattersMore(const VocabularyWord& a, const VocabularyWord& b)
{
    if (a.isMastered != b.isMastered) return a.isMastered;
    const bool aDefined = a.hasDefinition();
    const bool bDefined = b.hasDefinition();
    if (aDefined != bDefined) return aDefined;
    if (a.count != b.count) return a.count > b.count;
    if (a.lastSeen != b.lastSeen) return a.lastSeen > b.lastSeen;
    return a.normalized < b.normalized;
}

bool detach(Book& book, const QSet<QString>& recordIDs, bool firstOnly)
{
    bool changed = false;
    QStringList emptied;
    for (auto it = book.begin(); it != book.end(); ++it) {
        VocabularyWord& word = it.value();
        qint64 removedCount = 0;
        bool removedAny = false;
        for (qsizetype i = 0; i < word.sources.size();) {
            if (recordIDs.contains(word.sources.at(i).recordID)) {
                removedCount += word.sources.at(i).count;
                word.sources.removeAt(i);
                removedAny = true;
                if (firstOnly) break;
            } else {
                ++i;
            }
        }
        if (!removedAny) continue;
        changed = true;
        word.count = std::max<qint64>(0, word.count - removedCount);
        word.lastSeen = word.sources.isEmpty() ? word.firstSeen : word.sources.last().date;
        if (word.count < 1 && !word.isMastered) emptied.append(it.key());
    }
    for (const QString& key : std::as_const(emptied)) book.remove(key);
    return changed;
}

bool setDefinitions(Book& book, const QHash<QString, QString>& definitions, const std::optional<QString>& language)
{
    bool changed = false;
    for (auto it = definitions.constBegin(); it != definitions.constEnd(); ++it) {
        const QString definition = it.value().trimmed();
        if (definition.isEmpty()) continue;
        auto found = book.find(it.key().toLower());
        if (found == book.end()) continue;
        if (found->definition == definition && found->definitionLanguage == language) continue;
        found->definition = definition;
        found->definitionLanguage = language;
        changed = true;
    }
    return changed;
}

VocabularyWord mergedWord(const VocabularyWord& existing, const VocabularyWord& incoming)
{
    VocabularyWord result = existing;
    result.count = std::max(existing.count, incoming.count);
    result.isMastered = existing.isMastered || incoming.isMastered;
    if (!existing.definition) {
        result.definition = incoming.definition;
        result.definitionLanguage = incoming.definitionLanguage;
    }
    if (incoming.firstSeen < existing.firstSeen) result.firstSeen = incoming.firstSeen;
    if (incoming.lastSeen >= existing.lastSeen) result.lastSeen = incoming.lastSeen;
    return result;
}

VocabularyWord joinedDuplicates(const VocabularyWord& first, const VocabularyWord& second)
{
    VocabularyWord result = first;
    result.count = VocabularyWord::addCounts(first.count, second.count);
    result.isMastered = first.isMastered || second.isMastered;
    const QString firstDefinition = first.definition.value_or(QString()).trimmed();
    if (second.definition && second.definition->trimmed().size() > firstDefinition.size()) {
        result.definition = second.definition;
        result.definitionLanguage = second.definitionLanguage;
    }
    if (second.firstSeen < first.firstSeen) result.firstSeen = second.firstSeen;
    if (second.lastSeen > first.lastSeen) result.lastSeen = second.lastSeen;
    if (!isFormOf(result.display, result.normalized) && isFormOf(second.display, result.normalized))
        result.display = second.display;
    // The second's sources in their order after the first's, so the newest
    // arrivals stay when the list is cut back.
    for (const VocabularyWord::Source& source : second.sources) {
        auto same = std::find_if(result.sources.begin(), result.sources.end(),
                                 [&](const VocabularyWord::Source& s) { return s.recordID == source.recordID; });
        if (same == result.sources.end()) {
            result.sources.append(source);
            continue;
        }
        same->count = VocabularyWord::addCounts(same->count, source.count);
        if (source.date > same->date) same->date = source.date;
    }
    if (result.sources.size() > kMaximumSourcesPerWord)
        result.sources.remove(0, result.sources.size() - kMaximumSourcesPerWord);
    return result;
}

int merge(Book& book, const QList<VocabularyWord>& incoming, MergeReport* report)
{
    // Words the book holds take the incoming ones in; new ones wait for room.
    QHash<QString, VocabularyWord> fresh;
    for (VocabularyWord word : incoming) {
        if (word.normalized.isEmpty()) continue;  // such a word could never be found or kept
        // Keys are lower case; one stored in capitals is the same word.
        word.normalized = word.normalized.toLower();
        if (auto found = book.find(word.normalized); found != book.end()) {
            *found = mergedWord(*found, word);
        } else if (auto same = fresh.find(word.normalized); same != fresh.end()) {
            *same = mergedWord(*same, word);
        } else {
            fresh.insert(word.normalized, std::move(word));
        }
    }
    QList<VocabularyWord> newcomers = fresh.values();
    fresh.clear();
    std::sort(newcomers.begin(), newcomers.end(), mattersMore);

    MergeReport result;
    qsizetype room = std::max<qsizetype>(0, kMaximumWordCount - book.size());
    QStringList expendable;
    qsizetype nextExpendable = 0;
    bool expendableListed = false;
    for (VocabularyWord& word : newcomers) {
        if (room > 0) {
            --room;
        } else if (!isExpendable(word)) {
            // Room made as the book's own pruning would make it.
            if (!expendableListed) {
                expendable = expendableKeys(book);
                expendableListed = true;
            }
            if (nextExpendable == expendable.size()) {
                ++result.leftOut;
                continue;
            }
            book.remove(expendable.at(nextExpendable++));
            ++result.displaced;
        } else {
            ++result.leftOut;
            continue;
        }
        book.insert(word.normalized, std::move(word));
        ++result.added;
    }
    if (report) *report = result;
    return result.added;
}

void keepMergeable(QList<VocabularyWord>& words, const QSet<QString>& bookKeys, qsizetype room)
{
    const auto known = std::stable_partition(
        words.begin(), words.end(), [&](const VocabularyWord& word) { return bookKeys.contains(word.normalized); });
    const qsizetype others = words.end() - known;
    if (others <= room) return;
    const auto keptEnd = known + std::max<qsizetype>(0, room);
    std::nth_element(known, keptEnd, words.end(), mattersMore);
    words.erase(keptEnd, words.end());
}

bool ranksBefore(const VocabularyWord& a, const VocabularyWord& b)
{
    if (a.count != b.count) return a.count > b.count;
    if (a.lastSeen != b.lastSeen) return a.lastSeen > b.lastSeen;
    return a.normalized < b.normalized;
}

QList<VocabularyWord> ranked(const Book& book, int limit)
{
    // Sort keys taken out once: comparing dates directly costs more than the sort.
    struct Entry {
        qint64 count;
        qint64 lastSeenMs;
        const VocabularyWord* word;
    };
    std::vector<Entry> candidates;
    candidates.reserve(book.size());
    for (const VocabularyWord& word : book) {
        if (word.count >= 1 && !word.isMastered)
            candidates.push_back({word.count, word.lastSeen.toMSecsSinceEpoch(), &word});
    }
    const auto less = [](const Entry& a, const Entry& b) {
        if (a.count != b.count) return a.count > b.count;
        if (a.lastSeenMs != b.lastSeenMs) return a.lastSeenMs > b.lastSeenMs;
        return a.word->normalized < b.word->normalized;
    };
    const size_t kept = std::min(candidates.size(), static_cast<size_t>(std::max(0, limit)));
    std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(kept), candidates.end(),
                      less);
    QList<VocabularyWord> result;
    result.reserve(static_cast<qsizetype>(kept));
    for (size_t i = 0; i < kept; ++i) result.append(*candidates[i].word);
    return result;
}

VocabularySummary summarize(const Book& book)
{
    VocabularySummary summary;
    summary.distinctCount = book.size();
    for (const VocabularyWord& word : book) {
        summary.totalOccurrences += word.count;
        if (word.isMastered) ++summary.masteredCount;
        if (word.hasDefinition()) ++summary.definedCount;
    }
    return summary;
}

QByteArray encodeFile(const Book& book)
{
    QStringList keys = book.keys();
    keys.sort();
    QJsonArray words;
    for (const QString& key : std::as_const(keys)) words.append(book.value(key).toJson());
    return storefiles::encodeVersionedArray(QLatin1String("words"), words);
}

std::optional<Book> decodeFile(const QByteArray& data, const QDateTime& now)
{
    const auto words = storefiles::decodeVersionedArray(data, QLatin1String("words"));
    if (!words) return std::nullopt;
    Book book;
    for (const QJsonValue& element : *words) {
        if (!element.isObject()) return std::nullopt;
        std::optional<VocabularyWord> word = VocabularyWord::fromJson(element.toObject(), now);
        if (!word) return std::nullopt;
        if (word->normalized.isEmpty()) continue;
        // A key written in capitals is the lower-case word every lookup asks
        // for, and a word written twice is one word: nothing of either is lost.
        word->normalized = word->normalized.toLower();
        auto found = book.find(word->normalized);
        if (found == book.end())
            book.insert(word->normalized, std::move(*word));
        else
            *found = joinedDuplicates(*found, *word);
    }
    return book;
}

}  // namespace klipo::vocabularybook

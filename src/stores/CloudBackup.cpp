#include "stores/CloudBackup.h"

#include "stores/IsoDate.h"
#include "stores/JsonSplit.h"
#include "stores/VocabularyBook.h"
#include "stores/VocabularyExtractor.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <climits>
#include <cmath>

namespace klipo::cloudbackup {

namespace {

const QLatin1String kVersion("version");
const QLatin1String kDate("date");
const QLatin1String kRecords("records");
const QLatin1String kWords("words");
const QLatin1String kSettings("settings");

bool isWholeNumber(const QJsonValue& value)
{
    return value.isDouble() && std::trunc(value.toDouble()) == value.toDouble();
}

}  // namespace

bool vetWord(VocabularyWord& word)
{
    const QString& key = word.normalized;
    // The extractor's keys are lower-case runs of Latin letters that pass its
    // length, vowel, repeat and stop-word tests; normalize() applies them all
    // once apostrophes (its contraction handling) are ruled out.
    if (key != key.toLower() || key.contains(u'\'') || key.contains(u'\u2019')) return false;
    if (!VocabularyExtractor::normalize(key)) return false;
    if (word.display.toLower() != key) word.display = key;
    if (word.definition && word.definition->size() > kMaximumDefinitionLength) {
        qsizetype cut = kMaximumDefinitionLength;
        if (word.definition->at(cut - 1).isHighSurrogate()) --cut;
        word.definition->truncate(cut);
    }
    for (VocabularyWord::Source& source : word.sources) {
        const std::optional<QUuid> id = parseUuid(source.recordID);
        if (!id) {
            word.sources.clear();
            break;
        }
        source.recordID = HistoryRecord::idText(*id);
    }
    return true;
}

namespace {

// Each element of the array must be an object.
bool forEachObject(QByteArrayView array, const std::function<bool(const QJsonObject&)>& take)
{
    return jsonsplit::forEachElement(array, [&](QByteArrayView text) {
        const std::optional<QJsonValue> value = jsonsplit::parse(text);
        return value && value->isObject() && take(value->toObject());
    });
}

}  // namespace

size_t WordLimit::hashOf(const QString& key) { return qHash(key, size_t(0x6b6c69706f)); }

qsizetype WordLimit::distinctNew() const
{
    qsizetype held = 0;
    for (const QString& key : bookKeys)
        if (m_seen.contains(hashOf(key))) ++held;
    return distinct() - held;
}

std::optional<CloudBackup> decodeFile(const QByteArray& data, const QDateTime& now, WordLimit* limit)
{
    // The members in their last place (as a document would take them); the
    // ones not used are still parsed, so that a broken file fails whole.
    QHash<QString, QByteArrayView> members;
    const bool wellFormed = jsonsplit::forEachMember(data, [&](const QString& key, QByteArrayView value) {
        if (key == kVersion || key == kDate || key == kRecords || key == kWords || key == kSettings) {
            members.insert(key, value);
            return true;
        }
        return jsonsplit::parse(value).has_value();
    });
    if (!wellFormed) return std::nullopt;
    for (const QLatin1String key : {kVersion, kDate, kRecords, kWords, kSettings})
        if (!members.contains(key)) return std::nullopt;

    const std::optional<QJsonValue> version = jsonsplit::parse(members.value(kVersion));
    const std::optional<QJsonValue> date = jsonsplit::parse(members.value(kDate));
    const std::optional<QJsonValue> settings = jsonsplit::parse(members.value(kSettings));
    if (!version || !isWholeNumber(*version) || !date || !date->isString() || !settings || !settings->isObject())
        return std::nullopt;
    CloudBackup backup;
    backup.version = int(std::clamp(version->toDouble(), double(INT_MIN), double(INT_MAX)));
    backup.date = isodate::parse(date->toString());
    if (!backup.date.isValid()) return std::nullopt;
    const QJsonObject settingsMap = settings->toObject();
    for (auto it = settingsMap.constBegin(); it != settingsMap.constEnd(); ++it) {
        if (!it.value().isString()) return std::nullopt;
        backup.settings.insert(it.key(), it.value().toString());
    }

    if (!forEachObject(members.value(kRecords), [&](const QJsonObject& object) {
            backup.records.append(HistoryRecord::fromJson(object));
            return true;
        }))
        return std::nullopt;

    // With a limit the list is cut back whenever it has grown by twice the room.
    const qsizetype cutAt = limit ? std::max<qsizetype>(2 * limit->room, 4096) : -1;
    qsizetype sinceCut = 0;
    if (!forEachObject(members.value(kWords), [&](const QJsonObject& object) {
            std::optional<VocabularyWord> word = VocabularyWord::fromJson(object, now);
            if (!word) return false;
            if (!vetWord(*word)) return true;
            if (limit) limit->count(word->normalized);
            backup.words.append(std::move(*word));
            if (limit && ++sinceCut >= cutAt) {
                vocabularybook::keepMergeable(backup.words, limit->bookKeys, limit->room);
                sinceCut = 0;
            }
            return true;
        }))
        return std::nullopt;
    if (limit) vocabularybook::keepMergeable(backup.words, limit->bookKeys, limit->room);
    return backup;
}

QList<HistoryRecord> mergeRecords(const QList<HistoryRecord>& local, const QList<HistoryRecord>& cloud)
{
    QList<HistoryRecord> merged = local;
    QSet<QUuid> ids;
    ids.reserve(local.size() + cloud.size());
    for (const HistoryRecord& record : local) ids.insert(record.id);
    for (const HistoryRecord& record : cloud) {
        if (ids.contains(record.id)) continue;
        ids.insert(record.id);
        merged.append(record);
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const HistoryRecord& a, const HistoryRecord& b) { return a.date > b.date; });
    return merged;
}

QList<VocabularyWord> mergeWords(const QList<VocabularyWord>& local, const QList<VocabularyWord>& cloud)
{
    QHash<QString, VocabularyWord> book;
    book.reserve(local.size() + cloud.size());
    for (const VocabularyWord& word : local) book.insert(word.normalized, word);
    for (const VocabularyWord& word : cloud) {
        auto found = book.find(word.normalized);
        if (found == book.end())
            book.insert(word.normalized, word);
        else
            *found = vocabularybook::mergedWord(*found, word);
    }
    QList<VocabularyWord> merged = book.values();
    std::sort(merged.begin(), merged.end(),
              [](const VocabularyWord& a, const VocabularyWord& b) { return a.normalized < b.normalized; });
    return merged;
}

void foldInto(CloudBackup& accumulated, const CloudBackup& next, const WordLimit* limit)
{
    accumulated.records = mergeRecords(accumulated.records, next.records);
    accumulated.words = mergeWords(accumulated.words, next.words);
    if (limit) vocabularybook::keepMergeable(accumulated.words, limit->bookKeys, limit->room);
    if (next.date > accumulated.date) {
        accumulated.date = next.date;
        accumulated.settings = next.settings;
    }
}

QString chineseDateText(const QDateTime& date)
{
    static const QLocale locale(QStringLiteral("zh_CN"));
    return locale.toString(date.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace klipo::cloudbackup

#include "stores/CloudBackup.h"

#include "stores/IsoDate.h"
#include "stores/VocabularyBook.h"
#include "stores/VocabularyExtractor.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
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

std::optional<CloudBackup> decodeFile(const QByteArray& data, const QDateTime& now)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue version = object.value(kVersion);
    const QJsonValue date = object.value(kDate);
    const QJsonValue records = object.value(kRecords);
    const QJsonValue words = object.value(kWords);
    const QJsonValue settings = object.value(kSettings);
    if (!isWholeNumber(version) || !date.isString() || !records.isArray() || !words.isArray() || !settings.isObject())
        return std::nullopt;

    CloudBackup backup;
    backup.version = int(std::clamp(version.toDouble(), double(INT_MIN), double(INT_MAX)));
    backup.date = isodate::parse(date.toString());
    if (!backup.date.isValid()) return std::nullopt;

    const QJsonArray recordArray = records.toArray();
    backup.records.reserve(recordArray.size());
    for (const QJsonValue& element : recordArray) {
        if (!element.isObject()) return std::nullopt;
        backup.records.append(HistoryRecord::fromJson(element.toObject()));
    }
    const QJsonArray wordArray = words.toArray();
    backup.words.reserve(wordArray.size());
    for (const QJsonValue& element : wordArray) {
        if (!element.isObject()) return std::nullopt;
        std::optional<VocabularyWord> word = VocabularyWord::fromJson(element.toObject(), now);
        if (!word) return std::nullopt;
        if (vetWord(*word)) backup.words.append(std::move(*word));
    }
    const QJsonObject settingsMap = settings.toObject();
    for (auto it = settingsMap.constBegin(); it != settingsMap.constEnd(); ++it) {
        if (!it.value().isString()) return std::nullopt;
        backup.settings.insert(it.key(), it.value().toString());
    }
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

void foldInto(CloudBackup& accumulated, const CloudBackup& next)
{
    accumulated.records = mergeRecords(accumulated.records, next.records);
    accumulated.words = mergeWords(accumulated.words, next.words);
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

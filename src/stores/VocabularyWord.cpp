#include "stores/VocabularyWord.h"

#include "stores/IsoDate.h"

#include <QJsonArray>
#include <QJsonValue>

#include <algorithm>
#include <cmath>

namespace klipo {

namespace {

// Counts are whole numbers, held to 0 ... maximumCount so that no sum of
// them can overflow; anything else (a fraction, text) counts as missing.
std::optional<qint64> countValue(const QJsonValue& value)
{
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    if (std::trunc(number) != number) return std::nullopt;
    return static_cast<qint64>(std::clamp(number, 0.0, double(VocabularyWord::maximumCount)));
}

QDateTime dateValue(const QJsonValue& value)
{
    return value.isString() ? isodate::parse(value.toString()) : QDateTime();
}

std::optional<VocabularyWord::Source> sourceFromJson(const QJsonValue& value)
{
    if (!value.isObject()) return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue recordID = object.value(QLatin1String("recordID"));
    const std::optional<qint64> count = countValue(object.value(QLatin1String("count")));
    const QDateTime date = dateValue(object.value(QLatin1String("date")));
    if (!recordID.isString() || !count || !date.isValid()) return std::nullopt;
    return VocabularyWord::Source{recordID.toString(), *count, date};
}

}  // namespace

bool VocabularyWord::hasDefinition() const
{
    if (!definition) return false;
    return std::any_of(definition->cbegin(), definition->cend(), [](QChar c) { return !c.isSpace(); });
}

QJsonObject VocabularyWord::toJson() const
{
    QJsonArray sourceArray;
    for (const Source& source : sources) {
        sourceArray.append(QJsonObject{{QLatin1String("recordID"), source.recordID},
                                       {QLatin1String("count"), source.count},
                                       {QLatin1String("date"), isodate::format(source.date)}});
    }
    QJsonObject object{{QLatin1String("normalized"), normalized},
                       {QLatin1String("display"), display},
                       {QLatin1String("count"), count},
                       {QLatin1String("firstSeen"), isodate::format(firstSeen)},
                       {QLatin1String("lastSeen"), isodate::format(lastSeen)},
                       {QLatin1String("isMastered"), isMastered},
                       {QLatin1String("sources"), sourceArray}};
    if (definition) object.insert(QLatin1String("definition"), *definition);
    if (definitionLanguage) object.insert(QLatin1String("definitionLanguage"), *definitionLanguage);
    return object;
}

std::optional<VocabularyWord> VocabularyWord::fromJson(const QJsonObject& object, const QDateTime& now)
{
    const QJsonValue normalized = object.value(QLatin1String("normalized"));
    if (!normalized.isString()) return std::nullopt;
    VocabularyWord word;
    word.normalized = normalized.toString();
    const QJsonValue display = object.value(QLatin1String("display"));
    word.display = display.isString() ? display.toString() : word.normalized;
    word.count = countValue(object.value(QLatin1String("count"))).value_or(1);
    word.firstSeen = dateValue(object.value(QLatin1String("firstSeen")));
    if (!word.firstSeen.isValid()) word.firstSeen = now;
    word.lastSeen = dateValue(object.value(QLatin1String("lastSeen")));
    if (!word.lastSeen.isValid()) word.lastSeen = word.firstSeen;
    const QJsonValue definition = object.value(QLatin1String("definition"));
    if (definition.isString()) word.definition = definition.toString();
    const QJsonValue language = object.value(QLatin1String("definitionLanguage"));
    if (word.definition && language.isString()) word.definitionLanguage = language.toString();
    const QJsonValue mastered = object.value(QLatin1String("isMastered"));
    word.isMastered = mastered.isBool() && mastered.toBool();
    const QJsonValue sources = object.value(QLatin1String("sources"));
    if (sources.isArray()) {
        // The newest arrivals stand last; older ones would be dropped by the
        // next change anyway, and a huge list must not fill the memory.
        const QJsonArray array = sources.toArray();
        for (qsizetype i = std::max<qsizetype>(0, array.size() - maximumSources); i < array.size(); ++i) {
            std::optional<Source> source = sourceFromJson(array.at(i));
            if (!source) {
                // One faulty source makes the list untrustworthy as a whole.
                word.sources.clear();
                break;
            }
            word.sources.append(*source);
        }
    }
    return word;
}

qint64 VocabularyWord::addCounts(qint64 a, qint64 b) { return std::min(a + b, maximumCount); }

}  // namespace klipo

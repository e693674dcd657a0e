#include "stores/HistoryRecord.h"

#include "stores/IsoDate.h"
#include "stores/TextLines.h"

#include <QHashFunctions>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>

namespace klipo {

namespace {

const QString kNothingRecognised = QStringLiteral("（未识别到文字）");

struct Member {
    HistoryRecord::Field field;
    QLatin1String key;
};
constexpr Member kMembers[] = {
    {HistoryRecord::IdField, QLatin1String("id")},
    {HistoryRecord::DateField, QLatin1String("date")},
    {HistoryRecord::ImageNameField, QLatin1String("imageName")},
    {HistoryRecord::OriginalImageNameField, QLatin1String("originalImageName")},
    {HistoryRecord::OriginalTextField, QLatin1String("originalText")},
    {HistoryRecord::TranslatedTextField, QLatin1String("translatedText")},
    {HistoryRecord::TargetLanguageField, QLatin1String("targetLanguage")},
};

std::optional<HistoryRecord::Field> fieldOf(const QString& key)
{
    for (const Member& member : kMembers)
        if (key == member.key) return member.field;
    return std::nullopt;
}

// An id that stays the same at every reading of a record whose stored id
// cannot be read, so that its card and what refers to it hold across starts.
QUuid idStandingFor(const QJsonObject& object)
{
    static const QUuid kNamespace = QUuid::fromString(QLatin1String("{6f1c8a52-3d4e-4b7a-9e21-5c0d8f3a7b64}"));
    const QJsonObject identity{{QLatin1String("id"), object.value(QLatin1String("id"))},
                               {QLatin1String("imageName"), object.value(QLatin1String("imageName"))}};
    return QUuid::createUuidV5(kNamespace, QJsonDocument(identity).toJson(QJsonDocument::Compact));
}

}  // namespace

std::optional<QUuid> parseUuid(const QString& text)
{
    // Read by hand: this runs once per record when a large index is opened.
    if (text.size() != 36) return std::nullopt;
    uchar bytes[16];
    int byte = 0;
    for (int i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text.at(i) != u'-') return std::nullopt;
            ++i;
            continue;
        }
        int value = 0;
        for (int half = 0; half < 2; ++half, ++i) {
            const char16_t c = text.at(i).unicode();
            int digit;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                return std::nullopt;
            value = value * 16 + digit;
        }
        bytes[byte++] = static_cast<uchar>(value);
    }
    return QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char*>(bytes), 16));
}

QString HistoryRecord::idText(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

QString HistoryRecord::idText() const { return idText(id); }

QString HistoryRecord::displayTitle() const
{
    std::optional<QString> line = textlines::firstLine(translatedText);
    if (!line) line = textlines::firstLine(originalText);
    if (!line) return kNothingRecognised;
    return textlines::truncated(*line, 40);
}

QString HistoryRecord::displaySubtitle() const
{
    return textlines::truncated(textlines::firstLine(originalText).value_or(QString()), 60);
}

QString HistoryRecord::formatDate(const QDateTime& date)
{
    static const QLocale locale(QStringLiteral("zh_CN"));
    return locale.toString(date.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm"));
}

QJsonObject HistoryRecord::toJson() const
{
    if (isDamaged()) return *storedObject;
    QJsonObject object = storedObject.value_or(QJsonObject());
    const auto put = [&](Field field, QLatin1String key, const QJsonValue& value) {
        if (!(unreadable & field)) object.insert(key, value);
    };
    put(DateField, QLatin1String("date"), isodate::format(date));
    put(IdField, QLatin1String("id"), idText());
    object.insert(QLatin1String("imageName"), imageName);
    if (originalImageName)
        object.insert(QLatin1String("originalImageName"), *originalImageName);
    else
        object.remove(QLatin1String("originalImageName"));
    put(OriginalTextField, QLatin1String("originalText"), originalText);
    put(TargetLanguageField, QLatin1String("targetLanguage"), targetLanguage);
    put(TranslatedTextField, QLatin1String("translatedText"), translatedText);
    return object;
}

HistoryRecord HistoryRecord::fromJson(const QJsonObject& object, bool* dated)
{
    HistoryRecord record;
    record.targetLanguage = QStringLiteral("zh-Hans");
    bool hasId = false;
    bool holdsMore = false;
    // One pass over the members (cheaper than a lookup per field on a large
    // index). A null value counts as missing; a value of another kind, or a
    // text that is no id or no date, is unreadable.
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const std::optional<Field> field = fieldOf(it.key());
        if (!field) {
            holdsMore = true;
            continue;
        }
        const QJsonValue value = it.value();
        if (value.isNull()) continue;
        if (!value.isString()) {
            record.unreadable |= *field;
            continue;
        }
        const QString text = value.toString();
        switch (*field) {
        case IdField:
            if (std::optional<QUuid> id = parseUuid(text)) {
                record.id = *id;
                hasId = true;
            } else {
                record.unreadable |= IdField;
            }
            break;
        case DateField:
            record.date = isodate::parse(text);
            if (!record.date.isValid()) record.unreadable |= DateField;
            break;
        case ImageNameField: record.imageName = text; break;
        case OriginalImageNameField: record.originalImageName = text; break;
        case OriginalTextField: record.originalText = text; break;
        case TranslatedTextField: record.translatedText = text; break;
        case TargetLanguageField: record.targetLanguage = text; break;
        }
    }
    if (!hasId) record.id = record.unreadable & IdField ? idStandingFor(object) : QUuid::createUuid();
    if (dated) *dated = record.date.isValid();
    if (!record.date.isValid()) record.date = QDateTime::currentDateTimeUtc();
    if (record.unreadable || holdsMore) record.storedObject = object;
    return record;
}

void HistoryRecord::markDamaged(const QJsonObject& object)
{
    unreadable |= ImageNameField;
    storedObject = object;
}

QJsonObject HistoryRecord::unreadablePart() const
{
    if (!unreadable || !storedObject) return {};
    QJsonObject part{{QLatin1String("id"), idText()}, {QLatin1String("imageName"), imageName}};
    for (const Member& member : kMembers)
        if (unreadable & member.field) part.insert(member.key, storedObject->value(member.key));
    return part;
}

size_t qHash(const HistoryRecord& r, size_t seed)
{
    return qHashMulti(seed, r.id, r.date, r.imageName, r.originalImageName.value_or(QString()),
                      r.originalImageName.has_value(), r.originalText, r.translatedText, r.targetLanguage);
}

}  // namespace klipo

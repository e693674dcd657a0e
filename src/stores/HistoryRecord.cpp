#include "stores/HistoryRecord.h"

#include "stores/IsoDate.h"
#include "stores/TextLines.h"

#include <QHashFunctions>
#include <QJsonValue>
#include <QLocale>

namespace klipo {

namespace {

const QString kNothingRecognised = QStringLiteral("（未识别到文字）");

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
    if (damagedObject) return *damagedObject;
    QJsonObject object;
    object.insert(QLatin1String("date"), isodate::format(date));
    object.insert(QLatin1String("id"), idText());
    object.insert(QLatin1String("imageName"), imageName);
    if (originalImageName) object.insert(QLatin1String("originalImageName"), *originalImageName);
    object.insert(QLatin1String("originalText"), originalText);
    object.insert(QLatin1String("targetLanguage"), targetLanguage);
    object.insert(QLatin1String("translatedText"), translatedText);
    return object;
}

HistoryRecord HistoryRecord::fromJson(const QJsonObject& object)
{
    HistoryRecord record;
    record.targetLanguage = QStringLiteral("zh-Hans");
    bool hasId = false;
    // One pass over the members (cheaper than a lookup per field on a large
    // index); members of the wrong kind keep the field's default.
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const QJsonValue value = it.value();
        if (!value.isString()) continue;
        const QString key = it.key();
        if (key == QLatin1String("id")) {
            if (std::optional<QUuid> id = parseUuid(value.toString())) {
                record.id = *id;
                hasId = true;
            }
        } else if (key == QLatin1String("date")) {
            record.date = isodate::parse(value.toString());
        } else if (key == QLatin1String("imageName")) {
            record.imageName = value.toString();
        } else if (key == QLatin1String("originalImageName")) {
            record.originalImageName = value.toString();
        } else if (key == QLatin1String("originalText")) {
            record.originalText = value.toString();
        } else if (key == QLatin1String("translatedText")) {
            record.translatedText = value.toString();
        } else if (key == QLatin1String("targetLanguage")) {
            record.targetLanguage = value.toString();
        }
    }
    if (!hasId) record.id = QUuid::createUuid();
    if (!record.date.isValid()) record.date = QDateTime::currentDateTimeUtc();
    return record;
}

size_t qHash(const HistoryRecord& r, size_t seed)
{
    return qHashMulti(seed, r.id, r.date, r.imageName, r.originalImageName.value_or(QString()),
                      r.originalImageName.has_value(), r.originalText, r.translatedText, r.targetLanguage);
}

}  // namespace klipo

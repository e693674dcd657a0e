#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace klipo {

// One kept translation or screenshot: its images (file names inside the history
// folder) and its texts.
struct HistoryRecord {
    QUuid id;
    QDateTime date;
    QString imageName;                         // "<ID>.png": the image the history shows
    std::optional<QString> originalImageName;  // "<ID>-src.png": the untranslated source
    QString originalText;                      // recognised source text, or a screenshot's search text
    QString translatedText;                    // empty for screenshots
    QString targetLanguage;

    friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;

    // The id in the form used for file names and references: 36 characters, upper case.
    QString idText() const;
    static QString idText(const QUuid& id);

    // The title in lists: the first non-blank line of the translation, else of
    // the source text, else "（未识别到文字）"; at most 40 characters and "…".
    QString displayTitle() const;
    // The second line in lists: the first non-blank line of the source text, at
    // most 60 characters and "…".
    QString displaySubtitle() const;
    // The record's date as the library shows it: "yyyy-MM-dd HH:mm", local time.
    static QString formatDate(const QDateTime& date);

    // The record object of the index file. Reading never fails: every field that
    // is missing or of the wrong kind takes its default.
    QJsonObject toJson() const;
    static HistoryRecord fromJson(const QJsonObject& object);
};

size_t qHash(const HistoryRecord& record, size_t seed = 0);

// Reads a UUID written in its 36-character form (either case); nothing when
// the text is anything else.
std::optional<QUuid> parseUuid(const QString& text);

}  // namespace klipo

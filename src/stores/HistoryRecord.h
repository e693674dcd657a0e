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
    // Set when an image name of the record could not be read from the index
    // (missing, of another kind, or not a plain file name): the record object
    // as it stood there. Such a record is shown and can be deleted, but it is
    // never changed: it is written back as this object, and its unreadable
    // names are left empty above.
    std::optional<QJsonObject> damagedObject;

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

    bool isDamaged() const { return damagedObject.has_value(); }

    // The record object of the index file (a damaged record's own object).
    // Reading never fails: every field that
    // is missing or of the wrong kind takes its default.
    QJsonObject toJson() const;
    static HistoryRecord fromJson(const QJsonObject& object);
};

size_t qHash(const HistoryRecord& record, size_t seed = 0);

// Reads a UUID written in its 36-character form (either case); nothing when
// the text is anything else.
std::optional<QUuid> parseUuid(const QString& text);

}  // namespace klipo

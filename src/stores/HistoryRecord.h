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

    // The fields of the record object in a file, for the values that could
    // not be read there.
    enum Field : unsigned {
        IdField = 1,
        DateField = 2,
        ImageNameField = 4,
        OriginalImageNameField = 8,
        OriginalTextField = 16,
        TranslatedTextField = 32,
        TargetLanguageField = 64,
    };
    // The fields whose values in the file could not be read (of another kind,
    // a text that is no id or no date, an image name that is missing or not a
    // plain file name). They hold a default above; the file keeps its value.
    unsigned unreadable = 0;
    // The record object as it stood in the file, kept when it holds what the
    // fields cannot carry: a value that could not be read, or members of other
    // keys. The record is written back as this object with its readable fields
    // put over it, so a rewrite loses nothing of it.
    std::optional<QJsonObject> storedObject;

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

    // A record whose image names cannot be read: it is shown and can be
    // deleted, but never changed, and written back exactly as it was read.
    bool isDamaged() const { return (unreadable & (ImageNameField | OriginalImageNameField)) != 0; }

    // The record object of the index file. Reading never fails: every field
    // that is missing or cannot be read takes its default (a missing or
    // unreadable date: the time of reading, and `dated` is set false).
    QJsonObject toJson() const;
    static HistoryRecord fromJson(const QJsonObject& object, bool* dated = nullptr);
    // Marks the image names unreadable (the record becomes damaged) and keeps
    // the object.
    void markDamaged(const QJsonObject& object);
    // What tells this record's unreadable values apart from others': its id,
    // its image name and the unreadable members as stored; it stays the same
    // when the record's readable fields change. Empty when all could be read.
    QJsonObject unreadablePart() const;
};

size_t qHash(const HistoryRecord& record, size_t seed = 0);

// Reads a UUID written in its 36-character form (either case); nothing when
// the text is anything else.
std::optional<QUuid> parseUuid(const QString& text);

}  // namespace klipo

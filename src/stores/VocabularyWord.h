#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace klipo {

// One word of the vocabulary book, keyed by its normalized form.
struct VocabularyWord {
    // A history record the word came from.
    struct Source {
        QString recordID;  // the record's id, 36 upper-case characters
        qint64 count = 0;  // occurrences in that record, summed over its ingests
        QDateTime date;    // the latest ingest of that record

        friend bool operator==(const Source&, const Source&) = default;
    };

    // Limits that hold in memory whatever a file says.
    static constexpr qint64 maximumCount = 1000000000;  // for `count` and a source's count
    static constexpr int maximumSources = 100;

    QString normalized;  // the key: lower-case singular form
    QString display;     // the form shown to the user
    qint64 count = 0;    // 0 to maximumCount
    QDateTime firstSeen;
    QDateTime lastSeen;
    std::optional<QString> definition;
    // The language the definition is written in ("en", "es" ...); none for
    // definitions stored before it was recorded, which are kept as they are.
    std::optional<QString> definitionLanguage;
    bool isMastered = false;
    QList<Source> sources;  // in order of first arrival, at most the newest 100

    friend bool operator==(const VocabularyWord&, const VocabularyWord&) = default;

    // True when the definition has text other than white space.
    bool hasDefinition() const;

    QJsonObject toJson() const;
    // Nothing when "normalized" is missing or not text; every other field
    // takes its default when missing or of the wrong kind. Counts are held to
    // 0 ... maximumCount, and only the newest maximumSources sources are read.
    // `now` is the default first sighting.
    static std::optional<VocabularyWord> fromJson(const QJsonObject& object, const QDateTime& now);

    // a + b, held to maximumCount.
    static qint64 addCounts(qint64 a, qint64 b);
};

}  // namespace klipo

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace klipo {

// Turns recognised text into English vocabulary tokens: Latin-script words
// without addresses, paths, numbers, contractions and plural endings, stop
// words and noise words removed. Stateless; any thread may call it.
namespace VocabularyExtractor {

struct Options {
    int minimumLength = 3;        // tested before and after singular forming
    int maximumLength = 24;       // tested before singular forming only
    bool splitsCamelCase = true;  // "getUserName" -> get, User, Name
    bool filtersInterfaceWords = false;
};

struct Token {
    QString display;     // as written, apostrophes at the ends removed
    QString normalized;  // the book's key: lower case, singular, no contraction

    friend bool operator==(const Token&, const Token&) = default;
};

// The tokens of `text` in text order, one per occurrence.
QList<Token> extract(const QString& text, const Options& options = {});

// The key of one raw token, or nothing when it is rejected.
std::optional<QString> normalize(const QString& token, const Options& options = {});

// The singular of a lower-case word.
QString singularize(const QString& word);

// The steps of extract, exposed for their own tests.
QStringList scanTokens(const QString& text);
QStringList splitCamelCase(const QString& token);
bool hasTripleRepeat(const QString& word);
QString cleanDisplay(const QString& token);
QString removeNoise(const QString& text);

}  // namespace VocabularyExtractor

}  // namespace klipo

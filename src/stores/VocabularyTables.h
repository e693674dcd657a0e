#pragma once

#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>

namespace klipo::vocabularytables {

// The extractor's fixed word tables, built once on first use and read-only
// afterwards (safe to reach from several threads at once).
// A noise pattern with a quick test that tells when it cannot match at all.
struct NoisePattern {
    QRegularExpression expression;
    bool (*mayMatch)(const QString& text);
};

// What the tables say about one lower-case word.
struct WordFacts {
    bool stopWord = false;
    bool alwaysNoise = false;
    bool interfaceNoise = false;
    bool keepAsIs = false;      // never made singular ("news", "status" ...)
    bool ieNoun = false;        // "movies" -> "movie", not "movy"
    QString irregularSingular;  // "children" -> "child"; empty for the rest
};

struct Tables {
    QList<NoisePattern> noisePatterns;  // applied in order, each match becomes " "
    QSet<QString> contractionSuffixes;
    // Every word of the stop-word, noise, kept, ie-noun and irregular-plural
    // tables, so that a token costs one lookup.
    QHash<QString, WordFacts> words;

    const WordFacts* facts(const QString& word) const
    {
        const auto it = words.constFind(word);
        return it == words.constEnd() ? nullptr : &*it;
    }
};

const Tables& tables();

}  // namespace klipo::vocabularytables

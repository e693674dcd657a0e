#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace klipo {

namespace platform {
class Translator;
class WordNet;
}  // namespace platform

// Where the vocabulary book's definitions come from, always from English:
// Apertium's translation of the word when the pair from English to the
// target language is installed, else the English gloss from WordNet.
struct DefinitionPlan {
    enum class Source { apertium, wordNet, none };
    Source source = Source::none;
    QString language;  // what the definitions are written in: the target's code, or "en"
    QString target;    // the translation target, for Apertium

    // The Debian package that would give definitions (when there is no source).
    static QString wordNetPackage() { return QStringLiteral("wordnet-base"); }
};

DefinitionPlan planDefinitions(const QString& targetLanguage, const platform::Translator* translator,
                               const platform::WordNet& wordNet);

// One word to define: its key and the form it is shown in.
struct DefinitionRequest {
    QString normalized;
    QString display;
};

struct DefinitionResults {
    QHash<QString, QString> definitions;  // by key; only words that got one
    QStringList looked;                   // keys looked up, with or without an answer
    QString error;                        // why the run stopped early (Chinese), if it did
};

// Looks the words up in order on the calling thread (never the main thread:
// Apertium answers take milliseconds each). Stops at the first error and
// keeps what was found before it. Nothing is made up: a word neither source
// knows gets no definition, and a translation that only repeats the word or
// carries Apertium's unknown-word marks is not one.
DefinitionResults lookUpDefinitions(const DefinitionPlan& plan, const QList<DefinitionRequest>& words,
                                    platform::Translator* translator, const platform::WordNet& wordNet);

// The process's WordNet reader over the installed dictionary, or over the
// folder set by setWordNetDirectory() (tests; empty: the installed one).
std::shared_ptr<const platform::WordNet> wordNetReader();
void setWordNetDirectory(const QString& directory);

}  // namespace klipo

#include "recognition/VocabularySource.h"

#include "platform/text/LanguageDetector.h"
#include "platform/text/TextServices.h"
#include "recognition/TranslationPlanner.h"

#include <QStringList>

#include <vector>

namespace klipo::VocabularySource {

namespace {

const QString kEnglish = QStringLiteral("en");

// The language a paragraph names by itself; empty when it names none.
QString namedLanguage(const QString& text, const platform::LanguageDetector& detector)
{
    const bool latin = TranslationPlanner::isMostlyLatin(text);
    if (latin)
        if (const auto vote = TranslationPlanner::stopwordVote(text)) return *vote;
    const QString guess = detector.detect(text).dominant;
    return latin && TranslationPlanner::sameLanguage(guess, kEnglish) ? QString() : guess;
}

// The language of several paragraphs together: their stop words, else the
// recogniser (which names no English it is unsure of).
QString languageOf(const QStringList& texts, const platform::LanguageDetector& detector)
{
    const QString joined = texts.join(QLatin1Char('\n'));
    if (const auto vote = TranslationPlanner::stopwordVote(joined)) return *vote;
    return detector.detect(joined).dominant;
}

}  // namespace

QString englishPart(const QString& text, const platform::LanguageDetector* given)
{
    const platform::LanguageDetector* detector = given ? given : platform::textServices().languages;
    if (!detector) return {};
    QStringList paragraphs;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty()) paragraphs << line.trimmed();

    std::vector<QString> named;
    QStringList namedTexts;
    for (const QString& paragraph : std::as_const(paragraphs)) {
        named.push_back(namedLanguage(paragraph, *detector));
        if (!named.back().isEmpty()) namedTexts << paragraph;
    }
    const QString rest = languageOf(namedTexts.isEmpty() ? paragraphs : namedTexts, *detector);

    QStringList english;
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        const QString& language = named[size_t(i)].isEmpty() ? rest : named[size_t(i)];
        if (TranslationPlanner::sameLanguage(language, kEnglish)) english << paragraphs[i];
    }
    return english.join(QLatin1Char('\n'));
}

}  // namespace klipo::VocabularySource

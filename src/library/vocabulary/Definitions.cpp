#include "library/vocabulary/Definitions.h"

#include "platform/text/ApertiumPairs.h"
#include "platform/text/Translator.h"
#include "platform/text/WordNet.h"

#include <mutex>

namespace klipo {

namespace {

const QString kEnglish = QStringLiteral("en");

// Apertium writes "*word" for words it does not know, "#" and "@" where a
// stage failed on one.
bool carriesUnknownMarks(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if ((c == u'*' || c == u'#' || c == u'@') && (i == 0 || !text.at(i - 1).isLetterOrNumber())) return true;
    }
    return false;
}

// The translation as a definition: its first letter in the case the word
// was written in ("house" gives "casa", not "Casa"); empty when it is none.
QString translationDefinition(const QString& translated, const DefinitionRequest& word)
{
    QString text = translated.trimmed();
    if (text.isEmpty() || carriesUnknownMarks(text)) return {};
    if (text.compare(word.display, Qt::CaseInsensitive) == 0 || text.compare(word.normalized, Qt::CaseInsensitive) == 0)
        return {};
    if (!word.display.isEmpty() && word.display.at(0).isLower()) text[0] = text.at(0).toLower();
    return text;
}

}  // namespace

DefinitionPlan planDefinitions(const QString& targetLanguage, const platform::Translator* translator,
                               const platform::WordNet& wordNet)
{
    const QString target = targetLanguage.isEmpty() ? QStringLiteral("zh-Hans") : targetLanguage;
    const QString code = platform::pairLanguageCode(target);
    if (translator && code != kEnglish &&
        translator->status(kEnglish, target) == platform::LanguagePairStatus::Installed)
        return {DefinitionPlan::Source::apertium, code, target};
    if (wordNet.isInstalled()) return {DefinitionPlan::Source::wordNet, kEnglish, {}};
    return {};
}

DefinitionResults lookUpDefinitions(const DefinitionPlan& plan, const QList<DefinitionRequest>& words,
                                    platform::Translator* translator, const platform::WordNet& wordNet)
{
    DefinitionResults results;
    for (const DefinitionRequest& word : words) {
        QString definition;
        if (plan.source == DefinitionPlan::Source::apertium && translator) {
            const platform::TranslationOutcome outcome =
                translator->translate({{word.display, word.normalized}}, kEnglish, plan.target);
            if (!outcome.ok()) {
                results.error = outcome.message;
                break;
            }
            if (!outcome.responses.empty())
                definition = translationDefinition(outcome.responses.front().targetText, word);
        } else if (plan.source == DefinitionPlan::Source::wordNet) {
            const platform::WordNet::Lookup lookup = wordNet.define(word.normalized);
            if (lookup.status == platform::WordNet::Lookup::Status::failed) {
                results.error = lookup.error;
                break;
            }
            if (lookup.status == platform::WordNet::Lookup::Status::found) definition = lookup.definition.text();
        } else {
            break;
        }
        results.looked.append(word.normalized);
        if (!definition.isEmpty()) results.definitions.insert(word.normalized, definition);
    }
    return results;
}

namespace {
std::mutex& readerLock()
{
    static std::mutex lock;
    return lock;
}
std::shared_ptr<const platform::WordNet>& reader()
{
    static std::shared_ptr<const platform::WordNet> instance = std::make_shared<const platform::WordNet>();
    return instance;
}
}  // namespace

std::shared_ptr<const platform::WordNet> wordNetReader()
{
    std::lock_guard lock(readerLock());
    return reader();
}

void setWordNetDirectory(const QString& directory)
{
    std::lock_guard lock(readerLock());
    reader() = std::make_shared<const platform::WordNet>(directory.isEmpty() ? platform::WordNet::defaultDirectory()
                                                                             : directory);
}

}  // namespace klipo

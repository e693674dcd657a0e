#include "library/vocabulary/DefinitionRuns.h"

#include "app/CaptureHUDController.h"
#include "app/Settings.h"
#include "platform/SerialQueue.h"
#include "platform/text/TextServices.h"
#include "stores/VocabularyStore.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

namespace klipo {

namespace {
QString triedKey(const QString& language, const QString& word) { return language + QLatin1Char('\n') + word; }
}  // namespace

DefinitionRuns& DefinitionRuns::shared()
{
    static DefinitionRuns* runs = new DefinitionRuns;
    return *runs;
}

DefinitionPlan DefinitionRuns::plan() const
{
    return planDefinitions(Settings::targetLanguage(), platform::textServices().translator, *wordNetReader());
}

bool DefinitionRuns::start(VocabularyStore& store)
{
    if (m_pending) return false;
    const DefinitionPlan current = plan();
    if (current.source == DefinitionPlan::Source::none) return false;

    QList<DefinitionRequest> words;
    for (const VocabularyWord& word : store.topWords()) {
        const bool needed =
            !word.hasDefinition() || (word.definitionLanguage && *word.definitionLanguage != current.language);
        if (!needed || m_tried.contains(triedKey(current.language, word.normalized))) continue;
        words.append({word.normalized, word.display});
        if (words.size() == wordsPerRun) break;
    }
    if (words.isEmpty()) return false;

    m_pending = true;
    m_lastRequested.clear();
    for (const DefinitionRequest& word : std::as_const(words)) m_lastRequested.append(word.normalized);
    QPointer<DefinitionRuns> self(this);
    QPointer<VocabularyStore> book(&store);
    platform::Translator* translator = platform::textServices().translator;
    (void)QtConcurrent::run([self, book, current, words, translator, wordNet = wordNetReader()] {
        DefinitionResults results = lookUpDefinitions(current, words, translator, *wordNet);
        platform::runOnMain([self, book, current, results = std::move(results)] {
            // What was found before an error is kept; the words after it were
            // not tried and come again.
            if (book) book->setDefinitions(results.definitions, current.language);
            if (!self) return;
            for (const QString& word : results.looked) self->m_tried.insert(triedKey(current.language, word));
            // Told once a session: the next runs would only say it again.
            if (!results.error.isEmpty() && !self->m_toldErrors.contains(results.error)) {
                self->m_toldErrors.insert(results.error);
                CaptureHUDController::shared().show(QStringLiteral("单词释义查询中断"), results.error);
            }
            self->m_pending = false;
            Q_EMIT self->finished();
        });
    });
    return true;
}

}  // namespace klipo

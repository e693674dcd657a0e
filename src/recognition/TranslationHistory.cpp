#include "recognition/TranslationHistory.h"

#include "app/Settings.h"
#include "recognition/VocabularySource.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThreadPool>

namespace klipo::TranslationHistory {

namespace {

// Once the record is stored, the book collects its English words: only the
// text recognised as English goes in.
HistoryStore::SaveCompletion afterSaving(const QString& originalText, std::function<void(bool saved)> done)
{
    return [originalText, done = std::move(done)](std::optional<HistoryRecord> record) {
        // Without an application the process is ending (the store then
        // answers on its own thread): nothing may start any more.
        if (!QCoreApplication::instance()) return;
        if (record) {
            VocabularyStore* vocabulary = &VocabularyStore::shared();
            QThreadPool::globalInstance()->start([vocabulary, originalText, recordID = record->idText()] {
                const QString english = VocabularySource::englishPart(originalText);
                if (!english.isEmpty()) vocabulary->ingest({english}, recordID, QDateTime::currentDateTime());
            });
        }
        if (done) done(record.has_value());
    };
}

}  // namespace

bool save(const QImage& translated, const QImage& original, const QString& originalText,
          const QString& translatedText, std::function<void(bool saved)> done)
{
    if (!Settings::saveHistory()) return false;
    HistoryStore::shared().save(translated, original, originalText, translatedText, Settings::targetLanguage(),
                                afterSaving(originalText, std::move(done)));
    return true;
}

bool save(const QImage& translated, QFuture<QByteArray> originalPng, const QString& originalText,
          const QString& translatedText, std::function<void(bool saved)> done)
{
    if (!Settings::saveHistory()) return false;
    HistoryStore::shared().save(translated, std::move(originalPng), originalText, translatedText,
                                Settings::targetLanguage(), afterSaving(originalText, std::move(done)));
    return true;
}

}  // namespace klipo::TranslationHistory

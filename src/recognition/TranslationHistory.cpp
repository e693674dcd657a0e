#include "recognition/TranslationHistory.h"

#include "app/Settings.h"
#include "recognition/VocabularySource.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThreadPool>

#include <algorithm>

namespace klipo::TranslationHistory {

namespace {

// Once the record is stored, the book collects its English words: only the
// text recognised as English goes in.
HistoryStore::SaveCompletion afterSaving(const QString& originalText,
                                         std::function<void(std::optional<QUuid> stored)> done)
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
        if (done) done(record ? std::optional(record->id) : std::nullopt);
    };
}

std::function<void(std::optional<QUuid>)> reportingSaved(std::function<void(bool saved)> done)
{
    return [done = std::move(done)](std::optional<QUuid> stored) {
        if (done) done(stored.has_value());
    };
}

// The earlier record of a capture stored again goes, and with it its words.
void removeReplaced(const QUuid& replaced)
{
    HistoryStore& history = HistoryStore::shared();
    history.deleteRecords({replaced}, [replaced](bool) {
        const QList<HistoryRecord>& records = HistoryStore::shared().records();
        const bool gone = std::none_of(records.begin(), records.end(),
                                       [&](const HistoryRecord& record) { return record.id == replaced; });
        if (gone) VocabularyStore::shared().detachRecord(HistoryRecord::idText(replaced));
    });
}

}  // namespace

bool save(const QImage& translated, const QImage& original, const QString& originalText, const QString& translatedText,
          std::function<void(bool saved)> done)
{
    if (!Settings::saveHistory()) return false;
    HistoryStore::shared().save(translated, original, originalText, translatedText, Settings::targetLanguage(),
                                afterSaving(originalText, reportingSaved(std::move(done))));
    return true;
}

bool save(const QImage& translated, QFuture<QByteArray> originalPng, const QString& originalText,
          const QString& translatedText, std::function<void(bool saved)> done)
{
    if (!Settings::saveHistory()) return false;
    HistoryStore::shared().save(translated, std::move(originalPng), originalText, translatedText,
                                Settings::targetLanguage(), afterSaving(originalText, reportingSaved(std::move(done))));
    return true;
}

bool save(const QImage& translated, const QImage& original, const QString& originalText, const QString& translatedText,
          std::optional<QUuid> replacing, std::function<void(std::optional<QUuid> stored)> stored)
{
    if (!Settings::saveHistory()) return false;
    auto done = [replacing, stored = std::move(stored)](std::optional<QUuid> id) {
        if (id && replacing && *replacing != *id) removeReplaced(*replacing);
        if (stored) stored(id);
    };
    HistoryStore::shared().save(translated, original, originalText, translatedText, Settings::targetLanguage(),
                                afterSaving(originalText, std::move(done)));
    return true;
}

}  // namespace klipo::TranslationHistory

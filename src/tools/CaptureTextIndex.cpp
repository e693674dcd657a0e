#include "tools/CaptureTextIndex.h"

#include "app/Settings.h"
#include "stores/HistoryStore.h"

namespace klipo::CaptureTextIndex {

namespace {
TextIndexer& indexerSlot()
{
    static TextIndexer indexer;
    return indexer;
}
}  // namespace

void setIndexer(TextIndexer indexer) { indexerSlot() = std::move(indexer); }

void saveToHistory(const QImage& image, const QString& title)
{
    HistoryStore::shared().save(image, std::nullopt, title, QString(), Settings::targetLanguage(),
                                [image, title](std::optional<HistoryRecord> record) {
                                    if (!record || !Settings::indexCaptureText()) return;
                                    if (const TextIndexer& index = indexerSlot()) index(record->id, image, title);
                                });
}

}  // namespace klipo::CaptureTextIndex

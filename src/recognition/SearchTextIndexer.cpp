#include "recognition/SearchTextIndexer.h"

#include "app/Settings.h"
#include "platform/SerialQueue.h"
#include "recognition/OCRService.h"
#include "recognition/TextUnits.h"
#include "stores/HistoryStore.h"

#include <QPointer>

namespace klipo::SearchTextIndexer {

namespace {

// Screenshots can come quicker than they are read: one recognition at a time
// keeps the machine usable. Never destroyed, so work still queued at exit
// cannot touch services that are already gone.
platform::SerialQueue& indexQueue()
{
    static auto* queue = new platform::SerialQueue("io.klipoversa.search-index");
    return *queue;
}

}  // namespace

QString composeText(const QStringList& recognized, const QString& fileTitle)
{
    QStringList parts;
    for (const QString& text : recognized) {
        const QString trimmed = text.trimmed();
        if (!trimmed.isEmpty()) parts << trimmed;
    }
    QString text = parts.join(QLatin1Char('\n'));
    const std::vector<int> boundaries = graphemeBoundaries(text);  // one more than the characters
    if (boundaries.size() > size_t(maxRecognizedCharacters) + 1)
        text = text.left(boundaries[maxRecognizedCharacters]) + QStringLiteral("…");

    const QString title = fileTitle.trimmed();
    if (title.isEmpty() || parts.contains(title)) return text;
    return text.isEmpty() ? title : text + QLatin1Char('\n') + title;
}

void index(const QUuid& recordID, const QImage& image, const QString& fileTitle)
{
    if (!Settings::indexCaptureText()) return;
    if (image.width() < 1 || image.height() < 1) return;
    QPointer<HistoryStore> store(&HistoryStore::shared());
    indexQueue().async([recordID, image, fileTitle, store] {
        const OcrOutcome outcome = OCRService::recognizeBlocks(image, false).result();
        QStringList texts;
        for (const TextBlock& block : outcome.blocks) {
            const QString trimmed = block.text.trimmed();
            if (!trimmed.isEmpty()) texts << trimmed;
        }
        if (texts.isEmpty()) return;
        const QString text = composeText(texts, fileTitle);
        platform::runOnMain([store, recordID, text] {
            if (store) store->updateText(recordID, text);
        });
    });
}

}  // namespace klipo::SearchTextIndexer

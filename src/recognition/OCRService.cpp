#include "recognition/OCRService.h"

#include "platform/text/TextRecognizer.h"
#include "platform/text/TextServices.h"

#include <QPromise>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace klipo::OCRService {

namespace {

OcrOutcome toOutcome(const platform::RecognitionOutcome& result, int width, int height, bool wordAnchors)
{
    if (!result.ok) {
        const QString detail = result.error.isEmpty() ? QStringLiteral("识别引擎出错") : result.error;
        return {false, QStringLiteral("文字识别失败：") + detail, {}};
    }
    std::vector<TextLine> lines;
    lines.reserve(result.lines.size());
    for (const platform::RecognizedLine& recognized : result.lines) {
        TextLine line;
        line.text = recognized.text;
        line.rect = flipped(QRectF(recognized.box), height);
        if (wordAnchors) line.anchors = computeAnchors(recognized, width, height);
        lines.push_back(std::move(line));
    }
    return {true, {}, groupIntoParagraphs(lines)};
}

// The one report that reaches the caller; later ones are dropped.
class Delivery {
public:
    Delivery() { m_promise.start(); }
    QFuture<OcrOutcome> future() { return m_promise.future(); }

    void deliver(OcrOutcome outcome)
    {
        if (m_delivered.exchange(true)) return;
        m_promise.addResult(std::move(outcome));
        m_promise.finish();
    }

private:
    QPromise<OcrOutcome> m_promise;
    std::atomic_bool m_delivered = false;
};

}  // namespace

QFuture<OcrOutcome> recognizeBlocks(const QImage& image, bool wordAnchors)
{
    auto delivery = std::make_shared<Delivery>();
    QFuture<OcrOutcome> future = delivery->future();
    platform::TextRecognizer* recognizer = platform::textServices().recognizer;
    QThreadPool::globalInstance()->start([delivery, recognizer, image, wordAnchors] {
        const int width = image.width();
        const int height = image.height();
        recognizer->recognize(image, {wordAnchors}, [delivery, width, height, wordAnchors](
                                                        const platform::RecognitionOutcome& result) {
            delivery->deliver(toOutcome(result, width, height, wordAnchors));
        });
    });
    return future;
}

}  // namespace klipo::OCRService

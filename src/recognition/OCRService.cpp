#include "recognition/OCRService.h"

#include "platform/text/TextRecognizer.h"
#include "platform/text/TextServices.h"

#include <QPromise>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>

namespace klipo::OCRService {

namespace {

OcrOutcome toOutcome(const platform::RecognitionOutcome& result, int width, int height, bool wordAnchors)
{
    if (!result.ok) {
        const QString detail = result.error.isEmpty() ? QStringLiteral("识别引擎出错") : result.error;
        return {false, QStringLiteral("文字识别失败：") + detail, {}};
    }
    std::vector<TextLine> lines;
    std::vector<LinePlace> places;
    lines.reserve(result.lines.size());
    for (const platform::RecognizedLine& recognized : result.lines) {
        places.push_back({recognized.region, recognized.monospaced});
        TextLine line;
        line.text = recognized.text;
        line.rect = flipped(QRectF(recognized.box), height);
        line.confidence = std::clamp(double(recognized.confidence) / 100.0, 0.0, 1.0);
        line.monospaced = recognized.monospaced;
        line.region = recognized.region;
        if (wordAnchors) line.anchors = computeAnchors(recognized, width, height);
        lines.push_back(std::move(line));
    }
    return {true, {}, groupIntoParagraphs(lines, places)};
}

// The one report that reaches the caller; later ones are dropped. An engine
// that lets go of its report without calling it (or throws) still ends the
// caller's future, with a failure: a future left without a result would keep
// the result panel waiting and make result() read nothing.
class Delivery {
public:
    Delivery() { m_promise.start(); }
    ~Delivery() { deliver({false, QStringLiteral("文字识别失败：识别引擎没有给出结果"), {}}); }
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

QFuture<OcrOutcome> recognizeBlocks(const QImage& image, bool wordAnchors, const platform::CancelToken& cancel)
{
    auto delivery = std::make_shared<Delivery>();
    QFuture<OcrOutcome> future = delivery->future();
    platform::TextRecognizer* recognizer = platform::textServices().recognizer;
    QThreadPool::globalInstance()->start([delivery, recognizer, image, wordAnchors, cancel] {
        const OcrOutcome cancelled{false, {}, {}, true};
        if (cancel.isCancelled()) return delivery->deliver(cancelled);
        const int width = image.width();
        const int height = image.height();
        try {
            recognizer->recognize(image, {wordAnchors, cancel}, [delivery, width, height, wordAnchors, cancel,
                                                                 cancelled](const platform::RecognitionOutcome& result) {
                if (cancel.isCancelled()) return delivery->deliver(cancelled);
                delivery->deliver(toOutcome(result, width, height, wordAnchors));
            });
            // An engine that stopped early may not report at all.
            if (cancel.isCancelled()) delivery->deliver(cancelled);
        } catch (const std::bad_alloc&) {
            delivery->deliver({false, QStringLiteral("文字识别失败：内存不足，请截取小一些的区域"), {}});
        } catch (...) {
            delivery->deliver({false, QStringLiteral("文字识别失败：识别引擎出错"), {}});
        }
    });
    return future;
}

}  // namespace klipo::OCRService

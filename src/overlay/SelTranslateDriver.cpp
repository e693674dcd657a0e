#include "overlay/SelTranslateDriver.h"

#include "platform/text/TextServices.h"
#include "recognition/OCRService.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultTranslationRun.h"

#include <QCoreApplication>
#include <QFuture>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace klipo {

namespace {

SelTranslateResult failure(const QString& message) { return {SelTranslateResult::Kind::failed, message, {}, {}, {}, {}}; }

// Everything after recognition: planning, translation, the drawn picture and
// its selectable text.
SelTranslateResult translateRecognised(const OcrOutcome& ocr, const QImage& image, qreal displayScale,
                                       const QString& target, const platform::CancelToken& cancel,
                                       platform::Translator* translator, const std::function<void()>& requested)
{
    if (ocr.cancelled || cancel.isCancelled()) return {};
    if (!ocr.ok) return failure(QStringLiteral("翻译失败：") + ocr.error);
    ResultTranslationRun::Planned planned = ResultTranslationRun::plan(image, ocr.blocks, displayScale, target);
    switch (planned.kind) {
    case ResultTranslationRun::Planned::Kind::noText: return {SelTranslateResult::Kind::noText, {}, {}, {}, {}, {}};
    case ResultTranslationRun::Planned::Kind::alreadyInTarget:
        return {SelTranslateResult::Kind::alreadyInTarget, ResultModel::alreadyInTargetStatus(target), {}, {}, {}, {}};
    case ResultTranslationRun::Planned::Kind::translate: break;
    }
    const TranslationRunOutcome outcome = ResultTranslationRun::run(planned.job, cancel, translator, requested);
    switch (outcome.kind) {
    case TranslationRunOutcome::Kind::Cancelled: return {};
    case TranslationRunOutcome::Kind::Failed: return failure(outcome.failure);
    case TranslationRunOutcome::Kind::Translated: break;
    }
    if (outcome.image.isNull()) return failure(QStringLiteral("翻译失败：译文图片合成失败"));
    SelTranslateResult result{SelTranslateResult::Kind::success, {}, outcome.image, outcome.originalText,
                              outcome.translatedJoined, nullptr};
    result.renderedImage.setDevicePixelRatio(1);
    if (cancel.isCancelled()) return {};
    result.layer =
        std::make_shared<const SelTextLayer>(SelTextLayer::fromTranslation(outcome.drawn, planned.job.baseImage));
    return result;
}

}  // namespace

SelTranslateDriver::SelTranslateDriver(QImage image, qreal displayScale, QString target, Completion completion,
                                       QObject* parent)
    : QObject(parent),
      m_image(std::move(image)),
      m_displayScale(std::max<qreal>(displayScale, 1)),
      m_target(std::move(target)),
      m_completion(std::move(completion))
{
}

SelTranslateDriver::~SelTranslateDriver() { m_cancel.cancel(); }

void SelTranslateDriver::start()
{
    QPointer<SelTranslateDriver> self(this);
    const std::function<void()> requested = [self] {
        QMetaObject::invokeMethod(
            qApp,
            [self] {
                if (self && !self->isCancelled() && self->onTranslationRequested) self->onTranslationRequested();
            },
            Qt::QueuedConnection);
    };
    platform::Translator* translator = platform::textServices().translator;
    const QImage image = m_image;
    const qreal scale = m_displayScale;
    const QString target = m_target;
    const platform::CancelToken cancel = m_cancel;
    OCRService::recognizeBlocks(image, false, cancel)
        .then(QtFuture::Launch::Async,
              [image, scale, target, cancel, translator, requested](const OcrOutcome& ocr) {
                  return translateRecognised(ocr, image, scale, target, cancel, translator, requested);
              })
        .then(this, [this](const SelTranslateResult& result) { finish(result); });
}

void SelTranslateDriver::cancel()
{
    m_cancel.cancel();
    m_completion = nullptr;
}

void SelTranslateDriver::finish(const SelTranslateResult& result)
{
    if (isCancelled() || !m_completion) return;
    const Completion completion = std::move(m_completion);
    m_completion = nullptr;
    completion(result);
}

}  // namespace klipo

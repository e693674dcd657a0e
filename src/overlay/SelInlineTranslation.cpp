#include "overlay/SelInlineTranslation.h"

#include "annotation/render/AnnoRenderer.h"
#include "app/Settings.h"
#include "overlay/SelEditingChrome.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "overlay/SelTextSelecting.h"
#include "recognition/TargetLanguageReach.h"
#include "recognition/TranslationHistory.h"

#include <QPainter>
#include <QTimer>

namespace klipo {

// --- picture view ---

SelPassthroughImageView::SelPassthroughImageView(QWidget* parent, QImage image, const QRectF& area)
    : QWidget(parent), m_image(std::move(image)), m_area(area)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(area.toAlignedRect());
}

void SelPassthroughImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(m_area.translated(-QPointF(pos())), m_image);
}

// --- translation ---

SelInlineTranslation::SelInlineTranslation(SelOverlayView& view) : QObject(&view), m_view(view) {}

void SelInlineTranslation::start()
{
    SelEditingChrome* chrome = m_view.chrome();
    if (!m_view.isEditingHere() || m_state != State::idle || !chrome) return;
    chrome->setTool(std::nullopt);
    const QImage base = chrome->cleanCrop();
    if (base.isNull()) {
        m_view.showFailure(QStringLiteral("翻译失败：选区裁剪失败，请重试"));
        return;
    }
    m_base = base;
    const qreal displayScale = m_view.overlayWindow()->space().scaleX();

    m_state = State::running;
    chrome->toolbar()->setMode(SelInlineToolbar::Mode::translating);
    chrome->showLoading();
    const int attempt = ++m_attempt;
    QPointer<SelInlineTranslation> self(this);
    m_driver = new SelTranslateDriver(base, displayScale, Settings::targetLanguage(),
                                      [self](const SelTranslateResult& result) {
                                          if (self) self->finished(result);
                                      },
                                      this);
    m_driver->onTranslationRequested = [self, attempt] {
        if (self && self->m_attempt == attempt) self->armTimeout();
    };
    m_driver->start();
    m_view.lockChanged();
}

void SelInlineTranslation::armTimeout()
{
    // Counted from the request to the translator: recognition, and a first
    // start of the recognition engine, do not eat into it.
    const int attempt = m_attempt;
    QTimer::singleShot(timeout, this, [this, attempt] {
        if (attempt != m_attempt || m_state != State::running) return;
        cancel();
        const auto seconds = (timeout.count() + 999) / 1000;
        m_view.showFailure(QStringLiteral("翻译超时，已自动取消\n本机翻译 %1 秒内没有完成").arg(seconds));
    });
}

void SelInlineTranslation::dropDriver()
{
    if (m_driver) {
        m_driver->cancel();
        m_driver->deleteLater();
    }
    m_driver = nullptr;
    if (SelEditingChrome* chrome = m_view.chrome()) chrome->hideLoading();
}

void SelInlineTranslation::finished(const SelTranslateResult& result)
{
    dropDriver();
    if (m_state != State::running) return;
    switch (result.kind) {
    case SelTranslateResult::Kind::success: break;
    case SelTranslateResult::Kind::failed: failed(result.message); return;
    case SelTranslateResult::Kind::noText: backToEditing(QStringLiteral("未识别到可翻译的文字")); return;
    case SelTranslateResult::Kind::alreadyInTarget: backToEditing(result.message); return;
    }

    QImage composite = result.renderedImage;
    SelEditingChrome* chrome = m_view.chrome();
    AnnoCanvasView* canvas = chrome ? chrome->canvas() : nullptr;
    if (canvas && !canvas->items().isEmpty()) {
        AnnoRenderer renderer(result.renderedImage);
        const QImage marked = renderer.compose(canvas->items(), QRectF(QPointF(0, 0), QSizeF(composite.size())));
        if (!marked.isNull()) composite = marked;
    }
    m_composite = composite;
    m_translatedText = result.translatedText;
    m_state = State::done;
    m_layer = std::make_unique<SelTextLayer>(result.layer ? *result.layer : SelTextLayer());
    const QRectF selection = m_view.selection();
    m_geometry = {selection, std::max(0.0001, composite.width() / std::max<qreal>(1, selection.width()))};
    showTranslatedImage(composite);
    if (chrome) {
        chrome->toolbar()->setMode(SelInlineToolbar::Mode::translated);
        chrome->toolbar()->setTextSelectActive(m_view.textSelecting().isActive());
        chrome->toolbar()->updateCopyTitles(false);
    }
    m_view.textSelecting().syncLayerForState();
    m_view.lockChanged();
    // The same capture translated again after "还原" keeps one record: the new one takes the earlier one's place.
    const std::optional<QUuid> replacing =
        m_recorded && m_recorded->base == m_base ? std::optional(m_recorded->id) : std::nullopt;
    QPointer<SelInlineTranslation> self(this);
    const bool saving = TranslationHistory::save(composite, m_base, result.originalText, result.translatedText,
                                                 replacing, [self, base = m_base](std::optional<QUuid> stored) {
                                                     if (!self) return;
                                                     if (stored) self->m_recorded = Recorded{base, *stored};
                                                     Q_EMIT self->historySaveFinished(stored.has_value());
                                                 });
    if (!saving) Q_EMIT historySaveFinished(false);
    Q_EMIT ended();
}

void SelInlineTranslation::failed(const QString& message)
{
    backToEditing({});
    // A target no pack translates into fails every time: say so, with the way to another one.
    const std::optional<QString> note = TargetLanguageReach::unreachableNote(Settings::targetLanguage());
    if (!note) {
        m_view.showFailure(message);
        return;
    }
    std::optional<SelMessageCard::WayOut> wayOut;
    if (TargetLanguageReach::canOpenPicker()) {
        SelOverlayController* controller = &m_view.controller();
        // The overlay ends without handing the focus back to the program that had it:
        // the preferences take it, and a window activated meanwhile could keep them behind it.
        wayOut = SelMessageCard::WayOut{TargetLanguageReach::wayOutTitle, [controller] {
                                            controller->finish(std::nullopt, std::nullopt, false);
                                            TargetLanguageReach::openPicker();
                                        }};
    }
    m_view.showFailure(message + QLatin1Char('\n') + *note, std::move(wayOut));
}

void SelInlineTranslation::showTranslatedImage(const QImage& image)
{
    if (m_imageView) m_imageView->deleteLater();
    m_imageView = new SelPassthroughImageView(&m_view, image, m_view.selection());
    // Over the annotation canvas, which still shows the selection's own
    // picture (the translated one holds the marks already), and under the
    // text highlight and the bars, whichever was made first.
    if (SelEditingChrome* chrome = m_view.chrome()) {
        m_imageView->stackUnder(chrome->toolbar());
        if (QWidget* highlight = m_view.textSelecting().highlightView()) highlight->stackUnder(chrome->toolbar());
    }
    m_imageView->show();
}

void SelInlineTranslation::backToEditing(const QString& toast)
{
    m_state = State::idle;
    if (SelEditingChrome* chrome = m_view.chrome()) {
        chrome->toolbar()->setMode(SelInlineToolbar::Mode::normal);
        chrome->toolbar()->setUndoEnabled(chrome->canvas() && !chrome->canvas()->undoStack().isEmpty());
        chrome->toolbar()->setTextSelectActive(m_view.textSelecting().isActive());
    }
    m_view.textSelecting().syncLayerForState();
    m_view.lockChanged();
    if (!toast.isEmpty()) m_view.showToast(toast);
    Q_EMIT ended();
}

void SelInlineTranslation::cancel()
{
    if (m_state != State::running) return;
    dropDriver();
    backToEditing({});
}

void SelInlineTranslation::revert()
{
    if (m_imageView) m_imageView->deleteLater();
    m_imageView = nullptr;
    m_composite = QImage();
    m_translatedText.clear();
    m_base = QImage();
    m_layer.reset();
    m_geometry = {};
    backToEditing({});
}

void SelInlineTranslation::teardown()
{
    ++m_attempt;
    dropDriver();
    m_state = State::idle;
}

void SelInlineTranslation::handleTranslatedAction(SelTranslatedAction action)
{
    if (m_state != State::done) return;
    SelOverlayController& controller = m_view.controller();
    switch (action) {
    case SelTranslatedAction::copyText:
        if (!m_view.textSelecting().copySelection()) m_view.textSelecting().copyText(m_translatedText);
        return;
    case SelTranslatedAction::revert: revert(); return;
    case SelTranslatedAction::pin: controller.performTranslated(SelAction::pin, m_composite, &m_view); return;
    case SelTranslatedAction::save: controller.performTranslated(SelAction::save, m_composite, &m_view); return;
    case SelTranslatedAction::copy: controller.performTranslated(SelAction::copy, m_composite, &m_view); return;
    case SelTranslatedAction::close: controller.perform(SelAction::cancel, m_view.selection(), &m_view); return;
    }
}

}  // namespace klipo

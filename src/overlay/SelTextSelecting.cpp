#include "overlay/SelTextSelecting.h"

#include "overlay/SelEditingChrome.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelInlineTranslation.h"
#include "overlay/SelOverlayView.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "recognition/OCRService.h"
#include "recognition/TextUnits.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QStyleHints>

#include <algorithm>

namespace klipo {

// --- highlight ---

SelTextHighlightView::SelTextHighlightView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SelTextHighlightView::setRects(QList<QRectF> rects)
{
    if (rects == m_rects) return;
    // Only what changed is repainted: a selection dragged over many lines
    // changes at its ends, the lines in between keep their rectangles.
    qsizetype head = 0;
    while (head < rects.size() && head < m_rects.size() && rects[head] == m_rects[head]) ++head;
    qsizetype tail = 0;
    while (tail < rects.size() - head && tail < m_rects.size() - head &&
           rects[rects.size() - 1 - tail] == m_rects[m_rects.size() - 1 - tail])
        ++tail;
    QRegion dirty;
    for (qsizetype i = head; i < m_rects.size() - tail; ++i) dirty += m_rects[i].toAlignedRect();
    for (qsizetype i = head; i < rects.size() - tail; ++i) dirty += rects[i].toAlignedRect();
    m_rects = std::move(rects);
    update(dirty);
}

void SelTextHighlightView::paintEvent(QPaintEvent*)
{
    if (m_rects.isEmpty()) return;
    QPainter painter(this);
    QColor fill = QGuiApplication::palette().color(QPalette::Highlight).toRgb();
    if (!fill.isValid()) fill = QColor(0, 122, 255);
    fill.setAlphaF(0.45f);
    for (const QRectF& r : std::as_const(m_rects))
        if (r.width() > 0 && r.height() > 0) painter.fillRect(r, fill);
}

// --- mode ---

SelTextSelecting::SelTextSelecting(SelOverlayView& view) : QObject(&view), m_view(view) {}

void SelTextSelecting::toggle()
{
    if (m_active)
        deactivate();
    else
        activate();
}

void SelTextSelecting::activate()
{
    SelEditingChrome* chrome = m_view.chrome();
    if (!chrome) return;
    chrome->setTool(std::nullopt);
    m_active = true;
    chrome->toolbar()->setTextSelectActive(true);
    chrome->toolbar()->updateCopyTitles(false);
    if (!m_highlight) {
        m_highlight = new SelTextHighlightView(&m_view);
        m_highlight->setGeometry(m_view.rect());
    }
    m_highlight->stackUnder(chrome->toolbar());
    m_highlight->show();
    syncLayerForState();
    m_view.lockChanged();
}

void SelTextSelecting::deactivate()
{
    if (!m_active) return;
    m_active = false;
    m_dragging = false;
    if (m_layer) m_layer->clearSelection();
    m_layer = nullptr;
    if (SelEditingChrome* chrome = m_view.chrome()) {
        chrome->toolbar()->setTextSelectActive(false);
        chrome->toolbar()->updateCopyTitles(false);
    }
    updateHighlight();
    m_view.lockChanged();
}

void SelTextSelecting::invalidateOriginal()
{
    ++m_generation;
    m_recognition.cancel();
    if (m_layer && m_original && m_layer == &*m_original) m_layer = nullptr;
    m_original.reset();
    if (SelEditingChrome* chrome = m_view.chrome()) chrome->toolbar()->setTextSelectLoading(false);
}

void SelTextSelecting::syncLayerForState()
{
    if (!m_active) return;
    SelInlineTranslation& translation = m_view.translation();
    if (translation.state() == SelInlineTranslation::State::done) {
        m_layer = translation.translatedLayer();
        m_geometry = translation.translatedGeometry();
        if (!m_layer || m_layer->isEmpty()) m_view.showToast(QStringLiteral("译文里没有可选择的文字"));
    } else if (!m_original) {
        m_layer = nullptr;
        startRecognition();
    } else {
        m_layer = &*m_original;
        m_geometry = m_originalGeometry;
        if (m_layer->isEmpty()) m_view.showToast(QStringLiteral("未识别到可选择的文字"));
    }
    if (m_layer) m_layer->clearSelection();
    if (SelEditingChrome* chrome = m_view.chrome()) chrome->toolbar()->updateCopyTitles(false);
    updateHighlight();
}

void SelTextSelecting::startRecognition()
{
    SelEditingChrome* chrome = m_view.chrome();
    const QRectF selection = m_view.selection();
    const QImage picture = chrome ? chrome->cleanCrop() : QImage();
    if (picture.isNull() || !(selection.width() > 0)) {
        m_view.showFailure(QStringLiteral("无法识别文字：选区裁剪失败，请重试"));
        return;
    }
    const SelTextGeometry geometry{selection, std::max(0.0001, picture.width() / selection.width())};
    const int generation = ++m_generation;
    chrome->toolbar()->setTextSelectLoading(true);
    m_recognition.cancel();
    m_recognition = platform::CancelToken();
    // The layer is laid out next to the recognition, off the main thread.
    const QFont font = SelTextLayer::ocrFont();
    OCRService::recognizeBlocks(picture, true, m_recognition)
        .then(QtFuture::Launch::Async,
              [font](const OcrOutcome& outcome) {
                  SelTextLayer layer = outcome.ok ? SelTextLayer::fromOCR(outcome.blocks, font) : SelTextLayer();
                  return std::make_pair(outcome, std::move(layer));
              })
        .then(this, [this, generation, geometry](const std::pair<OcrOutcome, SelTextLayer>& recognised) {
            if (generation == m_generation) recognitionFinished(recognised.first, recognised.second, geometry);
        });
}

void SelTextSelecting::recognitionFinished(const OcrOutcome& outcome, const SelTextLayer& layer, const SelTextGeometry& geometry)
{
    if (outcome.cancelled) return;
    if (SelEditingChrome* chrome = m_view.chrome()) chrome->toolbar()->setTextSelectLoading(false);
    const bool translationShown = m_view.translation().state() == SelInlineTranslation::State::done;
    if (!outcome.ok) {
        // Nothing is kept: the next turn of the mode tries again.
        if (m_active && !translationShown) m_view.showFailure(outcome.error);
        return;
    }
    m_original = layer;
    m_originalGeometry = geometry;
    if (!m_active || translationShown) return;
    m_layer = &*m_original;
    m_geometry = geometry;
    if (SelEditingChrome* chrome = m_view.chrome()) chrome->toolbar()->updateCopyTitles(false);
    if (m_layer->isEmpty()) m_view.showToast(QStringLiteral("未识别到可选择的文字"));
    updateHighlight();
    m_view.refreshCursor();
}

// --- pointer ---

int SelTextSelecting::countClick(QPointF p, quint64 timestamp, bool doubleClick)
{
    const QStyleHints* hints = QGuiApplication::styleHints();
    const bool inARow = m_clicks > 0 && timestamp - m_lastClickTime <= quint64(hints->mouseDoubleClickInterval()) &&
                        (p - m_lastClickAt).manhattanLength() <= hints->startDragDistance();
    m_clicks = doubleClick ? std::max(2, inARow ? m_clicks + 1 : 2) : (inARow ? m_clicks + 1 : 1);
    m_lastClickAt = p;
    m_lastClickTime = timestamp;
    return m_clicks;
}

void SelTextSelecting::press(QPointF p, quint64 timestamp, bool doubleClick)
{
    const int clicks = countClick(p, timestamp, doubleClick);
    m_dragging = false;
    if (m_layer && m_view.selection().contains(p)) {
        const QPointF q = m_geometry.toLayer(p);
        if (clicks == 2) {
            m_layer->selectWord(q);
        } else if (clicks >= 3) {
            m_layer->selectLine(q);
        } else {
            m_layer->clearSelection();
            if (const auto at = m_layer->position(q)) {
                m_layer->setAnchor(at);
                m_layer->setFocus(at);
                m_dragging = true;
            }
        }
    } else if (m_layer) {
        m_layer->clearSelection();
    }
    afterSelectionChanged();
}

void SelTextSelecting::drag(QPointF p)
{
    if (!m_dragging || !m_layer || !m_layer->anchor()) return;
    if (const auto at = m_layer->position(m_geometry.toLayer(p))) {
        if (at == m_layer->focus()) return;
        m_layer->setFocus(at);
        afterSelectionChanged();
    }
}

bool SelTextSelecting::isOverText(QPointF p) const
{
    if (!m_layer || !m_view.selection().contains(p)) return false;
    const QPointF q = m_geometry.toLayer(p);
    return std::any_of(m_layer->items().begin(), m_layer->items().end(), [q](const SelTextItem& item) {
        return q.x() >= item.rect.left() && q.x() <= item.rect.right() && q.y() >= item.rect.top() &&
               q.y() <= item.rect.bottom();
    });
}

void SelTextSelecting::afterSelectionChanged()
{
    if (SelEditingChrome* chrome = m_view.chrome())
        chrome->toolbar()->updateCopyTitles(m_layer && m_layer->hasSelection());
    updateHighlight();
}

void SelTextSelecting::updateHighlight()
{
    if (!m_highlight) return;
    QList<QRectF> rects;
    if (m_active && m_layer) {
        const QRectF selection = m_view.selection();
        for (const QRectF& r : m_layer->selectionRects()) {
            const QRectF shown = m_geometry.toView(r).intersected(selection);
            if (!shown.isEmpty()) rects << shown;
        }
    }
    m_highlight->setRects(std::move(rects));
}

// --- keys and copying ---

bool SelTextSelecting::selectAll()
{
    if (!m_active || !m_layer || m_layer->isEmpty()) return false;
    m_layer->selectAll();
    afterSelectionChanged();
    return true;
}

bool SelTextSelecting::copySelection()
{
    if (!m_active || !m_layer || !m_layer->hasSelection()) return false;
    copyText(m_layer->selectedText());
    return true;
}

bool SelTextSelecting::clearSelection()
{
    if (!m_active || !m_layer || !m_layer->hasSelection()) return false;
    m_layer->clearSelection();
    afterSelectionChanged();
    return true;
}

void SelTextSelecting::copyFromToolbar()
{
    if (!m_layer) {
        m_view.showToast(QStringLiteral("还没有可复制的文字"));
        return;
    }
    copyText(m_layer->hasSelection() ? m_layer->selectedText() : m_layer->allText());
}

void SelTextSelecting::copyText(const QString& text)
{
    if (text.isEmpty()) {
        m_view.showToast(QStringLiteral("没有可复制的文字"));
        return;
    }
    platform::Clipboard* clipboard = platform::services().clipboard;
    if (clipboard) clipboard->setText(text);
    if (!clipboard || clipboard->text() != text) {
        m_view.showFailure(QStringLiteral("复制失败，请重试"));
        return;
    }
    m_view.showToast(copiedMessage(text));
}

QString SelTextSelecting::copiedMessage(const QString& text)
{
    return QStringLiteral("已复制 %1 个字符").arg(graphemes(text).size());
}

}  // namespace klipo

#include "overlay/SelEditingChrome.h"

#include "annotation/canvas/AnnoCanvasView.h"
#include "annotation/style/AnnoStyleStore.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelInlineTranslation.h"
#include "overlay/SelMessageCard.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelStyleStrip.h"
#include "overlay/SelTextSelecting.h"
#include "overlay/SelWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace klipo {

namespace {

// The dark rounded card behind the loading box.
class ToastCard : public QWidget {
public:
    explicit ToastCard(QWidget* parent, qreal radius = 9, qreal alpha = 0.78)
        : QWidget(parent), m_radius(radius), m_alpha(alpha)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override { SelWidgets::paintDarkCard(this, m_radius, m_alpha); }

private:
    qreal m_radius;
    qreal m_alpha;
};

// The selection's handles where they lie over the annotation canvas, which
// would otherwise cover their inner halves. Lets every click through.
class HandleLayer : public QWidget {
public:
    explicit HandleLayer(SelOverlayView& view) : QWidget(&view), m_view(view)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!m_view.isEditingHere() || m_view.isSelectionLocked()) return;
        QPainter painter(this);
        painter.translate(-pos());
        SelOverlayView::drawHandles(painter, m_view.selection());
    }

private:
    SelOverlayView& m_view;
};

}  // namespace

SelEditingChrome::SelEditingChrome(SelOverlayView& view)
    : QObject(&view), m_view(view), m_toolbar(new SelInlineToolbar(&view)), m_strip(new SelStyleStrip(&view))
{
    QPointer<SelOverlayView> weak(&view);
    m_toolbar->onToolTapped = [this, weak](AnnoTool tool) {
        if (!weak) return;
        weak->textSelecting().deactivate();
        setTool(m_tool == tool ? std::nullopt : std::optional<AnnoTool>(tool));
    };
    m_toolbar->onTextSelectTapped = [weak] {
        if (weak && weak->isEditingHere()) weak->toggleTextSelecting();
    };
    m_toolbar->onCopySelectedText = [weak] {
        if (weak) weak->textSelecting().copyFromToolbar();
    };
    m_toolbar->onUndo = [weak] {
        if (weak) weak->undo();
    };
    m_toolbar->onAction = [weak](SelAction action) {
        if (!weak) return;
        weak->m_controller.perform(action, weak->selection(), weak);
    };
    m_toolbar->onTranslatedAction = [weak](SelTranslatedAction action) {
        if (weak) weak->translation().handleTranslatedAction(action);
    };
    m_strip->onColor = [this](const QColor& color) {
        if (!m_tool) return;
        m_style.apply(color);
        styleChanged(*m_tool);
    };
    m_strip->onLevel = [this](int index) {
        if (!m_tool) return;
        const auto values = SelStyleStrip::levelValues(*m_tool);
        if (index < 0 || index >= int(values.size())) return;
        if (AnnoTools::usesFontSize(*m_tool))
            m_style.fontSize = values[index];
        else
            m_style.lineWidth = values[index];
        styleChanged(*m_tool);
    };
    m_toolbar->setPrimaryAction(m_view.controller().primaryAction());
    m_strip->hide();
}

void SelEditingChrome::reset()
{
    m_tool.reset();
    m_toolbar->setMode(SelInlineToolbar::Mode::normal);
    m_toolbar->setActiveTool(std::nullopt);
    m_toolbar->setUndoEnabled(false);
    m_toolbar->setPrimaryAction(m_view.controller().primaryAction());
    m_strip->hide();
}

void SelEditingChrome::layout()
{
    if (!m_view.isEditingHere()) {
        m_toolbar->hide();
        m_strip->hide();
        return;
    }
    m_toolbar->show();
    m_toolbar->adjustSize();
    std::optional<QSizeF> stripSize;
    if (m_tool) {
        m_strip->adjustSize();
        stripSize = QSizeF(m_strip->sizeHint());
    }
    const auto placed =
        SelChromeLayout::place(QRectF(m_view.rect()), m_view.selection(), QSizeF(m_toolbar->sizeHint()), stripSize);
    m_side = placed.side;
    m_toolbar->setGeometry(placed.toolbar.toRect());
    m_toolbar->raise();
    if (placed.strip) {
        m_strip->setGeometry(placed.strip->toRect());
        m_strip->show();
        m_strip->raise();
    } else {
        m_strip->hide();
    }
}

void SelEditingChrome::setTool(std::optional<AnnoTool> tool)
{
    m_tool = tool;
    m_toolbar->setActiveTool(tool);
    if (tool) {
        AnnoCanvasView* canvas = ensureCanvas();
        canvas->show();
        syncCanvasFrameAndBase();
        m_style = AnnoStyleStore::style(*tool);
        canvas->setTool(*tool);
        canvas->setStyle(m_style);
        m_strip->configure(*tool, m_style);
        m_strip->show();
        canvas->setFocus(Qt::OtherFocusReason);
    } else {
        if (m_canvas) {
            m_canvas->endTextEditing(true);
            m_canvas->setTool(AnnoTool::select);
            if (m_canvas->items().isEmpty()) m_canvas->hide();
        }
        m_strip->hide();
        m_view.setFocus(Qt::OtherFocusReason);
    }
    updateCanvasRouting();
    layout();
    m_view.update();
}

void SelEditingChrome::styleChanged(AnnoTool tool)
{
    AnnoStyleStore::save(m_style, tool);
    if (m_canvas) {
        m_canvas->setStyle(m_style);
        m_canvas->applyStyleToSelection(m_style);
    }
    m_strip->configure(tool, m_style);
}

AnnoCanvasView* SelEditingChrome::ensureCanvas()
{
    if (m_canvas) return m_canvas;
    auto* canvas = new AnnoCanvasView(&m_view);
    canvas->setInline(true);
    canvas->setGeometry(m_view.selection().toRect());
    QPointer<SelEditingChrome> self(this);
    canvas->onStateChanged = [self] {
        if (self) self->annoStateChanged();
    };
    canvas->installEventFilter(&m_view);
    canvas->stackUnder(m_toolbar);
    m_canvas = canvas;
    m_handleLayer = new HandleLayer(m_view);
    m_handleLayer->stackUnder(m_toolbar);
    placeHandleLayer();
    m_handleLayer->show();
    return canvas;
}

void SelEditingChrome::syncCanvasFrameAndBase()
{
    if (!m_canvas || m_canvas->isHidden()) return;
    const QRectF selection = m_view.selection();
    m_canvas->setGeometry(selection.toRect());
    placeHandleLayer();
    if (m_canvasBaseSelection == selection && !m_canvasBaseSelection.isNull()) return;
    const QImage image = m_view.m_controller.croppedImage(selection, &m_view, false);
    if (image.isNull()) return;  // keeps the previous picture; the next sync tries again
    m_canvas->load(image);
    m_canvasBaseSelection = selection;
    m_canvas->setTool(m_tool.value_or(AnnoTool::select));
    m_canvas->setStyle(m_style);
}

void SelEditingChrome::placeHandleLayer()
{
    if (!m_handleLayer) return;
    m_handleLayer->setGeometry(m_view.selection().toAlignedRect().adjusted(-6, -6, 6, 6));
    m_handleLayer->update();
}

void SelEditingChrome::updateCanvasRouting()
{
    if (!m_canvas) return;
    const bool takesPointer =
        (m_tool.has_value() || !m_canvas->items().isEmpty()) && !m_view.takesPointerOverCanvas();
    m_canvas->setAttribute(Qt::WA_TransparentForMouseEvents, !takesPointer);
}

void SelEditingChrome::annoStateChanged()
{
    if (m_canvas) m_toolbar->setUndoEnabled(!m_canvas->undoStack().isEmpty());
    refreshLock();
}

void SelEditingChrome::refreshLock()
{
    updateCanvasRouting();
    if (m_handleLayer) m_handleLayer->update();
    const QRectF selection = m_view.selection();
    m_view.update(selection.toAlignedRect().adjusted(-8, -8, 8, 8));
}

bool SelEditingChrome::canvasVisible() const { return m_canvas && !m_canvas->isHidden(); }

bool SelEditingChrome::canvasHoldsMarks() const
{
    return m_canvas && (!m_canvas->items().isEmpty() || m_canvas->editor());
}

bool SelEditingChrome::canvasEditingText() const { return m_canvas && m_canvas->editor(); }

QImage SelEditingChrome::composedAnnotatedImage()
{
    if (!m_canvas || !m_canvas->hasAnnotations()) return {};
    m_canvas->endTextEditing(true);
    AnnoRenderer* renderer = m_canvas->renderer();
    if (!renderer) return {};
    return renderer->compose(m_canvas->items(), m_canvas->cropRect());
}

QImage SelEditingChrome::cleanCrop() const
{
    if (m_canvas && m_canvas->hasAnnotations()) return m_canvas->renderer() ? m_canvas->renderer()->base() : QImage();
    return m_view.m_controller.croppedImage(m_view.selection(), &m_view, false);
}

void SelEditingChrome::dropToast()
{
    if (m_toast) m_toast->deleteLater();
    m_toast = nullptr;
}

void SelEditingChrome::showLoading()
{
    hideLoading();
    auto* box = new ToastCard(&m_view, 10, 0.72);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(8);
    auto* spinner = new SelSpinner(box);
    spinner->setAnimating(true);
    row->addWidget(spinner, 0, Qt::AlignVCenter);
    auto* label = new QLabel(QStringLiteral("翻译中…"), box);
    label->setFont(SelWidgets::barFont(13));
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    row->addWidget(label, 0, Qt::AlignVCenter);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->adjustSize();
    const QPointF centre = m_view.selection().center();
    box->move(qRound(centre.x() - box->width() / 2.0), qRound(centre.y() - box->height() / 2.0));
    box->show();
    box->raise();
    m_loading = box;
}

void SelEditingChrome::hideLoading()
{
    if (m_loading) m_loading->deleteLater();
    m_loading = nullptr;
}

void SelEditingChrome::showToast(const QString& text) { showMessage(text, SelMessageCard::Kind::info); }

void SelEditingChrome::showMessage(const QString& text, SelMessageCard::Kind kind,
                                   std::optional<SelMessageCard::WayOut> wayOut)
{
    dropToast();
    const QRectF selection = m_view.selection();
    auto* card = new SelMessageCard(&m_view, text, kind, int(selection.width() - 40), std::move(wayOut));
    card->setGeometry(SelChromeLayout::toastFrame(QRectF(m_view.rect()), selection, QSizeF(card->size())).toRect());
    card->show();
    card->raise();
    card->startCountdown();
    m_toast = card;
}

}  // namespace klipo

#include "overlay/SelOverlayView.h"

#include "annotation/canvas/AnnoCanvasView.h"
#include "app/Settings.h"
#include "overlay/SelEditingChrome.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelInlineTranslation.h"
#include "overlay/SelKeys.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayWindow.h"
#include "overlay/SelStyleStrip.h"
#include "overlay/SelTextSelecting.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace klipo {

SelOverlayView::SelOverlayView(SelOverlayWindow* window, SelOverlayController& controller)
    : QWidget(window),
      m_window(window),
      m_controller(controller),
      m_translation(new SelInlineTranslation(*this)),
      m_textSelecting(new SelTextSelecting(*this))
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    m_selection = SelSelection(QRectF(QPointF(0, 0), QSizeF(window->screenFrame().size())));
    m_mousePoint = mapFromGlobal(QCursor::pos());
}

SelOverlayView::~SelOverlayView() = default;

bool SelOverlayView::isEditingHere() const
{
    return m_controller.isActive() && m_controller.phase() == SelPhase::editing && m_controller.activeView() == this;
}

bool SelOverlayView::isSelectionLocked() const
{
    return takesPointerOverCanvas() || (m_chrome && m_chrome->canvasHoldsMarks());
}

bool SelOverlayView::takesPointerOverCanvas() const
{
    return m_textSelecting->isActive() || m_translation->state() != SelInlineTranslation::State::idle;
}

void SelOverlayView::lockChanged()
{
    if (m_chrome) {
        m_chrome->refreshLock();
        m_chrome->layout();
    }
    update();
    refreshHintCorner();
    refreshCursor();
}

// --- Selecting ---

void SelOverlayView::focusPanelIfSelecting()
{
    if (!m_controller.isActive() || m_controller.phase() != SelPhase::selecting) return;
    if (!m_window->isActiveWindow()) {
        m_window->raise();
        m_window->activateWindow();
        setFocus(Qt::ActiveWindowFocusReason);
    }
}

void SelOverlayView::updateHighlight()
{
    m_highlight.reset();
    const QPointF native = m_window->space().localToNativePx(m_mousePoint);
    for (const QRect& r : m_controller.pickableRectsPx()) {
        if (!QRectF(r).contains(native)) continue;
        const QRectF local = m_window->space().nativePxToLocal(r).intersected(QRectF(rect()));
        if (!local.isEmpty()) m_highlight = local;
        return;
    }
}

void SelOverlayView::commitHighlightedWindow()
{
    m_mousePoint = mapFromGlobal(QCursor::pos());
    updateHighlight();
    if (m_highlight) m_controller.commitSelection(*m_highlight, this);
}

void SelOverlayView::selectWholeScreen() { m_controller.commitSelection(QRectF(rect()), this); }

void SelOverlayView::clearSelectingState()
{
    m_selection.clearDrag();
    m_highlight.reset();
    setCursor(Qt::ArrowCursor);
    update();
}

// --- Editing ---

void SelOverlayView::enterEditing(const QRectF& rect)
{
    m_selection.enter(rect);
    m_highlight.reset();
    if (!m_chrome) {
        m_chrome = new SelEditingChrome(*this);
    } else {
        m_textSelecting->deactivate();
        m_textSelecting->invalidateOriginal();
        m_chrome->reset();
    }
    m_chrome->layout();
    setCursor(Qt::ArrowCursor);
    updateEditingCursor(m_mousePoint);
    update();
}

void SelOverlayView::selectionChanged(const QRectF& before)
{
    m_textSelecting->invalidateOriginal();
    if (m_chrome) {
        m_chrome->syncCanvasFrameAndBase();
        m_chrome->layout();
    }
    update(outline(before) + outline(m_selection.rect()) +
           (QRegion(before.toAlignedRect()).xored(QRegion(m_selection.rect().toAlignedRect()))));
    refreshHintCorner();
}

void SelOverlayView::nudgeSelection(const QPoint& stepPx)
{
    if (!isEditingHere() || isSelectionLocked()) return;
    const QRectF before = m_selection.rect();
    const SelScreenSpace& space = m_window->space();
    if (m_selection.nudge(stepPx.x() * space.pixelStepX(), stepPx.y() * space.pixelStepY())) selectionChanged(before);
}

void SelOverlayView::performPrimaryAction()
{
    if (!isEditingHere()) return;
    switch (m_translation->state()) {
    case SelInlineTranslation::State::idle:
        m_controller.perform(m_controller.primaryAction(), m_selection.rect(), this);
        return;
    case SelInlineTranslation::State::done:
        // The translation was recorded when it finished: no second record.
        m_controller.performTranslated(SelAction::copy, m_translation->composite(), this);
        return;
    case SelInlineTranslation::State::running: return;
    }
}

bool SelOverlayView::handleEscapeStep()
{
    if (m_translation->state() == SelInlineTranslation::State::running) {
        m_translation->cancel();
        return true;
    }
    if (m_textSelecting->clearSelection()) return true;
    if (m_translation->state() == SelInlineTranslation::State::done) {
        m_translation->revert();
        return true;
    }
    if (!m_chrome || !m_chrome->canvasVisible()) return false;
    AnnoCanvasView* canvas = m_chrome->canvas();
    if (canvas->editor()) {
        canvas->endTextEditing(false);
        return true;
    }
    if (canvas->selectedID()) {
        canvas->setSelectedID(std::nullopt);
        return true;
    }
    return false;
}

bool SelOverlayView::selectAllText() { return m_textSelecting->selectAll(); }

bool SelOverlayView::copySelectedText() { return m_textSelecting->copySelection(); }

void SelOverlayView::undo()
{
    if (m_translation->state() != SelInlineTranslation::State::idle) return;
    if (m_chrome && m_chrome->canvas()) m_chrome->canvas()->undo();
}

void SelOverlayView::redo()
{
    if (m_translation->state() != SelInlineTranslation::State::idle) return;
    if (m_chrome && m_chrome->canvas()) m_chrome->canvas()->redo();
}

void SelOverlayView::startInlineTranslation() { m_translation->start(); }

void SelOverlayView::toggleTextSelecting()
{
    if (isEditingHere()) m_textSelecting->toggle();
}

void SelOverlayView::teardownInlineTranslation()
{
    m_translation->teardown();
    m_textSelecting->invalidateOriginal();
    if (m_chrome) m_chrome->dropToast();
}

QImage SelOverlayView::composedAnnotatedImage()
{
    return m_chrome ? m_chrome->composedAnnotatedImage() : QImage();
}

void SelOverlayView::showToast(const QString& text)
{
    if (m_chrome) m_chrome->showToast(text);
}

void SelOverlayView::showFailure(const QString& text, std::optional<SelMessageCard::WayOut> wayOut)
{
    if (m_chrome) m_chrome->showMessage(text, SelMessageCard::Kind::failure, std::move(wayOut));
}

// --- Hints ---

SelHints::Context SelOverlayView::hintContext() const
{
    SelHints::Context c;
    c.phase = m_controller.phase();
    c.editingHere = isEditingHere();
    c.pickMode = m_controller.isPickMode();
    c.pickHint = m_controller.pickHint();
    c.primaryAction = m_controller.primaryAction();
    c.textSelecting = m_textSelecting->isActive();
    switch (m_translation->state()) {
    case SelInlineTranslation::State::idle: c.translation = SelHints::Context::Translation::idle; break;
    case SelInlineTranslation::State::running: c.translation = SelHints::Context::Translation::running; break;
    case SelInlineTranslation::State::done: c.translation = SelHints::Context::Translation::done; break;
    }
    c.marksDrawn = m_chrome && m_chrome->canvasHoldsMarks();
    return c;
}

QList<QRectF> SelOverlayView::hintObstacles() const
{
    QList<QRectF> list;
    if (m_controller.phase() == SelPhase::selecting) {
        if (m_selection.isDragging()) list << m_selection.draggedRect();
    } else if (isEditingHere()) {
        list << m_selection.rect();
        if (m_chrome && m_chrome->toolbar()->isVisible()) list << QRectF(m_chrome->toolbar()->geometry());
        if (m_chrome && m_chrome->strip()->isVisible()) list << QRectF(m_chrome->strip()->geometry());
    }
    return list;
}

QRectF SelOverlayView::hintFrame(SelHintCorner corner) const
{
    const QList<HUDHintPanel::Row> rows = hintRows();
    if (rows.isEmpty() || !Settings::selShowHintPanel()) return {};
    return SelHints::frame(QRectF(rect()), HUDHintPanel::size(rows), corner);
}

void SelOverlayView::refreshHintCorner()
{
    const QList<HUDHintPanel::Row> rows = hintRows();
    if (rows.isEmpty() || !Settings::selShowHintPanel()) return;
    const QSizeF size = HUDHintPanel::size(rows);
    const SelHintCorner corner = SelHints::chooseCorner(QRectF(rect()), size, m_mousePoint, hintObstacles());
    if (corner == m_lastHintCorner) return;
    update(hintFrame(m_lastHintCorner).toAlignedRect().adjusted(-2, -2, 2, 2));
    update(hintFrame(corner).toAlignedRect().adjusted(-2, -2, 2, 2));
}

// --- Pointer ---

void SelOverlayView::updateEditingCursor(const QPointF& p)
{
    if (!isEditingHere()) return;
    if (m_textSelecting->isActive()) {
        setCursor(m_textSelecting->isOverText(p) ? Qt::IBeamCursor : Qt::ArrowCursor);
        return;
    }
    if (!isSelectionLocked()) {
        if (const auto handle = SelHandles::hitTest(p, m_selection.rect())) {
            setCursor(SelHandles::cursor(*handle));
            return;
        }
    }
    if (m_selection.rect().contains(p) && !(m_chrome && m_chrome->canvasVisible())) {
        setCursor(isSelectionLocked() ? Qt::ArrowCursor : Qt::OpenHandCursor);
        return;
    }
    setCursor(Qt::ArrowCursor);
}

QRegion SelOverlayView::outline(const QRectF& r) const
{
    if (r.isEmpty()) return {};
    // The border, its shadow and the handles reach 6 points out and in.
    const QRect outer = r.toAlignedRect().adjusted(-6, -6, 6, 6);
    const QRect inner = r.toAlignedRect().adjusted(6, 6, -6, -6);
    QRegion ring(outer);
    if (inner.isValid()) ring -= QRegion(inner);
    return ring + QRegion(sizeLabelRect(r).toAlignedRect().adjusted(-2, -2, 2, 2));
}

void SelOverlayView::dragChanged(const QRectF& before)
{
    const QRectF after = m_selection.isDragging() ? m_selection.draggedRect() : QRectF();
    update(outline(before) + outline(after) +
           QRegion(before.toAlignedRect()).xored(QRegion(after.toAlignedRect())));
    refreshHintCorner();
}

void SelOverlayView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    focusPanelIfSelecting();
}

void SelOverlayView::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    m_mousePoint = p;
    if (event->button() == Qt::RightButton) {
        if (m_controller.phase() == SelPhase::selecting) m_controller.cancel();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (m_controller.phase() == SelPhase::selecting) {
        m_selection.press(p);
        const auto before = m_highlight;
        updateHighlight();
        if (before != m_highlight) update();
        return;
    }
    if (!isEditingHere()) return;
    if (m_textSelecting->isActive()) {
        m_textSelecting->press(p, event->timestamp(), event->type() == QEvent::MouseButtonDblClick);
        return;
    }
    m_selection.beginGesture(p, isSelectionLocked());
    if (m_selection.gesture() == SelSelection::Gesture::move) setCursor(Qt::ClosedHandCursor);
}

void SelOverlayView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    m_mousePoint = p;
    if (m_controller.phase() == SelPhase::selecting) {
        focusPanelIfSelecting();
        if (m_selection.dragStart()) {
            const QRectF before = m_selection.isDragging() ? m_selection.draggedRect() : QRectF();
            if (m_selection.dragTo(p)) dragChanged(before);
            return;
        }
        const auto before = m_highlight;
        updateHighlight();
        if (before != m_highlight) {
            QRegion dirty;
            if (before) dirty += outline(*before) + QRegion(before->toAlignedRect());
            if (m_highlight) dirty += outline(*m_highlight) + QRegion(m_highlight->toAlignedRect());
            update(dirty);
        }
        refreshHintCorner();
        return;
    }
    if (!isEditingHere()) return;
    if (m_textSelecting->isDragging()) {
        m_textSelecting->drag(p);
        return;
    }
    if (m_selection.gesture() != SelSelection::Gesture::none) {
        const QRectF before = m_selection.rect();
        if (m_selection.gestureTo(p)) selectionChanged(before);
        return;
    }
    updateEditingCursor(p);
    refreshHintCorner();
}

void SelOverlayView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    m_mousePoint = p;
    if (event->button() != Qt::LeftButton) return;
    if (m_controller.phase() == SelPhase::selecting) {
        if (!m_selection.dragStart()) return;  // the press happened on another screen
        const QRectF before = m_selection.isDragging() ? m_selection.draggedRect() : QRectF();
        const std::optional<QRectF> dragged = m_selection.release(p);
        dragChanged(before);
        if (dragged)
            m_controller.commitSelection(*dragged, this);
        else if (m_highlight)
            m_controller.commitSelection(*m_highlight, this);
        return;
    }
    if (!isEditingHere()) return;
    m_textSelecting->release();
    m_selection.endGesture();
    updateEditingCursor(p);
}

void SelOverlayView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

bool SelOverlayView::eventFilter(QObject* watched, QEvent* event)
{
    // The handles stay usable where they lie over the annotation canvas.
    AnnoCanvasView* canvas = m_chrome ? m_chrome->canvas() : nullptr;
    if (!canvas || watched != canvas) return QWidget::eventFilter(watched, event);
    const auto type = event->type();
    if (type == QEvent::ChildAdded || type == QEvent::ChildRemoved) {
        // A text field opened or closed: the selection locks or unlocks.
        QTimer::singleShot(0, this, [this] {
            if (m_chrome) m_chrome->refreshLock();
        });
        return false;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF p = canvas->mapTo(this, mouse->position());
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton && isEditingHere() &&
        !isSelectionLocked() && SelHandles::hitTest(p, m_selection.rect())) {
        m_canvasGesture = true;
        m_selection.beginGesture(p, false);
        return true;
    }
    if (!m_canvasGesture) {
        if (type == QEvent::MouseMove && mouse->buttons() == Qt::NoButton) {
            // The resize cursor over the handles' inner halves too.
            const auto handle = isSelectionLocked() ? std::nullopt : SelHandles::hitTest(p, m_selection.rect());
            const Qt::CursorShape shape = canvas->cursor().shape();
            const bool showsResize = shape == Qt::SizeFDiagCursor || shape == Qt::SizeBDiagCursor ||
                                     shape == Qt::SizeVerCursor || shape == Qt::SizeHorCursor;
            if (handle)
                canvas->setCursor(SelHandles::cursor(*handle));
            else if (showsResize)
                canvas->setSuppressesCursorRects(canvas->suppressesCursorRects());  // its own cursor again
        }
        return false;
    }
    if (type == QEvent::MouseMove) {
        const QRectF before = m_selection.rect();
        if (m_selection.gestureTo(p)) selectionChanged(before);
    } else if (type == QEvent::MouseButtonRelease) {
        m_canvasGesture = false;
        m_selection.endGesture();
    }
    return true;
}

void SelOverlayView::keyPressEvent(QKeyEvent* event)
{
    const SelKeys::Decision decision = SelKeys::viewKey(m_controller.phase(), event->key(), event->modifiers());
    switch (decision.command) {
    case SelKeys::Command::commitHighlightedWindow: commitHighlightedWindow(); return;
    case SelKeys::Command::selectWholeScreen: selectWholeScreen(); return;
    case SelKeys::Command::colorPicker:
        m_controller.switchToQuickFunction(m_controller.quickFunctions().colorPicker);
        return;
    case SelKeys::Command::delayedCapture:
        m_controller.switchToQuickFunction(m_controller.quickFunctions().delayedCapture);
        return;
    case SelKeys::Command::captureLastArea:
        m_controller.switchToQuickFunction(m_controller.quickFunctions().captureLastArea);
        return;
    case SelKeys::Command::primaryAction: performPrimaryAction(); return;
    default: QWidget::keyPressEvent(event);
    }
}

}  // namespace klipo

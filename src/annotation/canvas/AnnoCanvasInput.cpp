// The canvas's mouse and key handling: drawing new marks, selecting, moving
// and resizing them, cropping, Delete and Esc.
#include "annotation/canvas/AnnoCanvasView.h"

#include "annotation/marks/AnnoMark.h"
#include "annotation/marks/PenMark.h"
#include "annotation/model/AnnoGeometry.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace klipo {

namespace {
constexpr double kHitTolerancePt = 6;     // click tolerance in view points
constexpr double kHandleGrabPt = 3;       // handles grab this far outside their squares
constexpr double kPenSpacing = 1.5;       // pen points closer than this are dropped at release
constexpr double kSmallestMark = 3;       // a drawn box must reach this in one direction
constexpr double kSmallestCrop = 8;       // a crop must reach this in both directions
constexpr double kKeepVisiblePt = 8;      // a moved mark keeps this much of its box on the crop

bool isDrawingTool(AnnoTool tool)
{
    switch (tool) {
    case AnnoTool::rectangle:
    case AnnoTool::ellipse:
    case AnnoTool::line:
    case AnnoTool::arrow:
    case AnnoTool::mosaic:
    case AnnoTool::highlight: return true;
    default: return false;
    }
}

// The topmost mark hit at p, or -1.
int topmostHit(const QList<AnnoItem>& items, QPointF p, double tolerance)
{
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        if (items[i].hitTest(p, tolerance)) return int(i);
    return -1;
}
}  // namespace

QPointF AnnoCanvasView::clampToImage(QPointF p) const
{
    const QRectF bounds = m_cropRect.width() > 0 ? m_cropRect : fullImage();
    if (!(bounds.width() > 0 && bounds.height() > 0)) return p;
    return QPointF(std::clamp(p.x(), bounds.left(), bounds.right()), std::clamp(p.y(), bounds.top(), bounds.bottom()));
}

// The move of the pressed mark by `delta`, stopped where its box would leave
// the crop: some of it always stays on the crop, to be seen and picked again.
QPointF AnnoCanvasView::clampedMove(QPointF delta) const
{
    if (!m_dragItemAtPress) return delta;
    const QRectF crop = m_cropRect.width() > 0 ? m_cropRect : fullImage();
    if (!(crop.width() > 0 && crop.height() > 0)) return delta;
    const QRectF box = m_dragItemAtPress->boundingBox();
    const double keep = kKeepVisiblePt / mapping().scale;
    const auto axis = [keep](double d, double boxMin, double boxMax, double cropMin, double cropMax) {
        const double k = std::min({keep, boxMax - boxMin, cropMax - cropMin});
        const double lo = cropMin + k - boxMax;  // the box's far edge stays k inside the near crop edge
        const double hi = cropMax - k - boxMin;
        return std::clamp(d, lo, std::max(lo, hi));
    };
    return QPointF(axis(delta.x(), box.left(), box.right(), crop.left(), crop.right()),
                   axis(delta.y(), box.top(), box.bottom(), crop.top(), crop.bottom()));
}

void AnnoCanvasView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    press(event->position(), 1, event->modifiers());
}

// Qt reports the second click of a double click as its own event.
void AnnoCanvasView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    press(event->position(), 2, event->modifiers());
}

void AnnoCanvasView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    drag(event->position(), event->modifiers());
}

void AnnoCanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    release();
}

void AnnoCanvasView::press(QPointF v, int clickCount, Qt::KeyboardModifiers)
{
    setFocus(Qt::MouseFocusReason);
    const QPointF p = imagePoint(v);
    endTextEditing(true);

    if (isDrawingTool(m_tool) || m_tool == AnnoTool::pen) {
        m_dragMode = DragMode::create;
        const QPointF q = clampToImage(p);
        AnnoItem draft = AnnoItem::make(m_tool, m_style);
        if (m_tool == AnnoTool::pen) {
            draft.points = {q};
        } else {
            m_dragOrigin = q;
            draft.start = draft.end = q;
        }
        m_draftItem = draft;
        update();
        return;
    }
    switch (m_tool) {
    case AnnoTool::text: {
        AnnoItem item = AnnoItem::make(AnnoTool::text, m_style);
        item.start = clampToImage(p);
        beginTextEditing(item, true);
        return;
    }
    case AnnoTool::number: {
        pushUndo();
        AnnoItem item = AnnoItem::make(AnnoTool::number, m_style);
        item.start = clampToImage(p);
        item.number = m_nextNumber++;
        m_items.append(item);
        setSelectedID(std::nullopt);
        update();
        stateChanged();
        return;
    }
    case AnnoTool::crop: {
        m_dragMode = DragMode::crop;
        m_dragOrigin = clampToImage(p);
        m_draftCrop = QRectF(m_dragOrigin, QSizeF(0, 0));
        update();
        return;
    }
    case AnnoTool::select: handleSelectPress(p, v, clickCount); return;
    default: return;
    }
}

void AnnoCanvasView::handleSelectPress(QPointF p, QPointF v, int clickCount)
{
    if (const auto selected = selectedItem()) {
        const AnnoDisplayMapping m = mapping();
        const QList<QRectF> handles = m.handleRects(AnnoMarks::forTool(selected->tool).handlePoints(*selected));
        for (qsizetype i = 0; i < handles.size(); ++i) {
            if (AnnoGeometry::contains(AnnoGeometry::grown(handles[i], kHandleGrabPt), v)) {
                m_dragMode = DragMode::resize;
                m_activeHandle = int(i);
                m_dragSnapshot = currentState();
                m_dragItemAtPress = *selected;
                return;
            }
        }
    }
    const int hit = topmostHit(m_items, p, kHitTolerancePt / mapping().scale);
    if (hit < 0) {
        setSelectedID(std::nullopt);
        m_dragMode = DragMode::none;
        return;
    }
    const AnnoItem item = m_items[hit];
    setSelectedID(item.id);
    if (clickCount >= 2 && item.tool == AnnoTool::text) {
        beginTextEditing(item, false);
        return;
    }
    m_dragMode = DragMode::move;
    m_dragOrigin = p;
    m_dragSnapshot = currentState();
    m_dragItemAtPress = item;
}

void AnnoCanvasView::drag(QPointF v, Qt::KeyboardModifiers modifiers)
{
    const QPointF p = imagePoint(v);
    switch (m_dragMode) {
    case DragMode::none: return;
    case DragMode::create: {
        if (!m_draftItem) return;
        const QPointF q = clampToImage(p);
        if (m_draftItem->tool == AnnoTool::pen) {
            m_draftItem->points.append(q);
        } else {
            m_draftItem->end = (modifiers & Qt::ShiftModifier)
                                   ? AnnoMarks::forTool(m_draftItem->tool).constrain(q, m_dragOrigin)
                                   : q;
        }
        break;
    }
    case DragMode::move: {
        const int i = selectedIndex();
        if (i < 0 || !m_dragItemAtPress) return;
        const QPointF d = clampedMove(p - m_dragOrigin);
        AnnoItem moved = *m_dragItemAtPress;
        moved.translate(d.x(), d.y());
        m_items[i] = moved;
        break;
    }
    case DragMode::resize: {
        const int i = selectedIndex();
        if (i < 0 || !m_dragItemAtPress) return;
        AnnoItem resized = *m_dragItemAtPress;
        AnnoMarks::forTool(resized.tool).resize(resized, *m_dragItemAtPress, m_activeHandle, clampToImage(p));
        m_items[i] = resized;
        break;
    }
    case DragMode::crop: m_draftCrop = AnnoGeometry::box(m_dragOrigin, clampToImage(p)); break;
    }
    update();
}

void AnnoCanvasView::release()
{
    switch (m_dragMode) {
    case DragMode::none: break;
    case DragMode::create: commitDraft(); break;
    case DragMode::move:
    case DragMode::resize:
        if (m_dragSnapshot && m_dragSnapshot->items != m_items) {
            m_history.recordDrag(*m_dragSnapshot);
            stateChanged();
        }
        m_dragSnapshot.reset();
        m_dragItemAtPress.reset();
        m_activeHandle = -1;
        break;
    case DragMode::crop: commitCrop(); break;
    }
    m_dragMode = DragMode::none;
    update();
}

void AnnoCanvasView::commitDraft()
{
    if (!m_draftItem) return;
    AnnoItem item = *m_draftItem;
    m_draftItem.reset();
    if (item.tool == AnnoTool::pen) {
        if (item.points.size() < 2) return;
        item.points = PenMark::thin(item.points, kPenSpacing);
    } else {
        const QRectF box = AnnoGeometry::box(item.start, item.end);
        if (box.width() < kSmallestMark && box.height() < kSmallestMark) return;
    }
    pushUndo();
    m_items.append(item);
    stateChanged();
}

void AnnoCanvasView::commitCrop()
{
    const std::optional<QRectF> draft = m_draftCrop;
    m_draftCrop.reset();
    if (!draft || draft->width() < kSmallestCrop || draft->height() < kSmallestCrop) return;
    pushUndo();
    m_cropRect = AnnoGeometry::integral(*draft);
    setTool(AnnoTool::select);
    if (const auto callback = onToolAutoChanged) callback(AnnoTool::select);
    stateChanged();
}

void AnnoCanvasView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        deleteSelection();
        event->accept();
        return;
    case Qt::Key_Escape:
        event->accept();
        if (m_editor)
            endTextEditing(false);
        else if (selectedItem())
            setSelectedID(std::nullopt);
        else if (const auto callback = onCancelRequested)
            callback();
        return;
    default: QWidget::keyPressEvent(event);
    }
}

}  // namespace klipo

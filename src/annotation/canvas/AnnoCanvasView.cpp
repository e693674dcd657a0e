#include "annotation/canvas/AnnoCanvasView.h"

#include "annotation/canvas/AnnoTextField.h"

#include <QElapsedTimer>

namespace klipo {

namespace {
double monotonicSeconds()
{
    QElapsedTimer now;
    now.start();
    return double(now.msecsSinceReference()) / 1000.0;
}

template <typename F, typename... Args>
void report(const F& callback, Args&&... args)
{
    if (!callback) return;
    const F copy = callback;  // the host may replace it while it runs
    copy(std::forward<Args>(args)...);
}
}  // namespace

AnnoCanvasView::AnnoCanvasView(QWidget* parent) : QWidget(parent), m_uptime(monotonicSeconds)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    updateCursor();
}

AnnoCanvasView::~AnnoCanvasView()
{
    if (m_editor) m_editor->disconnect(this);
}

void AnnoCanvasView::load(const QImage& image)
{
    m_renderer = std::make_unique<AnnoRenderer>(image);
    m_layer.reset();
    m_items.clear();
    m_history.clear();
    m_nextNumber = 1;
    setSelectedID(std::nullopt);
    m_draftItem.reset();
    m_draftCrop.reset();
    m_dragSnapshot.reset();
    m_dragItemAtPress.reset();
    m_dragMode = DragMode::none;
    m_activeHandle = -1;
    m_cropRect = fullImage();
    endTextEditing(false);
    update();
    stateChanged();
}

void AnnoCanvasView::setTool(AnnoTool tool)
{
    if (tool == m_tool) return;
    endTextEditing(true);
    m_tool = tool;
    if (tool != AnnoTool::select) setSelectedID(std::nullopt);
    updateCursor();
    update();
}

void AnnoCanvasView::setInline(bool isInline)
{
    m_inline = isInline;
    setAttribute(Qt::WA_OpaquePaintEvent, !isInline);
    setAttribute(Qt::WA_TranslucentBackground, isInline);
    update();
}

void AnnoCanvasView::setSuppressesCursorRects(bool suppress)
{
    m_suppressesCursor = suppress;
    updateCursor();
}

void AnnoCanvasView::setSelectedID(const std::optional<QUuid>& id)
{
    if (id == m_selectedID) return;
    m_selectedID = id;
    update();
    report(onSelectionChanged, selectedItem());
}

int AnnoCanvasView::selectedIndex() const
{
    if (!m_selectedID) return -1;
    for (qsizetype i = 0; i < m_items.size(); ++i)
        if (m_items[i].id == *m_selectedID) return int(i);
    return -1;
}

std::optional<AnnoItem> AnnoCanvasView::selectedItem() const
{
    const int i = selectedIndex();
    if (i < 0) return std::nullopt;
    return m_items[i];
}

QLineEdit* AnnoCanvasView::editor() const { return m_editor.data(); }

QRectF AnnoCanvasView::fullImage() const
{
    if (!m_renderer) return QRectF();
    return QRectF(0, 0, m_renderer->base().width(), m_renderer->base().height());
}

bool AnnoCanvasView::hasAnnotations() const { return !m_items.isEmpty() || m_cropRect != fullImage(); }

AnnoState AnnoCanvasView::currentState() const { return AnnoState{m_items, m_cropRect, m_nextNumber}; }

void AnnoCanvasView::applyState(const AnnoState& state)
{
    m_items = state.items;
    m_cropRect = state.cropRect;
    m_nextNumber = state.nextNumber;
    m_history.endRestyleRun();
    if (selectedIndex() < 0) setSelectedID(std::nullopt);
    update();
}

void AnnoCanvasView::pushUndo() { m_history.record(currentState()); }

void AnnoCanvasView::stateChanged() { report(onStateChanged); }

void AnnoCanvasView::deleteSelection()
{
    const int i = selectedIndex();
    if (i < 0) return;
    pushUndo();
    m_items.removeAt(i);
    setSelectedID(std::nullopt);
    update();
    stateChanged();
}

void AnnoCanvasView::applyStyleToSelection(const AnnoStyle& style)
{
    const int i = selectedIndex();
    if (i < 0 || m_items[i].style == style) return;
    m_history.recordRestyle(currentState(), m_items[i].id, m_uptime());
    m_items[i].style = style;
    update();
    stateChanged();
}

void AnnoCanvasView::clearAll()
{
    if (m_items.isEmpty() && m_cropRect == fullImage()) return;
    pushUndo();
    m_items.clear();
    m_nextNumber = 1;
    m_cropRect = fullImage();
    setSelectedID(std::nullopt);
    update();
    stateChanged();
}

void AnnoCanvasView::undo()
{
    endTextEditing(true);
    if (const auto previous = m_history.undo(currentState())) {
        applyState(*previous);
        stateChanged();
    }
}

void AnnoCanvasView::redo()
{
    endTextEditing(true);
    if (const auto next = m_history.redo(currentState())) {
        applyState(*next);
        stateChanged();
    }
}

AnnoDisplayMapping AnnoCanvasView::mapping() const
{
    return AnnoDisplayMapping::compute(QSizeF(size()), m_cropRect, m_inline);
}

QPointF AnnoCanvasView::viewPoint(QPointF imagePx) const { return mapping().viewPoint(imagePx); }

QPointF AnnoCanvasView::imagePoint(QPointF viewPt) const { return mapping().imagePoint(viewPt); }

void AnnoCanvasView::updateCursor()
{
    if (m_suppressesCursor)
        unsetCursor();
    else
        setCursor(m_tool == AnnoTool::select ? Qt::ArrowCursor : Qt::CrossCursor);
}

void AnnoCanvasView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (const auto item = editedItem()) updateEditorFrame(*item);
}

}  // namespace klipo

// What the canvas draws: the cached layer, the mark being drawn, and the
// decorations in view points (selection, crop in progress, text field frame,
// hairline around the image).
#include "annotation/canvas/AnnoCanvasView.h"

#include "annotation/marks/AnnoMark.h"
#include "annotation/model/AnnoGeometry.h"

#include <QPainter>
#include <QPainterPath>

namespace klipo {

namespace {
const QColor kSystemBlue(0, 122, 255);

QColor withAlpha(QColor color, float alpha)
{
    color.setAlphaF(alpha);
    return color;
}

QPen dashedPen(const QColor& color, QList<qreal> pattern)
{
    QPen pen(color, 1);
    pen.setDashPattern(pattern);
    return pen;
}
}  // namespace

void AnnoCanvasView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const AnnoDisplayMapping m = mapping();
    const bool liveDrag = m_dragMode == DragMode::move || m_dragMode == DragMode::resize;
    const int live = liveDrag ? selectedIndex() : -1;

    AnnoCanvasLayer::Scene scene;
    scene.viewSize = size();
    scene.devicePixelRatio = devicePixelRatioF();
    scene.isInline = m_inline;
    scene.mapping = m;
    scene.renderer = m_renderer.get();
    scene.items = m_items;
    scene.skipping = m_editingItemID;
    scene.liveIndex = live;
    m_layer.paint(painter, scene, [&](QPainter& p) {
        m_renderer->draw({m_items[live]}, m_editingItemID, p);
    });

    if (!m_renderer || m_cropRect.width() <= 0 || m.displayRect.isEmpty()) return;

    if (m_draftItem) {
        painter.save();
        painter.setClipRect(m.displayRect);
        m.applyTo(painter);
        m_renderer->draw({*m_draftItem}, std::nullopt, painter);
        painter.restore();
    }
    drawDecorations(painter, m);
}

void AnnoCanvasView::drawDecorations(QPainter& painter, const AnnoDisplayMapping& m)
{
    painter.setRenderHint(QPainter::Antialiasing, true);

    const auto selected = selectedItem();
    if (selected && selected->id != m_editingItemID) {
        painter.save();
        painter.setPen(dashedPen(kSystemBlue, {5, 3}));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(AnnoGeometry::grown(m.viewRect(selected->boundingBox()), 3));
        painter.setPen(QPen(kSystemBlue, 1.5));
        painter.setBrush(Qt::white);
        for (const QRectF& handle : m.handleRects(AnnoMarks::forTool(selected->tool).handlePoints(*selected)))
            painter.drawEllipse(handle);
        painter.restore();
    }

    if (m_draftCrop) {
        painter.save();
        const QRectF kept = m.viewRect(*m_draftCrop);
        QPainterPath shade;
        shade.setFillRule(Qt::OddEvenFill);
        shade.addRect(m.displayRect);
        shade.addRect(kept);
        painter.fillPath(shade, withAlpha(Qt::black, 0.45f));
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(kept);
        painter.restore();
    }

    if (m_editor) {
        painter.save();
        painter.setPen(dashedPen(withAlpha(kSystemBlue, 0.9f), {4, 3}));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(AnnoGeometry::grown(QRectF(m_editor->geometry()), 2));
        painter.restore();
    }

    if (!m_inline) {
        painter.setPen(QPen(withAlpha(Qt::white, 0.18f), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(AnnoGeometry::grown(m.displayRect, 0.5));
    }
}

}  // namespace klipo

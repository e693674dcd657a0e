// What the overlay view draws: the still, dimmed outside the selection or
// the dragged or highlighted rectangle, with its border, handles and size
// label, and the key-hint card.
#include "overlay/SelChromeLayout.h"
#include "overlay/SelInlineTranslation.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"

#include "app/Settings.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace klipo {

namespace {

const QColor kDim = QColor::fromRgbF(0, 0, 0, 0.35f);

QColor accent() { return QApplication::palette().color(QPalette::Highlight); }

QFont labelFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QApplication::font().family()});
    font.setPointSizeF(12 * 72.0 / 96.0);
    font.setWeight(QFont::Medium);
    font.setStyleHint(QFont::Monospace);
    return font;
}

QString sizeText(const QRectF& r)
{
    // Whole points, cut towards zero.
    return QStringLiteral("%1 × %2").arg(int(r.width())).arg(int(r.height()));
}

}  // namespace

namespace {

// "  已翻译" after the size while a translation shows.
const QString kTranslatedMark = QStringLiteral("  已翻译");

QFont markFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(12 * 72.0 / 96.0);
    font.setWeight(QFont::DemiBold);
    return font;
}

}  // namespace

QRectF SelOverlayView::sizeLabelRect(const QRectF& r) const
{
    const QFontMetricsF metrics(labelFont());
    qreal width = metrics.horizontalAdvance(sizeText(r));
    if (isEditingHere() && m_translation->state() == SelInlineTranslation::State::done)
        width += QFontMetricsF(markFont()).horizontalAdvance(kTranslatedMark);
    const QSizeF text(width, metrics.height());
    const QPointF origin = SelChromeLayout::sizeLabelOrigin(QRectF(rect()), r, text);
    return {origin.x() - 6, origin.y() - 3, text.width() + 12, text.height() + 6};
}

void SelOverlayView::drawBorder(QPainter& painter, const QRectF& r, const QColor& color, double width)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QRectF line = r.adjusted(-width / 2, -width / 2, width / 2, width / 2);
    // A soft shadow one point below the line.
    painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.3f), width + 2));
    painter.drawRect(line.translated(0, 1));
    painter.setPen(QPen(color, width));
    painter.drawRect(line);
    painter.restore();
}

void SelOverlayView::drawHandles(QPainter& painter, const QRectF& r)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (SelHandle handle : SelHandles::all) {
        const QPointF c = SelHandles::point(handle, r);
        const QRectF dot(c.x() - 3.5, c.y() - 3.5, 7, 7);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.25f));
        painter.drawEllipse(dot.translated(0, 0.5).adjusted(-0.75, -0.75, 0.75, 0.75));
        painter.setBrush(Qt::white);
        painter.setPen(QPen(accent(), 1.5));
        painter.drawEllipse(dot);
    }
    painter.restore();
}

void SelOverlayView::drawSizeLabel(QPainter& painter, const QRectF& r)
{
    const QRectF box = sizeLabelRect(r);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(box, 5, 5);
    painter.fillPath(path, QColor::fromRgbF(0, 0, 0, 0.66f));
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.12f), 1));
    painter.drawPath(path);
    painter.setFont(labelFont());
    painter.setPen(Qt::white);
    const QRectF inner = box.adjusted(6, 3, -6, -3);
    const QString size = sizeText(r);
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, size);
    if (isEditingHere() && m_translation->state() == SelInlineTranslation::State::done) {
        painter.setFont(markFont());
        painter.setPen(QColor(52, 199, 89));  // the system green
        painter.drawText(inner.adjusted(QFontMetricsF(labelFont()).horizontalAdvance(size), 0, 0, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, kTranslatedMark);
    }
    painter.restore();
}

void SelOverlayView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRegion dirty = event->region();
    painter.drawImage(QPointF(0, 0), m_window->frozenImage());

    // The rectangle that shows undimmed, and how it is framed.
    std::optional<QRectF> clear;
    QColor border = Qt::white;
    double borderWidth = 1.5;
    bool handles = false;
    if (isEditingHere()) {
        clear = m_selection.rect();
        handles = !isSelectionLocked();
    } else if (m_controller.phase() == SelPhase::selecting) {
        if (m_selection.isDragging()) {
            const QRectF dragged = m_selection.draggedRect();
            if (dragged.width() >= 1 && dragged.height() >= 1) clear = dragged;
        } else if (m_highlight) {
            clear = *m_highlight;
            border = accent();
            borderWidth = 2;
        }
    }

    QRegion dimmed = dirty;
    if (clear) dimmed -= QRegion(clear->toAlignedRect());
    painter.save();
    painter.setClipRegion(dimmed);
    painter.fillRect(rect(), kDim);
    painter.restore();

    if (clear) {
        drawBorder(painter, *clear, border, borderWidth);
        if (handles) drawHandles(painter, *clear);
        drawSizeLabel(painter, *clear);
    }

    const QList<HUDHintPanel::Row> rows = hintRows();
    if (!rows.isEmpty() && Settings::selShowHintPanel()) {
        const QSizeF size = HUDHintPanel::size(rows);
        m_lastHintCorner = SelHints::chooseCorner(QRectF(rect()), size, m_mousePoint, hintObstacles());
        const QRectF frame = SelHints::frame(QRectF(rect()), size, m_lastHintCorner);
        if (dirty.intersects(frame.toAlignedRect())) HUDHintPanel::draw(rows, painter, frame);
    }

    if (!m_painted) {
        m_painted = true;
        m_controller.viewPainted(this);
    }
}

}  // namespace klipo

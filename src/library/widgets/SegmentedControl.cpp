#include "library/widgets/SegmentedControl.h"

#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace klipo {

namespace {
constexpr int kHeight = 24;
constexpr qreal kRadius = 6;
}  // namespace

SegmentedControl::SegmentedControl(const QList<Segment>& segments, QWidget* parent)
    : QWidget(parent), m_segments(segments)
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == m_current) return;
    m_current = index;
    update();
    Q_EMIT currentChanged(index);
}

QSize SegmentedControl::sizeHint() const
{
    int widest = 16;
    for (const Segment& segment : m_segments)
        widest = qMax(widest, segment.symbol || segment.text.isEmpty() ? 16 : fontMetrics().horizontalAdvance(segment.text));
    return {count() * (widest + 24), kHeight};
}

QSize SegmentedControl::minimumSizeHint() const { return {count() * 28, kHeight}; }

QRectF SegmentedControl::segmentRect(int index) const
{
    const qreal each = (width() - 1.0) / qMax(1, count());
    return {0.5 + index * each, 0.5, each, height() - 1.0};
}

QPoint SegmentedControl::segmentCenter(int index) const { return segmentRect(index).center().toPoint(); }

int SegmentedControl::segmentAt(QPoint point) const
{
    for (int i = 0; i < count(); ++i)
        if (segmentRect(i).contains(point)) return i;
    return -1;
}

void SegmentedControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF outline = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath frame;
    frame.addRoundedRect(outline, kRadius, kRadius);
    painter.fillPath(frame, pal.color(QPalette::Button));
    painter.save();
    painter.setClipPath(frame);
    const QRectF chosen = segmentRect(m_current).adjusted(2, 2, -2, -2);
    QPainterPath knob;
    knob.addRoundedRect(chosen, kRadius - 2, kRadius - 2);
    painter.fillPath(knob, pal.color(QPalette::Highlight));
    painter.restore();
    painter.setPen(QPen(pal.color(QPalette::Mid), 1));
    painter.drawPath(frame);
    for (int i = 1; i < count(); ++i) {
        if (i == m_current || i == m_current + 1) continue;
        const qreal x = segmentRect(i).left();
        painter.drawLine(QPointF(x, 5), QPointF(x, height() - 5));
    }
    for (int i = 0; i < count(); ++i) {
        const QRectF area = segmentRect(i);
        const QColor ink = pal.color(i == m_current ? QPalette::HighlightedText : QPalette::ButtonText);
        const Segment& segment = m_segments.at(i);
        if (segment.symbol) {
            const QPixmap pixmap = libraryicons::pixmap(*segment.symbol, 16, ink, devicePixelRatioF());
            painter.drawPixmap(QPointF(area.center().x() - 8, area.center().y() - 8), pixmap);
        } else {
            painter.setPen(ink);
            painter.drawText(area, Qt::AlignCenter, segment.text);
        }
    }
    if (hasFocus() && m_keyboardFocus) {
        painter.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(outline.adjusted(1, 1, -1, -1), kRadius - 1, kRadius - 1);
    }
}

void SegmentedControl::focusInEvent(QFocusEvent* event)
{
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QWidget::focusInEvent(event);
}

void SegmentedControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setCurrentIndex(segmentAt(event->position().toPoint()));
}

void SegmentedControl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Left) return setCurrentIndex(m_current - 1);
    if (event->key() == Qt::Key_Right) return setCurrentIndex(m_current + 1);
    QWidget::keyPressEvent(event);
}

bool SegmentedControl::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = segmentAt(help->pos());
        const QString tip = m_segments.value(index).toolTip;
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

}  // namespace klipo

#include "library/widgets/BusyIndicator.h"

#include <QDateTime>
#include <QPainter>
#include <QtMath>

namespace klipo {

namespace {
constexpr int kSpokes = 12;
constexpr int kFrameMs = 80;
}  // namespace

BusyIndicator::BusyIndicator(int side, QWidget* parent) : QWidget(parent), m_side(side)
{
    m_timer.setInterval(kFrameMs);
    connect(&m_timer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void BusyIndicator::paintSpinner(QPainter& painter, const QRectF& rect, const QColor& color)
{
    const qreal side = qMin(rect.width(), rect.height());
    if (side <= 2) return;
    const int lead = int((QDateTime::currentMSecsSinceEpoch() / kFrameMs) % kSpokes);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center());
    QPen pen(color, qMax<qreal>(1.2, side / 10), Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        QColor spoke = color;
        const int age = (lead - i + kSpokes) % kSpokes;
        spoke.setAlphaF(color.alphaF() * (1.0 - 0.75 * age / kSpokes));
        pen.setColor(spoke);
        painter.setPen(pen);
        const qreal angle = 2 * M_PI * i / kSpokes;
        const QPointF direction(qSin(angle), -qCos(angle));
        painter.drawLine(direction * side * 0.25, direction * side * 0.45);
    }
    painter.restore();
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF area = QRectF(rect()).adjusted(0, 0, 0, 0);
    const QRectF square((area.width() - m_side) / 2, (area.height() - m_side) / 2, m_side, m_side);
    paintSpinner(painter, square, palette().color(QPalette::WindowText));
}

void BusyIndicator::showEvent(QShowEvent* event)
{
    m_timer.start();
    QWidget::showEvent(event);
}

void BusyIndicator::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

}  // namespace klipo

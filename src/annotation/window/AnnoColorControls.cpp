#include "annotation/window/AnnoColorControls.h"

#include <QPainter>
#include <QPainterPath>

namespace klipo {

AnnoSwatchButton::AnnoSwatchButton(const QColor& color, QWidget* parent) : QAbstractButton(parent), m_color(color)
{
    setFixedSize(16, 16);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void AnnoSwatchButton::setMarked(bool marked)
{
    if (marked == m_marked) return;
    m_marked = marked;
    update();
}

void AnnoSwatchButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(disc);
    const double ring = m_marked ? 3 : 1;
    QPen pen(m_marked ? palette().color(QPalette::Highlight) : QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.5f), ring);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(disc.adjusted(ring / 2 - 0.5, ring / 2 - 0.5, 0.5 - ring / 2, 0.5 - ring / 2));
}

AnnoColorWell::AnnoColorWell(QWidget* parent) : QAbstractButton(parent)
{
    setFixedSize(34, 20);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("自定义颜色"));
    setAccessibleName(QStringLiteral("自定义颜色"));
}

void AnnoColorWell::setColor(const QColor& color)
{
    if (color == m_color) return;
    m_color = color;
    update();
}

void AnnoColorWell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(frame, 4, 4);
    painter.save();
    painter.setClipPath(shape);
    painter.fillRect(rect(), Qt::white);
    for (int y = 0; y < height(); y += 5)
        for (int x = (y / 5) % 2 * 5; x < width(); x += 10) painter.fillRect(QRect(x, y, 5, 5), QColor(204, 204, 204));
    painter.fillRect(rect(), m_color);
    painter.restore();
    painter.setPen(QPen(palette().color(isDown() ? QPalette::Highlight : QPalette::Mid), 1));
    painter.drawPath(shape);
}

}  // namespace klipo

#include "preferences/AnnoStylePreview.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace klipo {

namespace {
constexpr double kMaxTextSize = 44;
constexpr double kMaxOutline = 20;
constexpr QSizeF kBox(96, 46);
}  // namespace

AnnoStylePreview::AnnoStylePreview(QWidget* parent) : QWidget(parent) { setFixedHeight(92); }

void AnnoStylePreview::display(AnnoTool tool, const AnnoStyle& style)
{
    m_tool = tool;
    m_style = style;
    update();
}

AnnoStylePreview::Kind AnnoStylePreview::kind() const
{
    if (AnnoTools::usesFontSize(m_tool)) return Kind::text;
    return m_style.filled ? Kind::filledBox : Kind::outlinedBox;
}

double AnnoStylePreview::textPointSize() const { return std::min(m_style.fontSize, kMaxTextSize); }
double AnnoStylePreview::outlineWidth() const { return std::min(m_style.lineWidth, kMaxOutline); }
double AnnoStylePreview::fillOpacity() const { return m_tool == AnnoTool::highlight ? 0.4 : 1.0; }

QSize AnnoStylePreview::sizeHint() const { return {200, 92}; }

void AnnoStylePreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor backdrop = palette().color(QPalette::WindowText);
    backdrop.setAlphaF(0.1);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), 8, 8);
    p.fillPath(card, backdrop);

    const QColor color = m_style.color();
    switch (kind()) {
    case Kind::text: {
        QFont font = this->font();
        font.setPointSizeF(textPointSize());
        p.setFont(font);
        p.setPen(color);
        p.drawText(rect().adjusted(10, 10, -10, -10), Qt::AlignCenter, QStringLiteral("Aa 标注"));
        return;
    }
    case Kind::filledBox: {
        QRectF box(QPointF(), kBox);
        box.moveCenter(QRectF(rect()).center());
        QPainterPath shape;
        shape.addRoundedRect(box, 4, 4);
        p.setOpacity(fillOpacity());
        p.fillPath(shape, color);
        return;
    }
    case Kind::outlinedBox: {
        const double w = outlineWidth();
        QRectF box(QPointF(), kBox);
        box.moveCenter(QRectF(rect()).center());
        // Drawn inside the edge: the stroke runs half its width in from the border.
        QPainterPath shape;
        const QRectF inner = box.adjusted(w / 2, w / 2, -w / 2, -w / 2);
        shape.addRoundedRect(inner, std::max(0.0, 4 - w / 2), std::max(0.0, 4 - w / 2));
        p.setPen(QPen(color, w));
        p.setBrush(Qt::NoBrush);
        p.drawPath(shape);
        return;
    }
    }
}

ColorSwatch::ColorSwatch(const QColor& color, QWidget* parent) : QAbstractButton(parent), m_color(color)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
}

bool ColorSwatch::matches(const AnnoStyle& style) const
{
    const QColor c = m_color.toRgb();
    if (!c.isValid()) return false;
    return std::abs(c.redF() - style.red) < 0.01 && std::abs(c.greenF() - style.green) < 0.01 &&
           std::abs(c.blueF() - style.blue) < 0.01;
}

void ColorSwatch::setSelected(bool selected)
{
    if (selected == m_selected) return;
    m_selected = selected;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF circle(0, 0, 18, 18);
    circle.moveCenter(QRectF(rect()).center());
    p.setPen(Qt::NoPen);
    p.setBrush(m_color);
    p.drawEllipse(circle);
    QColor ring = palette().color(QPalette::Highlight);
    double width = 2.5;
    if (!m_selected) {
        ring = palette().color(QPalette::WindowText);
        ring.setAlphaF(0.35);
        width = 1;
    }
    p.setPen(QPen(ring, width));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(circle.adjusted(width / 2, width / 2, -width / 2, -width / 2));
}

}  // namespace klipo

#include "annotation/marks/LabelMarks.h"

#include "annotation/model/AnnoFonts.h"
#include "annotation/model/AnnoGeometry.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace klipo {

namespace {
constexpr auto kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
}

QRectF TextMark::boundingBox(const AnnoItem& item) const { return QRectF(item.start, item.textSize()); }

void TextMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource&) const
{
    if (item.text.isEmpty()) return;
    painter.setFont(AnnoFonts::systemFont(item.style.fontSize, QFont::DemiBold, painter.device()));
    painter.setPen(item.style.color());
    painter.drawText(QRectF(item.start, QSizeF(0, 0)), kTextFlags, item.text);
}

double NumberMark::radius(double fontSize) { return std::max(fontSize * 0.85, 9.0); }

QRectF NumberMark::boundingBox(const AnnoItem& item) const
{
    const double r = radius(item.style.fontSize);
    return QRectF(item.start.x() - r, item.start.y() - r, 2 * r, 2 * r);
}

void NumberMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource&) const
{
    const double r = radius(item.style.fontSize);
    if (!std::isfinite(r) || r > 1e5) return;
    const QRectF circle = boundingBox(item);
    painter.setPen(Qt::NoPen);
    painter.setBrush(item.style.color());
    painter.drawEllipse(circle);

    QColor ringColor(Qt::white);
    ringColor.setAlphaF(0.9f);
    painter.setPen(QPen(ringColor, std::max(r * 0.12, 1.5)));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(AnnoGeometry::grown(circle, -std::max(r * 0.06, 0.75)));

    const QFont font = AnnoFonts::systemFont(r * 1.1, QFont::Bold, painter.device());
    const QString label = QString::number(item.number);
    const QFontMetricsF metrics(font, painter.device());
    const QSizeF size(metrics.horizontalAdvance(label), metrics.height());
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(item.start - QPointF(size.width() / 2, size.height() / 2), size), kTextFlags, label);
}

}  // namespace klipo

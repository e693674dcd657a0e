#include "annotation/model/AnnoItem.h"

#include "annotation/marks/AnnoMark.h"
#include "annotation/model/AnnoFonts.h"

#include <algorithm>

namespace klipo {

AnnoItem AnnoItem::make(AnnoTool tool, const AnnoStyle& style)
{
    AnnoItem item;
    item.id = QUuid::createUuid();
    item.tool = tool;
    item.style = style;
    return item;
}

void AnnoItem::translate(double dx, double dy)
{
    const QPointF d(dx, dy);
    start += d;
    end += d;
    for (QPointF& p : points) p += d;
}

QSizeF AnnoItem::textSize() const
{
    const QFont::Weight weight = tool == AnnoTool::number ? QFont::Bold : QFont::DemiBold;
    const QSizeF size = AnnoFonts::measure(text.isEmpty() ? QStringLiteral(" ") : text, style.fontSize, weight);
    return QSizeF(std::max(size.width(), 8.0), std::max(size.height(), 8.0));
}

QRectF AnnoItem::boundingBox() const { return AnnoMarks::forTool(tool).boundingBox(*this); }

bool AnnoItem::hitTest(QPointF p, double tolerance) const
{
    return AnnoMarks::forTool(tool).hitTest(*this, p, tolerance);
}

}  // namespace klipo

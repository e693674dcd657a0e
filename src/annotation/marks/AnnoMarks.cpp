#include "annotation/marks/AnnoMark.h"

#include "annotation/marks/BoxMarks.h"
#include "annotation/marks/LabelMarks.h"
#include "annotation/marks/PenMark.h"
#include "annotation/marks/SegmentMarks.h"
#include "annotation/model/AnnoGeometry.h"

#include <algorithm>
#include <cmath>

namespace klipo {

QRectF AnnoMark::boundingBox(const AnnoItem& item) const { return AnnoGeometry::box(item.start, item.end); }

bool AnnoMark::hitTest(const AnnoItem& item, QPointF p, double tolerance) const
{
    return AnnoGeometry::contains(AnnoGeometry::grown(boundingBox(item), tolerance), p);
}

void AnnoMark::draw(const AnnoItem&, QPainter&, AnnoMosaicSource&) const {}

QList<QPointF> AnnoMark::handlePoints(const AnnoItem&) const { return {}; }

void AnnoMark::resize(AnnoItem&, const AnnoItem&, int, QPointF) const {}

QPointF AnnoMark::constrain(QPointF q, QPointF o) const
{
    const QPointF d = q - o;
    const double side = std::max(std::abs(d.x()), std::abs(d.y()));
    return o + QPointF(d.x() < 0 ? -side : side, d.y() < 0 ? -side : side);
}

namespace AnnoMarks {

const AnnoMark& forTool(AnnoTool tool)
{
    static const AnnoMark none;  // select and crop are canvas modes, not marks
    static const RectangleMark rectangle;
    static const EllipseMark ellipse;
    static const HighlightMark highlight;
    static const MosaicMark mosaic;
    static const LineMark line;
    static const ArrowMark arrow;
    static const PenMark pen;
    static const TextMark text;
    static const NumberMark number;
    switch (tool) {
    case AnnoTool::rectangle: return rectangle;
    case AnnoTool::ellipse: return ellipse;
    case AnnoTool::highlight: return highlight;
    case AnnoTool::mosaic: return mosaic;
    case AnnoTool::line: return line;
    case AnnoTool::arrow: return arrow;
    case AnnoTool::pen: return pen;
    case AnnoTool::text: return text;
    case AnnoTool::number: return number;
    case AnnoTool::select:
    case AnnoTool::crop: break;
    }
    return none;
}

double strokeWidth(double lineWidth) { return std::isfinite(lineWidth) ? std::clamp(lineWidth, 0.01, 10000.0) : 1.0; }

}  // namespace AnnoMarks

}  // namespace klipo

#include "platform/RegionGrab.h"

#include <QPainter>

#include <cmath>

namespace klipo::platform {

QList<RegionPart> regionParts(const QRect& regionPt, const QList<QRect>& screenGeometries)
{
    QList<RegionPart> parts;
    for (int i = 0; i < screenGeometries.size(); ++i) {
        const QRect part = regionPt.intersected(screenGeometries[i]);
        if (!part.isEmpty()) parts.append({i, part});
    }
    return parts;
}

QImage composeRegion(const QRect& regionPt, double scale, const QList<RegionPiece>& pieces)
{
    const QSize sizePx(int(std::lround(regionPt.width() * scale)), int(std::lround(regionPt.height() * scale)));
    // A single piece that fills the rectangle at the wanted density is the answer as it is.
    if (pieces.size() == 1 && pieces.first().partPt == regionPt && pieces.first().imagePx.size() == sizePx) {
        QImage only = pieces.first().imagePx;
        only.setDevicePixelRatio(1.0);
        return only;
    }
    QImage result(sizePx, QImage::Format_RGB32);
    if (result.isNull()) return result;
    result.fill(Qt::black);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const RegionPiece& piece : pieces) {
        const QRectF target((piece.partPt.x() - regionPt.x()) * scale, (piece.partPt.y() - regionPt.y()) * scale,
                            piece.partPt.width() * scale, piece.partPt.height() * scale);
        QImage source = piece.imagePx;
        source.setDevicePixelRatio(1.0);
        painter.drawImage(target, source, QRectF(source.rect()));
    }
    return result;
}

}  // namespace klipo::platform

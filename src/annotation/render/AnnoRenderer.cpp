#include "annotation/render/AnnoRenderer.h"

#include "annotation/model/AnnoGeometry.h"
#include "annotation/render/AnnoMosaic.h"

#include <QColorSpace>
#include <QPainter>

#include <cmath>

namespace klipo {

AnnoRenderer::AnnoRenderer(const QImage& base)
    : m_base(base.isNull() || base.format() == QImage::Format_ARGB32_Premultiplied
                 ? base
                 : base.convertToFormat(QImage::Format_ARGB32_Premultiplied))
{
    m_base.setDevicePixelRatio(1);  // marks live in the image's own pixels
}

void AnnoRenderer::draw(const QList<AnnoItem>& items, const std::optional<QUuid>& skipping, QPainter& painter)
{
    for (const AnnoItem& item : items) {
        if (skipping && item.id == *skipping) continue;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        AnnoMarks::forTool(item.tool).draw(item, painter, *this);
        painter.restore();
    }
}

QImage AnnoRenderer::compose(const QList<AnnoItem>& items, const QRectF& cropRect)
{
    const QRectF full(0, 0, m_base.width(), m_base.height());
    QRectF crop = AnnoGeometry::integral(cropRect.normalized().intersected(full));
    if (crop.width() < 1 || crop.height() < 1) crop = full;
    const int width = int(std::round(crop.width()));
    const int height = int(std::round(crop.height()));
    if (width < 1 || height < 1) return {};

    QImage out(width, height, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) return {};
    out.setColorSpace(QColorSpace::SRgb);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.translate(-crop.x(), -crop.y());
    painter.drawImage(QPointF(0, 0), m_base);
    draw(items, std::nullopt, painter);
    painter.end();
    return out;
}

const QImage* AnnoRenderer::pixelated(int block)
{
    if (auto it = m_mosaicCache.find(block); it != m_mosaicCache.end()) return &it->second;
    QImage small = AnnoMosaic::pixelate(m_base, block);
    if (small.isNull()) return nullptr;
    return &m_mosaicCache.emplace(block, std::move(small)).first->second;
}

}  // namespace klipo

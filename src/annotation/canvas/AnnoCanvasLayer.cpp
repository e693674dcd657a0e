#include "annotation/canvas/AnnoCanvasLayer.h"

#include "annotation/render/AnnoRenderer.h"

#include <QPainter>

#include <cmath>

namespace klipo {

namespace {
const QColor kWindowBackground = QColor::fromRgbF(0.14f, 0.14f, 0.14f);

bool sameItems(const QList<AnnoItem>& a, const QList<AnnoItem>& b, int skipIndex)
{
    if (skipIndex < 0) return a == b;  // shared lists compare in constant time
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (i != skipIndex && !(a[i] == b[i])) return false;
    return true;
}
}  // namespace

void AnnoCanvasLayer::reset()
{
    m_cached.reset();
    m_below = m_above = m_scaled = QImage();
    m_scaledFor = nullptr;
}

bool AnnoCanvasLayer::matches(const Scene& s) const
{
    if (!m_cached) return false;
    const Scene& c = *m_cached;
    return c.viewSize == s.viewSize && c.devicePixelRatio == s.devicePixelRatio && c.isInline == s.isInline &&
           c.mapping.displayRect == s.mapping.displayRect && c.mapping.crop == s.mapping.crop &&
           c.renderer == s.renderer && c.skipping == s.skipping && c.liveIndex == s.liveIndex &&
           sameItems(c.items, s.items, s.liveIndex);
}

const QImage& AnnoCanvasLayer::scaledImage(const Scene& s, const QSize& targetPx)
{
    const QImage& base = s.renderer->base();
    if (targetPx.width() >= base.width() || targetPx.height() >= base.height()) return base;
    if (m_scaledFor != s.renderer || m_scaled.size() != targetPx) {
        // Area-averaged once per size; the cache is rebuilt far more often.
        m_scaled = base.scaled(targetPx, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaledFor = s.renderer;
    }
    return m_scaled;
}

QImage AnnoCanvasLayer::makeLayer(const Scene& s, bool withImage, qsizetype from, qsizetype to)
{
    QImage layer(s.viewSize * s.devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) return layer;
    layer.setDevicePixelRatio(s.devicePixelRatio);
    layer.fill(withImage && !s.isInline ? kWindowBackground : QColor(Qt::transparent));
    const AnnoDisplayMapping& m = s.mapping;
    if (!s.renderer || m.displayRect.isEmpty()) return layer;

    QPainter painter(&layer);
    painter.setClipRect(m.displayRect);
    if (withImage) {
        const QRectF target = m.imageRectInView(QSizeF(s.renderer->base().size()));
        const QSize targetPx(int(std::round(target.width() * s.devicePixelRatio)),
                             int(std::round(target.height() * s.devicePixelRatio)));
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        if (!targetPx.isEmpty()) painter.drawImage(target, scaledImage(s, targetPx));
    }
    if (from < to) {
        m.applyTo(painter);
        s.renderer->draw(s.items.mid(from, to - from), s.skipping, painter);
    }
    return layer;
}

void AnnoCanvasLayer::rebuild(const Scene& s)
{
    ++m_rebuilds;
    const qsizetype n = s.items.size();
    if (s.liveIndex < 0 || s.liveIndex >= n) {
        m_below = makeLayer(s, true, 0, n);
        m_above = QImage();
    } else {
        m_below = makeLayer(s, true, 0, s.liveIndex);
        m_above = s.liveIndex + 1 < n ? makeLayer(s, false, s.liveIndex + 1, n) : QImage();
    }
    m_cached = s;
}

void AnnoCanvasLayer::paint(QPainter& painter, const Scene& s, const std::function<void(QPainter&)>& drawLive)
{
    if (!matches(s)) rebuild(s);
    painter.drawImage(QPointF(0, 0), m_below);
    if (s.liveIndex >= 0 && s.renderer && !s.mapping.displayRect.isEmpty()) {
        painter.save();
        painter.setClipRect(s.mapping.displayRect);
        s.mapping.applyTo(painter);
        drawLive(painter);
        painter.restore();
    }
    if (!m_above.isNull()) painter.drawImage(QPointF(0, 0), m_above);
}

}  // namespace klipo

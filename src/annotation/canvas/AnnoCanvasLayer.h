#pragma once

#include "annotation/canvas/AnnoDisplayMapping.h"
#include "annotation/model/AnnoItem.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QUuid>

#include <functional>
#include <optional>

class QPainter;

namespace klipo {

class AnnoRenderer;

// The canvas's cached picture of everything that does not change while the
// pointer moves: the background, the image and the committed marks. A drag
// then costs one copy of the cache plus the mark being drawn. While a mark is
// moved or resized (the live mark) the marks below and above it are cached
// apart, so the live mark keeps its place in the stacking order.
class AnnoCanvasLayer {
public:
    struct Scene {
        QSize viewSize;
        qreal devicePixelRatio = 1;
        bool isInline = false;
        AnnoDisplayMapping mapping;
        AnnoRenderer* renderer = nullptr;
        QList<AnnoItem> items;
        std::optional<QUuid> skipping;  // the text open in the editor
        int liveIndex = -1;
    };

    // Paints the scene; `drawLive` draws the live mark in image pixels.
    void paint(QPainter& painter, const Scene& scene, const std::function<void(QPainter&)>& drawLive);
    // Forgets the cache (a new image was loaded).
    void reset();

    // How many times the cache was rebuilt (for measuring).
    int rebuilds() const { return m_rebuilds; }

private:
    bool matches(const Scene& scene) const;
    void rebuild(const Scene& scene);
    QImage makeLayer(const Scene& scene, bool withImage, qsizetype from, qsizetype to);
    const QImage& scaledImage(const Scene& scene, const QSize& targetPx);

    std::optional<Scene> m_cached;
    QImage m_below;
    QImage m_above;
    QImage m_scaled;
    const AnnoRenderer* m_scaledFor = nullptr;
    int m_rebuilds = 0;
};

}  // namespace klipo

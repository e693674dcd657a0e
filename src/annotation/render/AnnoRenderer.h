#pragma once

#include "annotation/marks/AnnoMark.h"
#include "annotation/model/AnnoItem.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QUuid>

#include <map>
#include <optional>

class QPainter;

namespace klipo {

// Draws marks for one image, on screen and for export, through the same
// drawing so what the canvas shows is what is exported. The painter's user
// space must be the image's pixel space (origin top left, y down).
class AnnoRenderer : public AnnoMosaicSource {
public:
    explicit AnnoRenderer(const QImage& base);

    // The annotated image (premultiplied ARGB).
    const QImage& base() const { return m_base; }

    // Draws the marks in order (later ones on top), leaving out the mark with
    // the given identity (the text open in the canvas's editor). Each mark is
    // drawn inside its own save and restore of the painter.
    void draw(const QList<AnnoItem>& items, const std::optional<QUuid>& skipping, QPainter& painter);

    // A new image of the crop with the marks drawn in. The crop is cut to the
    // image and widened to whole pixels; a crop that leaves less than a pixel
    // gives the whole image. Null when there is no image or no memory for it.
    QImage compose(const QList<AnnoItem>& items, const QRectF& cropRect);

    // Mosaic source: the block-averaged copy per block size, made once.
    QSize imageSize() const override { return m_base.size(); }
    const QImage* pixelated(int block) override;

private:
    QImage m_base;
    std::map<int, QImage> m_mosaicCache;  // node-based: handed-out pointers stay valid
};

}  // namespace klipo

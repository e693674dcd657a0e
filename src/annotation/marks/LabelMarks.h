#pragma once

#include "annotation/marks/AnnoMark.h"

namespace klipo {

// Text typed on the image: one line in the semibold system font at the
// style's font size, its top left at `start`.
class TextMark : public AnnoMark {
public:
    // `start` with the size of the text (one space when empty).
    QRectF boundingBox(const AnnoItem& item) const override;
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;
};

// A numbered badge centred on `start`: a filled circle with a white ring and
// the number in white bold.
class NumberMark : public AnnoMark {
public:
    // max(font size × 0.85, 9).
    static double radius(double fontSize);
    QRectF boundingBox(const AnnoItem& item) const override;
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;
};

}  // namespace klipo

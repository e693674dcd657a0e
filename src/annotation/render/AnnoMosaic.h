#pragma once

#include <QImage>

namespace klipo::AnnoMosaic {

// The image shrunk to max(1, width ÷ block) × max(1, height ÷ block) pixels,
// each the mean of the premultiplied source pixels it covers, so nothing of
// the detail under a block survives (a sampling downscale would keep text
// readable under small blocks). Null for a null image or a block below 1.
QImage pixelate(const QImage& image, int block);

}  // namespace klipo::AnnoMosaic

#pragma once

#include <QImage>

#include <vector>

namespace klipo {

// The grey test page the scrolling self-check stitches without a screen:
// 800 x 3000, a pseudo-random grey per row over a sawtooth, two light rows
// every 40 and a diagonal pattern of 50 x 40 cells.
QImage syntheticScrollPage();

// The page cut into 800 x 600 frames at tops 0, 240 ... 2400, in feed order,
// the fourth and the eighth fed twice (13 frames).
std::vector<QImage> syntheticScrollFrames(const QImage& page);

}  // namespace klipo

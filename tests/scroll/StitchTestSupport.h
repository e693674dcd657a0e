#pragma once

#include "TestPages.h"
#include "scroll/PngFrameSpool.h"
#include "scroll/ScrollStitcher.h"

#include <memory>
#include <random>

namespace klipo::test {

inline ScrollStitchConfig testConfig() { return standardStitchConfig(0); }

// Grey frame of the given size filled with random texture (every row unique).
inline QImage noiseFrame(int width, int height, uint32_t seed)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.scanLine(y)[x] = uchar(rng() & 0xff);
    return image;
}

inline QImage uniformFrame(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(200);
    return image;
}

// The real PNG spool, with writes that fail while `failing` is set.
struct FlakySpool : stitch::PngFrameSpool {
    explicit FlakySpool(QString folder) : PngFrameSpool(std::move(folder), false) {}
    bool write(int keptIndex, const stitch::FrameRows& frame) override
    {
        return !failing && PngFrameSpool::write(keptIndex, frame);
    }
    bool failing = false;
};

// Pixel for pixel, whatever the two formats (grey pages come back as RGB).
inline bool samePixels(const QImage& a, const QImage& b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

}  // namespace klipo::test

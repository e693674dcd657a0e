#pragma once

#include "TestPages.h"
#include "scroll/FrameSpool.h"
#include "scroll/PngFrameSpool.h"
#include "scroll/ScrollStitcher.h"

#include <functional>
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

inline QImage uniformFrame(int width, int height, int grey = 200)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(grey);
    return image;
}

// The real PNG spool with writes that can be made to fail.
class FlakySpool : public stitch::FrameSpool {
public:
    explicit FlakySpool(QString folder) : m_inner(std::move(folder), false) {}
    std::function<bool(int keptIndex)> failWrite = [](int) { return false; };
    int writes = 0;

    bool write(int keptIndex, const stitch::FrameRows& frame) override
    {
        ++writes;
        if (failWrite(keptIndex)) return false;
        return m_inner.write(keptIndex, frame);
    }
    bool read(int keptIndex, int width, int rowCount, uchar* dest, qsizetype destStride) override
    {
        return m_inner.read(keptIndex, width, rowCount, dest, destStride);
    }
    void removeAll() override { m_inner.removeAll(); }
    bool created() const override { return m_inner.created(); }
    QString folder() const override { return m_inner.folder(); }
    QString filePath(int keptIndex) const { return m_inner.filePath(keptIndex); }

private:
    stitch::PngFrameSpool m_inner;
};

// Pixel for pixel, whatever the two formats (grey pages come back as RGB).
inline bool samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return false;
    const QImage ra = a.convertToFormat(QImage::Format_RGB32);
    const QImage rb = b.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < ra.height(); ++y)
        if (memcmp(ra.constScanLine(y), rb.constScanLine(y), std::size_t(ra.width()) * 4) != 0) return false;
    return true;
}

}  // namespace klipo::test

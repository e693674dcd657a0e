#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

namespace klipo::stitch {

// Pixel layouts the stitcher reads. rgb32 holds opaque 0xffRRGGBB words;
// argb32 non-premultiplied words with real transparency.
enum class PixelKind { gray8, rgb32, argb32 };

// Rows of a frame borrowed from an image that outlives the view.
struct FrameRows {
    const uchar* top = nullptr;
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
    PixelKind kind = PixelKind::rgb32;

    const uchar* row(int y) const { return top + y * stride; }
};

// A captured frame in one of the layouts above (other formats are converted).
struct PreparedFrame {
    QImage image;
    PixelKind kind = PixelKind::rgb32;

    // Rows firstRow .. firstRow + rowCount - 1, full width.
    FrameRows rows(int firstRow, int rowCount) const;
    FrameRows all() const { return rows(0, image.height()); }
};

PreparedFrame prepareFrame(const QImage& image);

// An 8-bit grey frame, rows padded with zeros to a multiple of 16 bytes so
// the difference loops need no tails.
struct GrayFrame {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint8_t> pixels;

    const uint8_t* row(int y) const { return pixels.data() + std::size_t(y) * std::size_t(stride); }
};

GrayFrame toGray(const FrameRows& rows);

// A key of `length` bytes (FNV-1a over 8-byte words): equal bytes, equal keys.
uint64_t bytesKey(const uint8_t* bytes, int length);

// A grey sample of a whole frame fine enough that a line of text stays a
// line and a short word still changes a cell: the mean of each cell of 8 x 2
// pixels, row by row from the top.
struct LineSample {
    static constexpr int cellWidth = 8;
    static constexpr int cellHeight = 2;
};
std::vector<uint8_t> lineSample(const FrameRows& rows);

}  // namespace klipo::stitch

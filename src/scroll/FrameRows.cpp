#include "scroll/FrameRows.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace klipo::stitch {

namespace {

bool allOpaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* px = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(px[x]) != 255) return false;
    }
    return true;
}

// Integer luminance; the weights add up to 256.
inline uint8_t luma(const uchar* bgrx) { return uint8_t((bgrx[2] * 77 + bgrx[1] * 150 + bgrx[0] * 29 + 128) >> 8); }

int padTo16(int n) { return (n + 15) & ~15; }

void lumaRow(const uchar* in, uint8_t* out, int width)
{
    int x = 0;
#if defined(__SSE2__)
    // Eight pixels at a time in 16-bit lanes: the weighted sum stays below
    // 65536, so wrapping adds and a logical shift give the exact value.
    const __m128i low = _mm_set1_epi32(0xff);
    const __m128i wr = _mm_set1_epi16(77);
    const __m128i wg = _mm_set1_epi16(150);
    const __m128i wb = _mm_set1_epi16(29);
    const __m128i half = _mm_set1_epi16(128);
    auto channel = [&](__m128i p0, __m128i p1, int shift) {
        return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(p0, shift), low),
                               _mm_and_si128(_mm_srli_epi32(p1, shift), low));
    };
    for (; x + 8 <= width; x += 8) {
        const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * x));
        const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * x + 16));
        __m128i y = _mm_add_epi16(_mm_mullo_epi16(channel(p0, p1, 16), wr), _mm_mullo_epi16(channel(p0, p1, 8), wg));
        y = _mm_add_epi16(y, _mm_add_epi16(_mm_mullo_epi16(channel(p0, p1, 0), wb), half));
        y = _mm_srli_epi16(y, 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(y, y));
    }
#endif
    for (; x < width; ++x) out[x] = luma(in + 4 * x);
}

}  // namespace

FrameRows PreparedFrame::rows(int firstRow, int rowCount) const
{
    FrameRows r;
    r.top = image.constScanLine(0) + qsizetype(firstRow) * image.bytesPerLine();
    r.width = image.width();
    r.height = rowCount;
    r.stride = image.bytesPerLine();
    r.kind = kind;
    return r;
}

PreparedFrame prepareFrame(const QImage& image)
{
    PreparedFrame frame;
    switch (image.format()) {
    case QImage::Format_Grayscale8:
        frame.image = image;
        frame.kind = PixelKind::gray8;
        return frame;
    case QImage::Format_RGB32:
        frame.image = image;
        frame.kind = PixelKind::rgb32;
        return frame;
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        // Opaque premultiplied and straight words are the same bytes as RGB32.
        if (allOpaque(image)) {
            frame.image = image;
            frame.kind = PixelKind::rgb32;
        } else {
            frame.image = image.convertToFormat(QImage::Format_ARGB32);
            frame.kind = PixelKind::argb32;
        }
        return frame;
    default:
        break;
    }
    if (image.hasAlphaChannel()) return prepareFrame(image.convertToFormat(QImage::Format_ARGB32));
    frame.image = image.convertToFormat(QImage::Format_RGB32);
    frame.kind = PixelKind::rgb32;
    return frame;
}

GrayFrame toGray(const FrameRows& rows)
{
    GrayFrame gray;
    gray.width = rows.width;
    gray.height = rows.height;
    gray.stride = padTo16(rows.width);
    gray.pixels.assign(std::size_t(gray.stride) * std::size_t(rows.height), 0);
    for (int y = 0; y < rows.height; ++y) {
        const uchar* in = rows.row(y);
        uint8_t* out = gray.pixels.data() + std::size_t(y) * std::size_t(gray.stride);
        if (rows.kind == PixelKind::gray8) {
            std::copy(in, in + rows.width, out);
            continue;
        }
        lumaRow(in, out, rows.width);
    }
    return gray;
}

std::vector<uint8_t> thumbnail64(const FrameRows& rows)
{
    constexpr int side = 64;
    constexpr int samplesPerAxis = 8;
    std::vector<uint8_t> thumb(side * side, 0);
    if (rows.width <= 0 || rows.height <= 0) return thumb;
    for (int cy = 0; cy < side; ++cy) {
        const int y0 = int(qint64(cy) * rows.height / side);
        const int y1 = std::max(y0 + 1, int(qint64(cy + 1) * rows.height / side));
        const int stepY = std::max(1, (y1 - y0) / samplesPerAxis);
        for (int cx = 0; cx < side; ++cx) {
            const int x0 = int(qint64(cx) * rows.width / side);
            const int x1 = std::max(x0 + 1, int(qint64(cx + 1) * rows.width / side));
            const int stepX = std::max(1, (x1 - x0) / samplesPerAxis);
            unsigned sum = 0;
            unsigned count = 0;
            for (int y = y0; y < y1; y += stepY) {
                const uchar* line = rows.row(y);
                for (int x = x0; x < x1; x += stepX) {
                    sum += rows.kind == PixelKind::gray8 ? line[x] : luma(line + 4 * x);
                    ++count;
                }
            }
            thumb[cy * side + cx] = uint8_t((sum + count / 2) / count);
        }
    }
    return thumb;
}

}  // namespace klipo::stitch

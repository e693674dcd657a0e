#include "scroll/FrameRows.h"

#include <algorithm>
#include <cstring>

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
    default: break;
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

uint64_t bytesKey(const uint8_t* bytes, int length)
{
    uint64_t hash = 1469598103934665603ull ^ uint64_t(length);
    int x = 0;
    for (; x + 8 <= length; x += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + x, 8);
        hash = (hash ^ word) * 1099511628211ull;
    }
    for (; x < length; ++x) hash = (hash ^ bytes[x]) * 1099511628211ull;
    return hash;
}

std::vector<uint8_t> lineSample(const FrameRows& rows)
{
    constexpr int cellW = LineSample::cellWidth;
    constexpr int cellH = LineSample::cellHeight;
    const int columns = (std::max(rows.width, 0) + cellW - 1) / cellW;
    const int bands = (std::max(rows.height, 0) + cellH - 1) / cellH;
    std::vector<uint8_t> sample(std::size_t(columns) * std::size_t(bands), 0);
    if (columns == 0 || bands == 0) return sample;
    std::vector<uint8_t> grey(static_cast<std::size_t>(rows.width));
    std::vector<unsigned> sums(static_cast<std::size_t>(columns));
    std::vector<unsigned> counts(static_cast<std::size_t>(columns));
    for (int band = 0; band < bands; ++band) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::fill(counts.begin(), counts.end(), 0u);
        for (int y = band * cellH; y < std::min((band + 1) * cellH, rows.height); ++y) {
            const uchar* line = rows.row(y);
            if (rows.kind == PixelKind::gray8)
                std::copy(line, line + rows.width, grey.begin());
            else
                lumaRow(line, grey.data(), rows.width);
            for (int x = 0; x < rows.width; ++x) {
                sums[std::size_t(x / cellW)] += grey[std::size_t(x)];
                ++counts[std::size_t(x / cellW)];
            }
        }
        for (int c = 0; c < columns; ++c)
            sample[std::size_t(band) * std::size_t(columns) + std::size_t(c)] =
                uint8_t((sums[std::size_t(c)] + counts[std::size_t(c)] / 2) / counts[std::size_t(c)]);
    }
    return sample;
}

}  // namespace klipo::stitch

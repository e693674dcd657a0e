#include "annotation/render/AnnoMosaic.h"

#include <cstdint>
#include <vector>

namespace klipo::AnnoMosaic {

QImage pixelate(const QImage& image, int block)
{
    if (image.isNull() || block < 1) return {};
    const QImage src = image.format() == QImage::Format_ARGB32_Premultiplied
                           ? image
                           : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int W = src.width(), H = src.height();
    const int w = std::max(1, W / block), h = std::max(1, H / block);
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) return {};

    // Output column x covers source columns [x*W/w, (x+1)*W/w); rows likewise.
    std::vector<int> columnOf(static_cast<size_t>(W));
    for (int x = 0; x < w; ++x)
        for (qint64 sx = qint64(x) * W / w; sx < qint64(x + 1) * W / w; ++sx) columnOf[size_t(sx)] = x;

    std::vector<uint64_t> sums(size_t(w) * 4);
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const int y0 = int(qint64(y) * H / h), y1 = int(qint64(y + 1) * H / h);
        for (int sy = y0; sy < y1; ++sy) {
            const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
            for (int sx = 0; sx < W; ++sx) {
                const QRgb p = line[sx];
                uint64_t* s = &sums[size_t(columnOf[size_t(sx)]) * 4];
                s[0] += qAlpha(p);
                s[1] += qRed(p);
                s[2] += qGreen(p);
                s[3] += qBlue(p);
            }
        }
        auto* outLine = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const uint64_t count =
                uint64_t(qint64(x + 1) * W / w - qint64(x) * W / w) * uint64_t(y1 - y0);
            const uint64_t* s = &sums[size_t(x) * 4];
            const auto mean = [count](uint64_t v) { return int((v + count / 2) / count); };
            outLine[x] = qRgba(mean(s[1]), mean(s[2]), mean(s[3]), mean(s[0]));
        }
    }
    return out;
}

}  // namespace klipo::AnnoMosaic

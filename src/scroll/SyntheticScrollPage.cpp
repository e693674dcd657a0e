#include "scroll/SyntheticScrollPage.h"

#include <cstdint>

namespace klipo {

QImage syntheticScrollPage()
{
    constexpr int width = 800;
    constexpr int height = 3000;
    QImage page(width, height, QImage::Format_Grayscale8);
    if (page.isNull()) return page;
    for (int y = 0; y < height; ++y) {
        uchar* row = page.scanLine(y);
        const uint64_t rowLevel = (uint64_t(y) * 2654435761ULL) % 200;
        for (int x = 0; x < width; ++x) {
            int value = y % 40 <= 1 ? 250 : int(rowLevel) + 20 + (x / 4) % 16;
            if ((y / 40 + x / 50) % 7 == 0) value = (value + 90) % 255;
            row[x] = uchar(value);
        }
    }
    return page;
}

std::vector<QImage> syntheticScrollFrames(const QImage& page)
{
    std::vector<QImage> frames;
    int n = 0;
    for (int top = 0; top <= 2400; top += 240, ++n) {
        const QImage frame = page.copy(0, top, 800, 600);
        frames.push_back(frame);
        if (n == 3 || n == 7) frames.push_back(frame);
    }
    return frames;
}

}  // namespace klipo

#include "platform/text/PagePictures.h"

#include "platform/text/ClosedFrames.h"

#include <algorithm>
#include <vector>

namespace klipo::platform {

namespace {

// Whether no colour (in steps of 16 a channel) covers as much as a quarter
// of the inside of `r`, while many cover some of it. Text stands on one
// colour: a card holding a picture and its caption has that colour around
// the caption.
bool manyColoured(const QImage& gray, const QImage& colour, const QRect& r)
{
    std::vector<int> counts(4096, 0);
    int n = 0;
    const QRect inside = r.adjusted(2, 2, -2, -2);
    for (int y = inside.top(); y <= inside.bottom(); y += 2) {
        const auto* rgb = colour.isNull() ? nullptr : reinterpret_cast<const QRgb*>(colour.constScanLine(y));
        const uchar* grey = gray.constScanLine(y);
        for (int x = inside.left(); x <= inside.right(); x += 2) {
            const int bin =
                rgb ? (qRed(rgb[x]) >> 4) << 8 | (qGreen(rgb[x]) >> 4) << 4 | qBlue(rgb[x]) >> 4 : grey[x] >> 4;
            ++counts[size_t(bin)];
            ++n;
        }
    }
    if (n < 100) return false;
    const int most = *std::max_element(counts.begin(), counts.end());
    const auto some = std::count_if(counts.begin(), counts.end(), [n](int c) { return c * 100 >= n; });
    return most * 4 < n && some >= 6;
}

}  // namespace

void markPictures(const QImage& gray, const QImage& colour, PageMarks& marks, int textHeight)
{
    const std::vector<QRect> frames = closedFrames(marks, std::max(2 * textHeight, 20));
    for (const QRect& frame : frames) {
        if (frame.width() < 3 * textHeight || frame.height() < 2 * textHeight) continue;
        // A card around a picture and its caption is no picture: only the innermost frames are looked at.
        if (std::any_of(frames.begin(), frames.end(), [&](const QRect& f) { return f != frame && frame.contains(f); }))
            continue;
        if (!manyColoured(gray, colour, frame)) continue;
        for (int y = frame.top(); y <= frame.bottom(); ++y)
            for (int x = frame.left(); x <= frame.right(); ++x) {
                std::uint8_t& v = marks.at(x, y);
                if (v != PageMarks::none) v = PageMarks::picture;
            }
    }
}

}  // namespace klipo::platform

#include "platform/text/PagePictures.h"

#include "platform/text/ClosedFrames.h"

#include <algorithm>
#include <vector>

namespace klipo::platform {

namespace {

// The colour (in steps of 16 a channel) of a pixel.
int binOf(const QImage& gray, const QImage& colour, int x, int y)
{
    if (colour.isNull()) return gray.constScanLine(y)[x] >> 4;
    return colourCell(reinterpret_cast<const QRgb*>(colour.constScanLine(y))[x]);
}

// Whether no colour covers as much as 40 % of the inside of `r`, while many
// cover some of it, and the most common one is not the ground around it.
// Text stands on one colour: a card holding a picture and its caption has the
// page's colour around the caption. A picture lies in a page, on its ground:
// where no one colour covers half of what lies just around the frame (a
// wallpaper's gradient or picture, the edges of other windows), the frame is
// a window lying on them, however many colours its panes, avatars and
// bubbles have.
bool manyColoured(const QImage& gray, const QImage& colour, const QRect& r)
{
    std::vector<int> counts(4096, 0);
    int n = 0;
    const QRect inside = r.adjusted(2, 2, -2, -2);
    for (int y = inside.top(); y <= inside.bottom(); y += 2)
        for (int x = inside.left(); x <= inside.right(); x += 2) {
            ++counts[size_t(binOf(gray, colour, x, y))];
            ++n;
        }
    if (n < 100) return false;
    const auto most = std::max_element(counts.begin(), counts.end());
    const auto some = std::count_if(counts.begin(), counts.end(), [n](int c) { return c * 100 >= n; });
    if (*most * 10 >= n * 4 || some < 6) return false;
    // The ground just outside the frame, where it is inside the picture.
    const QRect around = r.adjusted(-3, -3, 3, 3).intersected(gray.rect());
    std::vector<int> outside(4096, 0);
    for (int x = around.left(); x <= around.right(); ++x) {
        ++outside[size_t(binOf(gray, colour, x, around.top()))];
        ++outside[size_t(binOf(gray, colour, x, around.bottom()))];
    }
    for (int y = around.top(); y <= around.bottom(); ++y) {
        ++outside[size_t(binOf(gray, colour, around.left(), y))];
        ++outside[size_t(binOf(gray, colour, around.right(), y))];
    }
    const auto ground = std::max_element(outside.begin(), outside.end());
    const int ring = 2 * (around.width() + around.height());
    return *ground * 2 >= ring && ground - outside.begin() != most - counts.begin();
}

}  // namespace

void markPictures(const QImage& gray, const QImage& colour, PageMarks& marks, int textHeight,
                  const std::vector<QRect>& badgeTexts)
{
    std::vector<QRect> pictures;
    for (const QRect& frame : closedFrames(marks, std::max(2 * textHeight, 20)))
        if (frame.width() >= 3 * textHeight && frame.height() >= 2 * textHeight && manyColoured(gray, colour, frame))
            pictures.push_back(frame);
    for (const QRect& picture : pictures) {
        // A card around a picture and its caption is no picture itself.
        if (std::any_of(pictures.begin(), pictures.end(),
                        [&](const QRect& p) { return p != picture && picture.contains(p); }))
            continue;
        for (int y = picture.top(); y <= picture.bottom(); ++y)
            for (int x = picture.left(); x <= picture.right(); ++x) {
                std::uint8_t& v = marks.at(x, y);
                if (v != PageMarks::none) v = PageMarks::picture;
            }
        // Only a tag's word or price, wider than tall: a stroke of the
        // drawing on a patch of one colour is no text.
        for (const QRect& text : badgeTexts) {
            if (text.width() <= text.height()) continue;
            marks.relabel(text.adjusted(-1, -1, 1, 1) & picture, PageMarks::picture, PageMarks::text);
        }
    }
}

}  // namespace klipo::platform

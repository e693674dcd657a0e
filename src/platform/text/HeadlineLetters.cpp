#include "platform/text/HeadlineLetters.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace klipo::platform {

bool inLargeWord(const PageMarks& marks, const QRect& box)
{
    const int h = box.height();
    const int spacing = std::max(2, h / 4);
    const int level = std::max(2, h / 12);
    const int top = std::max(0, box.top() - level);
    const int bottom = std::min(marks.h - 1, box.bottom() + level);
    const auto inkAt = [&](int x, int y) {
        const std::uint8_t v = marks.at(x, y);
        return v != PageMarks::none && v != PageMarks::structure;
    };
    // The rows the next letter's ink holds, in the columns from `edge` on,
    // `step` apart, up to the first column without ink. The column right
    // beside the shape holds its own edge's marks (a bevel, a shadow), if
    // any: the next letter stands a column off.
    const auto neighbour = [&](int edge, int step) {
        std::vector<char> rows(size_t(bottom - top + 1), 0);
        int seen = 0;
        for (int i = 1, x = edge + step; i < spacing + h / 2 && x >= 0 && x < marks.w; ++i, x += step) {
            bool any = false;
            for (int y = top; y <= bottom; ++y)
                if (inkAt(x, y)) rows[size_t(y - top)] = 1, any = true;
            if (any)
                ++seen;
            else if (seen > 0)
                break;  // the letter's end
            else if (i >= spacing)
                return false;
        }
        // Its longest stretch of rows (a line of text and another under it,
        // beside an avatar, are two), as the letter.
        int from = -1, to = -1;
        for (int y = 0, start = -1; y <= int(rows.size()); ++y) {
            const bool on = y < int(rows.size()) && rows[size_t(y)];
            if (on && start < 0) start = y;
            if (!on && start >= 0) {
                if (y - start > to - from + 1) from = start, to = y - 1;
                start = -1;
            }
        }
        // Ink all the way past the shape's top and bottom is a frame's side.
        const bool through = from == 0 && to + 1 == int(rows.size());
        return from >= 0 && !through && (to - from + 1) * 2 >= h &&
               (std::abs(top + to - box.bottom()) <= level || std::abs(top + from - box.top()) * 3 <= h);
    };
    return neighbour(box.left() - 1, -1) || neighbour(box.right() + 1, 1);
}

bool letterCounter(const PageMarks& marks, const QImage& gray, const QImage& colour, const QRect& box)
{
    const QRect page = gray.rect();
    const QImage& picture = colour.isNull() ? gray : colour;
    const auto pixel = [&](int x, int y) { return colourAt(picture, x, y); };
    constexpr int kStroke = 48;  // the stroke's ink against the ground
    constexpr int kSame = 24;
    const QPoint c = box.center();
    if (!page.contains(c)) return false;
    const QRgb inside = pixel(c.x(), c.y());
    const int reach = 2 * std::max(box.width(), box.height());
    // How far the stroke reaches from `from` in steps of (dx, dy) before the
    // ground comes back; 0 where it does not.
    const auto stroke = [&](QPoint from, int dx, int dy) {
        bool inked = false;
        for (int i = 1; i <= reach; ++i) {
            const int x = from.x() + dx * i;
            const int y = from.y() + dy * i;
            if (!page.contains(x, y)) return 0;
            const int d = colourDistance(pixel(x, y), inside);
            if (i <= 2 && d > kStroke) inked = true;
            // The stroke's outer edge: a letter's, not a frame's or a button's.
            if (i > 1 && marks.at(x, y) == PageMarks::structure) return 0;
            if (inked && d <= kSame) return i;
        }
        return 0;
    };
    const int widths[] = {stroke({box.left(), c.y()}, -1, 0), stroke({box.right(), c.y()}, 1, 0),
                          stroke({c.x(), box.top()}, 0, -1), stroke({c.x(), box.bottom()}, 0, 1)};
    // A letter's strokes around its counter are about as thick all round;
    // a switch's knob sits at one end of its track.
    const auto [thinnest, thickest] = std::minmax_element(std::begin(widths), std::end(widths));
    return *thinnest > 0 && *thickest <= 3 * *thinnest + 2;
}

bool barAmongLetters(const PageMarks& marks, const QRect& bar)
{
    const int h = bar.height();
    const int reach = std::max(3, h * 2 / 5);  // a space at the headline's size, or a narrow letter
    const int level = std::max(1, h / 20);
    const auto letterAt = [&](int x) {
        if (x < 0 || x >= marks.w) return false;
        int top = -1;
        int bottom = -1;
        for (int y = std::max(0, bar.top() - level); y <= std::min(marks.h - 1, bar.bottom() + h / 2); ++y) {
            if (const std::uint8_t v = marks.at(x, y); v == PageMarks::none || v == PageMarks::structure) continue;
            if (top < 0) top = y;
            bottom = y;
        }
        // Its ink ends on the bar's baseline and starts well below its top:
        // a small letter, or the bowl or arm of a letter as tall.
        return bottom >= 0 && std::abs(bottom - bar.bottom()) <= level && top - bar.top() >= h / 4 &&
               (bottom - top + 1) * 3 >= h;
    };
    for (int d = 1; d <= reach; ++d)
        if (letterAt(bar.left() - d) || letterAt(bar.right() + d)) return true;
    return false;
}

}  // namespace klipo::platform

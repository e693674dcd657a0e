#include "platform/text/StrikeLines.h"

#include "platform/text/PageLayout.h"

#include <algorithm>

namespace klipo::platform {

namespace {

constexpr int kDark = 128;   // ink, in a picture of dark text on white
constexpr int kFaint = 230;  // the soft edge of a line drawn between rows

// Mends the strokes of letters that cross `band`: where the rows just above
// and below it hold ink, so does the band; elsewhere it is blank.
void mendAcross(QImage& picture, const RowsAcross& band)
{
    const int above = band.top - 1;
    const int below = band.bottom + 1;
    if (above < 0 || below >= picture.height()) return;
    const uchar* up = picture.constScanLine(above);
    const uchar* down = picture.constScanLine(below);
    for (int x = std::max(0, band.left); x <= std::min(picture.width() - 1, band.right); ++x) {
        const bool crossed = up[x] < kDark && down[x] < kDark;
        const uchar value = crossed ? uchar((up[x] + down[x]) / 2) : uchar(255);
        for (int y = band.top; y <= band.bottom; ++y) picture.scanLine(y)[x] = value;
    }
}

// The longest run of pixels darker than `limit` on row `y` between `left` and `right`.
std::pair<int, int> longestRun(const QImage& picture, int y, int limit, int left, int right)
{
    const uchar* row = picture.constScanLine(y);
    std::pair<int, int> best{0, -1};
    int from = -1;
    for (int x = left; x <= right + 1; ++x) {
        const bool on = x <= right && row[x] < limit;
        if (on && from < 0) from = x;
        if (!on && from >= 0) {
            if (x - from > best.second - best.first + 1) best = {from, x - 1};
            from = -1;
        }
    }
    return best;
}

}  // namespace

bool eraseLinesThrough(QImage& picture, const std::vector<RowsAcross>& whitened)
{
    if (picture.format() != QImage::Format_Grayscale8) return false;
    for (const RowsAcross& band : whitened) mendAcross(picture, band);
    // Where the text's ink lies.
    int left = picture.width(), right = -1, top = picture.height(), bottom = -1;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* row = picture.constScanLine(y);
        for (int x = 0; x < picture.width(); ++x)
            if (row[x] < kDark) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
    }
    const int width = right - left + 1;
    const int height = bottom - top + 1;
    // Too short to tell a line through it from a dash or a letter's bar.
    if (width < 3 || height < 6 || width * 2 < height * 3) return !whitened.empty();
    const int slack = std::max(1, width / 20);
    const auto across = [&](int y, int limit) {
        const auto [from, to] = longestRun(picture, y, limit, left, right);
        return to >= from && from <= left + slack && to >= right - slack;
    };
    const int thickest = std::max(2, height / 6);
    bool found = !whitened.empty();
    // Only rows with letters above and below: an underline is read well enough.
    for (int y = top + 1; y < bottom; ++y) {
        if (!across(y, kDark)) continue;
        RowsAcross band{y, y, left, right};
        while (band.bottom + 1 < bottom && across(band.bottom + 1, kDark)) ++band.bottom;
        if (band.bottom - band.top + 1 > thickest) {
            y = band.bottom;
            continue;
        }
        // Its soft edges, a row above and below.
        if (band.top - 1 > top && across(band.top - 1, kFaint)) --band.top;
        if (band.bottom + 1 < bottom && across(band.bottom + 1, kFaint)) ++band.bottom;
        if (band.top - 1 <= top || band.bottom + 1 >= bottom) {
            y = band.bottom;
            continue;
        }
        mendAcross(picture, band);
        found = true;
        y = band.bottom;
    }
    return found;
}

std::vector<RowsAcross> rulesThrough(const PageLayout& layout, const QRect& r, int margin)
{
    std::vector<RowsAcross> bands;
    const int slack = 2;
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (!layout.isStructure(x, y)) continue;
            int from = x;
            while (from > 0 && layout.isStructure(from - 1, y)) --from;
            int to = x;
            while (to + 1 < layout.width && layout.isStructure(to + 1, y)) ++to;
            x = to;
            if (from < r.left() - slack || to > r.right() + slack || (to - from + 1) * 5 < r.width() * 3) continue;
            const RowsAcross row{y - r.top() + margin, y - r.top() + margin,
                                 std::max(from, r.left()) - r.left() + margin,
                                 std::min(to, r.right()) - r.left() + margin};
            if (!bands.empty() && bands.back().bottom + 1 == row.top) {
                RowsAcross& b = bands.back();
                b.bottom = row.bottom;
                b.left = std::min(b.left, row.left);
                b.right = std::max(b.right, row.right);
            } else {
                bands.push_back(row);
            }
        }
    }
    return bands;
}

}  // namespace klipo::platform

#include "platform/text/PageMarks.h"

#include "platform/text/InParallel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace klipo::platform {

namespace {

constexpr int kEdgeStep = 20;  // grey difference between neighbours that counts as an edge
// Difference in one colour channel that counts as an edge where the grey
// shows none: saturated text on white (yellow, bright green) has far more;
// a wallpaper's soft shapes have less.
constexpr int kColourEdgeStep = 48;
constexpr std::uint8_t kVisited = 3;

// Marks that can belong to a straight run (held ones cannot).
bool isMark(std::uint8_t v) { return v == PageMarks::text || v == PageMarks::structure; }

}  // namespace

PageMarks::PageMarks(const QImage& gray, const QImage& colour)
    : w(gray.width()), h(gray.height()), m(size_t(w) * size_t(h), none)
{
    const bool inColour = !colour.isNull() && colour.size() == gray.size();
    // Each row on its own: several at once.
    inParallel(size_t(h), 64, [&](size_t from, size_t to) {
        // Read once: a mark written might be it, as far as the compiler knows.
        const int w = this->w;
        for (int y = int(from); y < int(to); ++y) {
            const uchar* row = gray.constScanLine(y);
            const uchar* above = y > 0 ? gray.constScanLine(y - 1) : row;
            std::uint8_t* out = &m[size_t(y) * size_t(w)];
            // Without branches, so that the compiler can take many pixels at a time.
            for (int x = 1; x < w; ++x) {
                const int across = std::abs(int(row[x]) - int(row[x - 1]));
                const int down = std::abs(int(row[x]) - int(above[x]));
                out[x] = (across > kEdgeStep) | (down > kEdgeStep) ? text : none;
            }
            if (!inColour) continue;
            const auto* rgb = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
            const auto* rgbAbove = y > 0 ? reinterpret_cast<const QRgb*>(colour.constScanLine(y - 1)) : rgb;
            for (int x = 1; x < w; ++x)
                out[x] |= (colourDistance(rgb[x], rgb[x - 1]) > kColourEdgeStep) |
                                  (colourDistance(rgb[x], rgbAbove[x]) > kColourEdgeStep)
                              ? text
                              : none;
        }
    });
}

int typicalHeight(std::vector<int> values, int fallback)
{
    if (values.empty()) return fallback;
    auto middle = values.begin() + qsizetype(values.size() * 3 / 4);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

int textHeightAmong(std::vector<int> heights, int fallback)
{
    if (heights.empty()) return fallback;
    auto middle = heights.begin() + qsizetype(heights.size() / 2);
    std::nth_element(heights.begin(), middle, heights.end());
    const int median = *middle;
    const auto tall = [median](int h) { return 2 * h > 5 * median; };
    const int typical = typicalHeight(heights, fallback);
    if (!tall(typical)) return typical;
    std::erase_if(heights, tall);
    return typicalHeight(std::move(heights), fallback);
}

namespace {

// Walks the clusters of text marks row by row from their first pixel; each
// is handed to `take` with its pixels (marked visited meanwhile), which
// gives the mark they take.
void walkClusters(PageMarks& marks,
                  const std::function<std::uint8_t(const MarkCluster&, const std::vector<MarkPixel>&)>& take)
{
    const int w = marks.w;
    const int h = marks.h;
    std::uint8_t* const m = marks.m.data();
    std::vector<MarkPixel> pixels;
    std::vector<MarkPixel> pending;
    for (int startY = 0; startY < h; ++startY) {
        std::uint8_t* const row = m + size_t(startY) * size_t(w);
        for (int startX = 0; startX < w; ++startX) {
            // The next text mark on the row.
            const void* next = std::memchr(row + startX, PageMarks::text, size_t(w - startX));
            if (!next) break;
            startX = int(static_cast<const std::uint8_t*>(next) - row);
            pixels.clear();
            pending.assign(1, {startX, startY});
            row[startX] = kVisited;
            int left = w, right = -1, top = h, bottom = -1;
            while (!pending.empty()) {
                const MarkPixel p = pending.back();
                pending.pop_back();
                pixels.push_back(p);
                left = std::min(left, p.x);
                right = std::max(right, p.x);
                top = std::min(top, p.y);
                bottom = std::max(bottom, p.y);
                const int x0 = std::max(0, p.x - 1);
                const int x1 = std::min(w - 1, p.x + 1);
                for (int y = std::max(0, p.y - 1); y <= std::min(h - 1, p.y + 1); ++y) {
                    std::uint8_t* const around = m + size_t(y) * size_t(w);
                    for (int x = x0; x <= x1; ++x) {
                        if (around[x] != PageMarks::text) continue;
                        around[x] = kVisited;
                        pending.push_back({x, y});
                    }
                }
            }
            int rim = 0;
            for (const MarkPixel& p : pixels)
                rim += p.x - left < 3 || right - p.x < 3 || p.y - top < 3 || bottom - p.y < 3;
            const MarkCluster c{QRect(QPoint(left, top), QPoint(right, bottom)), int(pixels.size()), rim};
            const std::uint8_t mark = take(c, pixels);
            const std::uint8_t kept = mark == PageMarks::text ? kVisited : mark;
            for (const MarkPixel& p : pixels) m[size_t(p.y) * size_t(w) + size_t(p.x)] = kept;
        }
    }
    for (std::uint8_t& v : marks.m)
        if (v == kVisited) v = PageMarks::text;
}

}  // namespace

std::vector<MarkCluster> markEachCluster(PageMarks& marks,
                                         const std::function<std::uint8_t(const MarkCluster&)>& markOf)
{
    std::vector<MarkCluster> found;
    walkClusters(marks, [&](const MarkCluster& c, const std::vector<MarkPixel>&) {
        const std::uint8_t mark = markOf(c);
        if (mark == PageMarks::text) found.push_back(c);
        return mark;
    });
    return found;
}

GatheredClusters gatherClusters(PageMarks& marks)
{
    GatheredClusters gathered;
    walkClusters(marks, [&](const MarkCluster& c, const std::vector<MarkPixel>& pixels) {
        gathered.clusters.push_back(c);
        gathered.pixels.insert(gathered.pixels.end(), pixels.begin(), pixels.end());
        gathered.ends.push_back(gathered.pixels.size());
        return PageMarks::text;
    });
    return gathered;
}

std::vector<MarkCluster> markEachCluster(PageMarks& marks, const GatheredClusters& gathered,
                                         const std::function<std::uint8_t(const MarkCluster&)>& markOf)
{
    // As the walk leaves them: the cluster looked at visited, those before
    // it as they were marked, those after it still text.
    std::vector<MarkCluster> found;
    size_t from = 0;
    const auto markAll = [&](size_t to, std::uint8_t mark) {
        for (size_t i = from; i < to; ++i) marks.at(gathered.pixels[i].x, gathered.pixels[i].y) = mark;
    };
    for (size_t k = 0; k < gathered.clusters.size(); ++k) {
        const size_t to = gathered.ends[k];
        markAll(to, kVisited);
        const std::uint8_t mark = markOf(gathered.clusters[k]);
        markAll(to, mark == PageMarks::text ? kVisited : mark);
        if (mark == PageMarks::text) found.push_back(gathered.clusters[k]);
        from = to;
    }
    for (std::uint8_t& v : marks.m)
        if (v == kVisited) v = PageMarks::text;
    return found;
}

std::vector<MarkCluster> markClusters(PageMarks& marks, const std::function<bool(const MarkCluster&)>& isStructure)
{
    return markEachCluster(
        marks, [&](const MarkCluster& c) { return isStructure(c) ? PageMarks::structure : PageMarks::text; });
}

void releaseHeld(PageMarks& marks)
{
    for (std::uint8_t& v : marks.m)
        if (v == PageMarks::held) v = PageMarks::text;
}

void markStraightRuns(PageMarks& marks, int longestAcross, int longestDown)
{
    // Across, a row at a time; then down, a band of columns at a time, each
    // band walked row by row with the start of each column's run.
    inParallel(size_t(marks.h), 64, [&](size_t from, size_t to) {
        for (int y = int(from); y < int(to); ++y) {
            int start = -1;
            for (int x = 0; x <= marks.w; ++x) {
                const bool on = x < marks.w && isMark(marks.at(x, y));
                if (on && start < 0) start = x;
                if (!on && start >= 0) {
                    if (x - start >= longestAcross)
                        for (int i = start; i < x; ++i) marks.at(i, y) = PageMarks::structure;
                    start = -1;
                }
            }
        }
    });
    inParallel(size_t(marks.w), 64, [&](size_t from, size_t to) {
        std::vector<int> starts(to - from, -1);
        for (int y = 0; y <= marks.h; ++y) {
            for (int x = int(from); x < int(to); ++x) {
                int& start = starts[size_t(x) - from];
                const bool on = y < marks.h && isMark(marks.at(x, y));
                if (on && start < 0) start = y;
                if (!on && start >= 0) {
                    if (y - start >= longestDown)
                        for (int i = start; i < y; ++i) marks.at(x, i) = PageMarks::structure;
                    start = -1;
                }
            }
        }
    });
}
}  // namespace klipo::platform

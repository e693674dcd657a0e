#include "platform/text/GroundEdges.h"

#include "platform/text/PageMarks.h"

#include <cstdlib>

namespace klipo::platform {

namespace {

// Grey or colour difference between neighbours that tells two grounds
// apart: far less than a letter's edge, far more than a wallpaper's shading
// from one pixel to the next.
constexpr int kGroundStep = 6;
constexpr int kGroundColourStep = 10;
constexpr int kHole = 2;  // pixels a run may miss (a letter touching it, a rounded corner's start)

// Keeps, of the flags along one line (`n` of them, `step` apart), those in
// runs at least `shortest` long.
void keepLongRuns(const std::vector<char>& step, std::vector<char>& out, size_t first, size_t stride, int n,
                  int shortest)
{
    int start = -1;
    int last = -1;
    for (int i = 0; i <= n; ++i) {
        const bool on = i < n && step[first + size_t(i) * stride];
        if (on) {
            if (start < 0) start = i;
            last = i;
            continue;
        }
        if (start < 0 || (i < n && i - last <= kHole)) continue;
        if (last - start + 1 >= shortest)
            for (int k = start; k <= last; ++k) out[first + size_t(k) * stride] = 1;
        start = -1;
    }
}

}  // namespace

std::vector<char> groundEdges(const QImage& gray, const QImage& colour, int shortest)
{
    const int w = gray.width();
    const int h = gray.height();
    std::vector<char> edges(size_t(w) * size_t(h), 0);
    if (w < 2 || h < 2) return edges;
    const bool inColour = !colour.isNull() && colour.size() == gray.size();
    // Where each pixel differs from the one above it, and from the one left
    // of it.
    std::vector<char> fromAbove(edges.size(), 0);
    std::vector<char> fromLeft(edges.size(), 0);
    for (int y = 0; y < h; ++y) {
        const uchar* row = gray.constScanLine(y);
        const uchar* above = gray.constScanLine(y > 0 ? y - 1 : 0);
        const auto* rgb = inColour ? reinterpret_cast<const QRgb*>(colour.constScanLine(y)) : nullptr;
        const auto* rgbAbove =
            inColour ? reinterpret_cast<const QRgb*>(colour.constScanLine(y > 0 ? y - 1 : 0)) : nullptr;
        char* down = &fromAbove[size_t(y) * size_t(w)];
        char* across = &fromLeft[size_t(y) * size_t(w)];
        for (int x = 0; x < w; ++x) {
            if (y > 0)
                down[x] = std::abs(int(row[x]) - int(above[x])) >= kGroundStep ||
                          (rgb && colourDistance(rgb[x], rgbAbove[x]) >= kGroundColourStep);
            if (x > 0)
                across[x] = std::abs(int(row[x]) - int(row[x - 1])) >= kGroundStep ||
                            (rgb && colourDistance(rgb[x], rgb[x - 1]) >= kGroundColourStep);
        }
    }
    // Only long straight runs of them: a letter's edges are short.
    for (int y = 0; y < h; ++y) keepLongRuns(fromAbove, edges, size_t(y) * size_t(w), 1, w, shortest);
    for (int x = 0; x < w; ++x) keepLongRuns(fromLeft, edges, size_t(x), size_t(w), h, shortest);
    return edges;
}

}  // namespace klipo::platform

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

// The same down every column of a w x h picture at once, walked row by row.
void keepLongRunsDown(const std::vector<char>& step, std::vector<char>& out, int w, int h, int shortest)
{
    std::vector<int> start(size_t(w), -1);
    std::vector<int> last(size_t(w), -1);
    for (int i = 0; i <= h; ++i) {
        const char* row = i < h ? &step[size_t(i) * size_t(w)] : nullptr;
        for (int x = 0; x < w; ++x) {
            int& s = start[size_t(x)];
            int& l = last[size_t(x)];
            if (row && row[x]) {
                if (s < 0) s = i;
                l = i;
                continue;
            }
            if (s < 0 || (i < h && i - l <= kHole)) continue;
            if (l - s + 1 >= shortest)
                for (int k = s; k <= l; ++k) out[size_t(k) * size_t(w) + size_t(x)] = 1;
            s = -1;
        }
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
    // Each kind of difference in a loop of its own, without branches, so
    // that the compiler can take many pixels at a time.
    for (int y = 0; y < h; ++y) {
        const uchar* row = gray.constScanLine(y);
        const uchar* above = gray.constScanLine(y > 0 ? y - 1 : 0);
        char* down = &fromAbove[size_t(y) * size_t(w)];
        char* across = &fromLeft[size_t(y) * size_t(w)];
        if (y > 0)
            for (int x = 0; x < w; ++x) down[x] = std::abs(int(row[x]) - int(above[x])) >= kGroundStep;
        for (int x = 1; x < w; ++x) across[x] = std::abs(int(row[x]) - int(row[x - 1])) >= kGroundStep;
        if (!inColour) continue;
        const auto* rgb = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
        const auto* rgbAbove = reinterpret_cast<const QRgb*>(colour.constScanLine(y > 0 ? y - 1 : 0));
        if (y > 0)
            for (int x = 0; x < w; ++x)
                down[x] = char(down[x] | (colourDistance(rgb[x], rgbAbove[x]) >= kGroundColourStep));
        for (int x = 1; x < w; ++x)
            across[x] = char(across[x] | (colourDistance(rgb[x], rgb[x - 1]) >= kGroundColourStep));
    }
    // Only long straight runs of them: a letter's edges are short.
    for (int y = 0; y < h; ++y) keepLongRuns(fromAbove, edges, size_t(y) * size_t(w), 1, w, shortest);
    keepLongRunsDown(fromLeft, edges, w, h, shortest);
    return edges;
}

}  // namespace klipo::platform

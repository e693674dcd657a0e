#include "scroll/OverlapCheck.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace klipo::stitch {

OverlapAgreement compareOverlap(const GrayFrame& older, const GrayFrame& newer, int d)
{
    OverlapAgreement result;
    const int rows = older.height - d;
    const int width = std::min(older.width, newer.width);
    if (d < 0 || rows < 1 || width < 1) return result;
    constexpr int cell = OverlapAgreement::cell;
    constexpr int step = OverlapAgreement::clearStep;
    const int columns = (width + cell - 1) / cell;
    std::vector<int> edges(std::size_t(columns), 0);
    std::vector<int> differing(std::size_t(columns), 0);
    const auto closeBand = [&] {
        for (int c = 0; c < columns; ++c) {
            if (edges[std::size_t(c)] > 0) ++result.contentCells;
            if (differing[std::size_t(c)] >= OverlapAgreement::pixelsToDiffer) ++result.differingCells;
        }
        std::fill(edges.begin(), edges.end(), 0);
        std::fill(differing.begin(), differing.end(), 0);
    };
    for (int r = 0; r < rows; ++r) {
        const uint8_t* a = older.row(r + d);
        const uint8_t* b = newer.row(r);
        for (int c = 0; c < columns; ++c) {
            const int from = c * cell;
            const int to = std::min(from + cell, width);
            int diff = 0;
            int edge = 0;
            for (int x = from; x < to; ++x) diff += std::abs(int(a[x]) - int(b[x])) > step;
            for (int x = std::max(from, 1); x < to; ++x)
                edge += std::abs(int(a[x]) - int(a[x - 1])) > step || std::abs(int(b[x]) - int(b[x - 1])) > step;
            differing[std::size_t(c)] += diff;
            edges[std::size_t(c)] += edge;
        }
        if ((r + 1) % cell == 0 || r + 1 == rows) closeBand();
    }
    return result;
}

}  // namespace klipo::stitch

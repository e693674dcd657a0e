#pragma once

#include "scroll/FrameRows.h"
#include "scroll/ScrollStitchTypes.h"
#include "scroll/SmallFrame.h"

#include <algorithm>
#include <string>
#include <vector>

// Offset convention: an offset d means row r + d of the older frame shows
// what row r of the newer frame shows; the page scrolled down by d rows.
namespace klipo::stitch {

// Sizes fixed by the first kept frame.
struct MatchGeometry {
    int cropW = 0;
    int cropH = 0;
    int ds = 1;
    int smallW = 0;
    int smallH = 0;
    int minOverlap = 0;

    int maxFull() const { return cropH - minOverlap; }                 // largest full-resolution offset
    int minCells() const { return std::max(minOverlap / ds, 4); }      // smallest overlap in cells
    int maxCoarse() const { return std::max(smallH - minCells(), 1); }  // largest coarse offset
};

// Mean absolute grey difference at offset d (older row r + d against newer
// row r). Once the running sum shows the mean will exceed `bail`, stops and
// returns a value above `bail`. Infinite when the frames do not overlap.
double fullError(const GrayFrame& older, const GrayFrame& newer, int d, double bail);

struct Evaluation {
    int d = 0;
    double err = 0;
};

// Full-resolution errors of the candidates, in the given order, each with an
// early exit at the best error so far plus 0.15. The least error and every
// error within 0.15 of it come out exact whatever the order, so callers
// order candidates for speed and break ties by offset.
std::vector<Evaluation> evaluate(const GrayFrame& prev, const GrayFrame& cur, const std::vector<int>& candidates);

// Puts the candidates nearest `anchor` first (ties: the smaller offset).
void orderNearest(std::vector<int>& candidates, int anchor);

// Coarse error curve: entry d (1 <= d <= dMax) is the mean absolute cell
// difference of older row r + d against newer row r, in grey levels; entry 0
// is unused. Summed exactly in integers. The forward curve is (prev, cur);
// the reverse curve, low where the page was scrolled back, is (cur, prev).
std::vector<double> shiftCurve(const SmallFrame& older, const SmallFrame& newer, int dMax);

// Value at `position` (from 0) of the sorted curve entries 1..count.
double curveMedian(const std::vector<double>& curve, int count);

struct FramePair {
    const GrayFrame& prevGray;
    const GrayFrame& curGray;
    const SmallFrame& prevSmall;
    const SmallFrame& curSmall;
    double prevStd = 0;
    double curStd = 0;
};

// Whether the current frame shows the page scrolled back (up) against the
// previous kept frame. `forward` is the forward curve over 1..maxCoarse().
// Writes the "BT?" diagnostic line when KLIPO_SCROLL_DEBUG is set.
bool isBacktrack(const MatchGeometry& geometry, const ScrollStitchConfig& config, const FramePair& frames,
                 const std::vector<double>& forward);

// Shortest text that reads back as the same double; whole numbers keep one
// decimal ("12.0"), infinity is "inf".
std::string shortestDouble(double value);

}  // namespace klipo::stitch

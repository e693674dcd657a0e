#include "scroll/FrameMatch.h"

#include "scroll/OverlapCheck.h"
#include "scroll/RowSad.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace klipo::stitch {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

template <typename Cell>
std::vector<double> curveOf(const Cell* older, const Cell* newer, int width, int height, int stride, double area,
                            int dMax)
{
    std::vector<double> curve(std::size_t(std::max(dMax, 0)) + 1, infinity);
    for (int d = 1; d <= dMax; ++d) {
        const int rows = height - d;
        if (rows < 1 || width < 1) continue;
        const uint64_t sum = blockSad(older + std::int64_t(d) * stride, newer, stride, rows);
        curve[std::size_t(d)] = double(sum) / area / (double(rows) * double(width));
    }
    return curve;
}

}  // namespace

double fullError(const GrayFrame& older, const GrayFrame& newer, int d, double bail)
{
    const int rows = older.height - d;
    if (rows < 1 || older.width < 1) return infinity;
    const int64_t count = int64_t(rows) * older.width;
    const int64_t limit = std::isfinite(bail) ? int64_t(bail * double(count)) + 1 : std::numeric_limits<int64_t>::max();
    uint64_t sum = 0;
    for (int r = 0; r < rows; ++r) {
        sum += rowSad(older.row(r + d), newer.row(r), older.stride);
        if (sum > uint64_t(limit)) return double(limit + count) / double(count);
    }
    return double(sum) / double(count);
}

std::vector<Evaluation> evaluate(const GrayFrame& prev, const GrayFrame& cur, const std::vector<int>& candidates)
{
    std::vector<Evaluation> evals;
    evals.reserve(candidates.size());
    double best = infinity;
    for (int d : candidates) {
        const double err = fullError(prev, cur, d, best + 0.15);
        evals.push_back({d, err});
        best = std::min(best, err);
    }
    return evals;
}

void orderNearest(std::vector<int>& candidates, int anchor)
{
    std::sort(candidates.begin(), candidates.end(), [anchor](int a, int b) {
        const int da = std::abs(a - anchor);
        const int db = std::abs(b - anchor);
        return da != db ? da < db : a < b;
    });
}

std::vector<double> shiftCurve(const SmallFrame& older, const SmallFrame& newer, int dMax)
{
    const int w = older.width;
    const int h = older.height;
    const int stride = older.stride;
    const double area = older.cellArea();
    if (older.ds == 1) return curveOf(older.bytes.data(), newer.bytes.data(), w, h, stride, area, dMax);
    if (older.ds <= 16) return curveOf(older.words.data(), newer.words.data(), w, h, stride, area, dMax);
    return curveOf(older.wide.data(), newer.wide.data(), w, h, stride, area, dMax);
}

double curveMedian(const std::vector<double>& curve, int count)
{
    std::vector<double> values(curve.begin() + 1, curve.begin() + 1 + count);
    const auto position = values.begin() + count / 2;
    std::nth_element(values.begin(), position, values.end());
    return *position;
}

std::string shortestDouble(double value)
{
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    if (std::isnan(value)) return "nan";
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    std::string text(buffer, end);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

bool isBacktrack(const MatchGeometry& geometry, const ScrollStitchConfig& config, const FramePair& frames,
                 const std::vector<double>& forward)
{
    if (std::min(frames.curStd, frames.prevStd) < config.featureStdThreshold) return false;
    const int n = geometry.smallH - geometry.minCells();
    if (n < 2) return false;

    double bestPos = infinity;
    for (int d = 1; d <= n; ++d) bestPos = std::min(bestPos, forward[std::size_t(d)]);
    const bool debug = qEnvironmentVariableIsSet("KLIPO_SCROLL_DEBUG");
    // Errors are never negative: when the forward match is this good, the
    // page cannot have been scrolled back, and the reverse curve (as costly
    // as the forward one) is only needed for the diagnostic line.
    if (!debug && bestPos - config.flatCurveThreshold <= 0) return false;

    const std::vector<double> reverse = shiftCurve(frames.curSmall, frames.prevSmall, n);
    double bestNeg = infinity;
    int dNeg = 1;
    for (int d = 1; d <= n; ++d) {
        if (reverse[std::size_t(d)] < bestNeg) {
            bestNeg = reverse[std::size_t(d)];
            dNeg = d;
        }
    }
    const double medianNeg = curveMedian(reverse, n);

    if (debug) {
        const std::string line = "BT? bestPos=" + shortestDouble(bestPos) + " bestNeg=" + shortestDouble(bestNeg) +
                                 " bestNegD=" + std::to_string(dNeg) + " medianNeg=" + shortestDouble(medianNeg) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }

    // No fixed ceiling on bestNeg: on half-size frames an odd step back falls
    // between two compared rows and leaves the reverse minimum well above a
    // few grey levels; the full-resolution check below decides.
    if (medianNeg - bestNeg < config.flatCurveThreshold || bestNeg >= bestPos - config.flatCurveThreshold) return false;

    // Refine at full resolution: the current frame's row r + c against the
    // previous frame's row r.
    const int ds = geometry.ds;
    double best = infinity;
    int bestC = 0;
    for (int c = dNeg * ds - ds - 2; c <= dNeg * ds + ds + 2; ++c) {
        if (c < 1 || c > geometry.maxFull()) continue;
        const double err = fullError(frames.curGray, frames.prevGray, c, best + 0.15);
        if (err < best) {
            best = err;
            bestC = c;
        }
    }
    // A low mean is not enough: the shared rows must show the same content.
    return best <= config.seamAcceptError && compareOverlap(frames.curGray, frames.prevGray, bestC).confirms();
}

}  // namespace klipo::stitch

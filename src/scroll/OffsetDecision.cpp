#include "scroll/OffsetDecision.h"

#include "scroll/OverlapCheck.h"

#include <numeric>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace klipo::stitch {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

struct Plateau {
    int lo = 0;
    int hi = 0;
};

// Candidate offsets in [1, maxFull], each once; `marks` has maxFull + 1 entries.
class CandidateSet {
public:
    explicit CandidateSet(int maxFull) : m_maxFull(maxFull), m_marks(std::size_t(std::max(maxFull, 0)) + 1, 0) {}

    void addRange(int from, int to)
    {
        for (int d = std::max(from, 1); d <= std::min(to, m_maxFull); ++d) {
            if (m_marks[std::size_t(d)]) continue;
            m_marks[std::size_t(d)] = 1;
            m_list.push_back(d);
        }
    }
    std::vector<int>& list() { return m_list; }

private:
    int m_maxFull;
    std::vector<char> m_marks;
    std::vector<int> m_list;
};

SeamDecision inexact(const ScrollStitchConfig& config, MatchMemory& memory, Evaluation pick)
{
    memory.featurelessRun += 1;
    const auto confidence = memory.featurelessRun < config.fixedStepAfter ? ScrollSeamConfidence::velocity
                                                                          : ScrollSeamConfidence::fixedStep;
    return {pick.d, confidence, pick.err};
}

SeamDecision exact(MatchMemory& memory, Evaluation pick)
{
    memory.featurelessRun = 0;
    memory.recentExactOffsets.push_back(pick.d);
    if (memory.recentExactOffsets.size() > 4) memory.recentExactOffsets.erase(memory.recentExactOffsets.begin());
    return {pick.d, ScrollSeamConfidence::exact, pick.err};
}

// Repeated content: the offsets that agree alike, one picked by the learnt movement.
SeamDecision amongAlike(const ScrollStitchConfig& config, MatchMemory& memory, const std::vector<Evaluation>& matches,
                        int target, int referenceY, const FramePair& frames)
{
    bool onGrid = false;
    const std::optional<MatchMemory::Grid> grid = memory.learntGrid();
    Evaluation pick = pickByLearntStep(matches, target, grid ? std::optional<int>(grid->step) : std::nullopt,
                                       grid ? grid->rest - referenceY : 0, &onGrid);
    pick.err = fullError(frames.prevGray, frames.curGray, pick.d, infinity);
    SeamDecision decision = inexact(config, memory, pick);
    decision.repeated = true;
    decision.onGrid = onGrid;
    decision.gridKnown = grid.has_value();
    return decision;
}

// Least error; ties to the smaller offset.
Evaluation leastError(const std::vector<Evaluation>& evals, int target)
{
    if (evals.empty()) return {target, infinity};
    Evaluation best = evals.front();
    for (const auto& e : evals)
        if (e.err < best.err || (e.err == best.err && e.d < best.d)) best = e;
    return best;
}

double leastErrorValue(const std::vector<Evaluation>& evals)
{
    double least = infinity;
    for (const auto& e : evals) least = std::min(least, e.err);
    return least;
}

// Offsets within `threshold` spread over 3 rows or more: they match about
// equally well.
bool spreadWithin(const std::vector<Evaluation>& evals, double threshold)
{
    int count = 0;
    int lo = std::numeric_limits<int>::max();
    int hi = std::numeric_limits<int>::min();
    for (const auto& e : evals) {
        if (!(e.err <= threshold)) continue;
        ++count;
        lo = std::min(lo, e.d);
        hi = std::max(hi, e.d);
    }
    return count >= 2 && hi - lo >= 3;
}

struct Cluster {
    int first = 0;
    int last = 0;
    int argMin = 0;
    double minValue = infinity;
};

// The coarse offsets about as good as the best, in runs; the best runs first.
// More than a few runs come from repeated content: each must be looked at,
// or the one that is right may not be among them.
std::vector<Cluster> goodClusters(const std::vector<double>& curve, int dMaxS, double best)
{
    constexpr std::size_t mostClusters = 16;
    const double tol = std::max(0.05 * best, 0.5);
    std::vector<Cluster> clusters;
    for (int d = 1; d <= dMaxS; ++d) {
        const double value = curve[std::size_t(d)];
        if (!(value <= best + tol)) continue;
        if (clusters.empty() || d > clusters.back().last + 2) clusters.push_back({d, d, d, value});
        Cluster& c = clusters.back();
        c.last = d;
        if (value < c.minValue) {
            c.minValue = value;
            c.argMin = d;
        }
    }
    std::stable_sort(clusters.begin(), clusters.end(),
                     [](const Cluster& a, const Cluster& b) { return a.minValue < b.minValue; });
    if (clusters.size() > mostClusters) clusters.resize(mostClusters);
    return clusters;
}

// Every offset, those the coarse curve likes best first.
std::vector<Evaluation> fullSearch(const MatchGeometry& g, const FramePair& frames, const std::vector<double>& curve)
{
    std::vector<std::pair<double, int>> ranked;
    for (int d = 1; d <= g.maxFull(); ++d) {
        const int coarse = std::clamp(int(std::lround(double(d) / g.ds)), 1, g.maxCoarse());
        ranked.push_back({curve[std::size_t(coarse)], d});
    }
    std::sort(ranked.begin(), ranked.end());
    std::vector<int> all;
    for (const auto& [value, d] : ranked) all.push_back(d);
    return evaluate(frames.prevGray, frames.curGray, all);
}

SeamDecision texturedPath(const MatchGeometry& g, const ScrollStitchConfig& config, const FramePair& frames,
                          const std::vector<double>& curve, double best, int target, int tS, MatchMemory& memory,
                          DecisionStats* stats, int referenceY)
{
    const int ds = g.ds;
    const int maxFull = g.maxFull();
    std::vector<Plateau> plateaus;
    const auto inPlateau = [&](int d) {
        return std::any_of(plateaus.begin(), plateaus.end(), [d](const Plateau& p) { return p.lo <= d && d <= p.hi; });
    };
    const auto confirms = [&](int d) { return compareOverlap(frames.prevGray, frames.curGray, d).confirms(); };

    // Each run of good coarse offsets is measured on its own, so that its
    // best offset comes out exact whatever the other runs hold.
    CandidateSet taken(maxFull);
    std::vector<Evaluation> evals;
    std::vector<std::vector<Evaluation>> perCluster;
    for (const Cluster& c : goodClusters(curve, g.maxCoarse(), best)) {
        const std::size_t before = taken.list().size();
        if (c.last - c.first < 4) {
            taken.addRange(c.argMin * ds - 2 * ds - 4, c.argMin * ds + 2 * ds + 4);
        } else {
            const int t = std::clamp(tS, c.first, c.last);
            taken.addRange((t - 1) * ds - 2, (t + 1) * ds + 2);
            plateaus.push_back({c.first * ds - ds - 2, c.last * ds + ds + 2});
        }
        std::vector<int> own(taken.list().begin() + std::ptrdiff_t(before), taken.list().end());
        // The best coarse match usually holds the answer: measured first, it
        // makes the early exit of the others come sooner.
        orderNearest(own, c.argMin * ds);
        perCluster.push_back(evaluate(frames.prevGray, frames.curGray, own));
        evals.insert(evals.end(), perCluster.back().begin(), perCluster.back().end());
    }
    if (stats) stats->candidates = int(evals.size());

    // Where the shared rows show the same thing, not only a low mean.
    std::vector<Evaluation> matches;
    std::size_t matchCluster = 0;
    for (std::size_t i = 0; i < perCluster.size(); ++i) {
        const Evaluation pick = leastError(perCluster[i], target);
        if (pick.err <= config.seamAcceptError && confirms(pick.d)) {
            if (matches.empty()) matchCluster = i;
            matches.push_back(pick);
        }
    }
    if (matches.size() == 1) {
        // Offsets around it that match about as well: a flat stretch, not a place.
        const std::vector<Evaluation>& own = perCluster[matchCluster];
        const double nearThr = std::max(matches.front().err + 0.02, config.plateauMatchError);
        if (spreadWithin(own, nearThr)) return inexact(config, memory, pickNearTarget(own, target, nearThr));
        if (inPlateau(matches.front().d)) return inexact(config, memory, matches.front());
        return exact(memory, matches.front());
    }
    if (matches.size() > 1) {
        // Repeated content: several places match; the movement learnt so far decides.
        return amongAlike(config, memory, matches, target, referenceY, frames);
    }

    // No run holds a match: every offset, then the best one, sure only if
    // its shared rows really agree and nothing else matches as well.
    evals = fullSearch(g, frames, curve);
    if (stats) stats->fullSearch = true;
    const double minErr = leastErrorValue(evals);
    const double nearThr = std::max(minErr + 0.02, config.plateauMatchError);
    if (spreadWithin(evals, nearThr)) {
        SeamDecision decision = inexact(config, memory, pickNearTarget(evals, target, nearThr));
        decision.unmatched = !confirms(decision.offset);
        return decision;
    }
    const Evaluation pick = leastError(evals, target);
    const bool matched = pick.err <= config.seamAcceptError && confirms(pick.d);
    if (matched && !inPlateau(pick.d)) return exact(memory, pick);
    SeamDecision decision = inexact(config, memory, pick);
    decision.unmatched = !matched;
    return decision;
}

SeamDecision flatPath(const MatchGeometry& g, const ScrollStitchConfig& config, const FramePair& frames,
                      const std::vector<double>& curve, double best, int target, int tS, MatchMemory& memory,
                      DecisionStats* stats)
{
    const int ds = g.ds;
    const double thr = std::max(0.6, best + 0.35);
    int c = 0;
    for (int d = 1; d <= g.maxCoarse(); ++d) {
        if (!(curve[std::size_t(d)] <= thr)) continue;
        if (c == 0 || std::abs(d - tS) < std::abs(c - tS)) c = d;
    }
    if (c == 0) c = tS;  // only when the curve holds no number at all
    CandidateSet candidates(g.maxFull());
    candidates.addRange(c * ds - ds - 2, c * ds + ds + 2);
    if (std::abs(target - c * ds) <= 2 * ds + 4) candidates.addRange(target - 2, target + 2);
    orderNearest(candidates.list(), target);
    const std::vector<Evaluation> evals = evaluate(frames.prevGray, frames.curGray, candidates.list());
    if (stats) stats->candidates = int(evals.size());
    return inexact(config, memory, pickNearTarget(evals, target, config.plateauMatchError));
}

}  // namespace

int resolveTarget(std::optional<int> hint, int dMin, int dMax, const MatchMemory& memory, int cropH)
{
    int t = 0;
    if (hint) {
        t = *hint;
    } else if (memory.recentExactOffsets.empty()) {
        t = cropH / 2;
    } else {
        double sum = 0;
        for (int d : memory.recentExactOffsets) sum += d;
        t = int(sum / double(memory.recentExactOffsets.size()));
    }
    return std::max(std::min(t, dMax), dMin);
}

Evaluation pickNearTarget(const std::vector<Evaluation>& evals, int target, double eps)
{
    if (evals.empty()) return {target, infinity};
    const Evaluation* pick = nullptr;
    for (const auto& e : evals) {
        if (!(e.err <= eps)) continue;
        const int dist = std::abs(e.d - target);
        if (!pick || dist < std::abs(pick->d - target) || (dist == std::abs(pick->d - target) && e.d < pick->d))
            pick = &e;
    }
    if (pick) return *pick;
    for (const auto& e : evals) {
        if (!pick) {
            pick = &e;
            continue;
        }
        const int dist = std::abs(e.d - target);
        const int pickDist = std::abs(pick->d - target);
        if (e.err < pick->err || (e.err == pick->err && (dist < pickDist || (dist == pickDist && e.d < pick->d))))
            pick = &e;
    }
    return *pick;
}

void MatchMemory::rememberResting(int y)
{
    if (!restingRows.empty() && restingRows.back() == y) return;
    restingRows.push_back(y);
    if (int(restingRows.size()) > restingRowsKept) restingRows.erase(restingRows.begin());
}

std::optional<MatchMemory::Grid> MatchMemory::learntGrid() const
{
    // Rests a whole number of `step` rows from `rest`.
    const auto onGridOf = [&](int step, int rest) {
        return int(std::count_if(restingRows.begin(), restingRows.end(),
                                 [&](int other) { return std::abs(other - rest) % step == 0; }));
    };
    const int wanted = std::max(4, int(std::ceil(0.75 * double(restingRows.size()))));
    std::optional<Grid> grid;
    for (std::size_t i = 0; i < restingRows.size(); ++i)
        for (std::size_t j = i + 1; j < restingRows.size(); ++j) {
            const int step = std::abs(restingRows[j] - restingRows[i]);
            for (std::size_t k = j + 1; k < restingRows.size() && step >= 8; ++k) {
                const int common = std::gcd(step, std::abs(restingRows[k] - restingRows[i]));
                if (common < 8 || (grid && common <= grid->step) || onGridOf(common, restingRows[i]) < wanted) continue;
                grid = Grid{common, restingRows[i]};
            }
        }
    if (!grid) return std::nullopt;
    // The last rest on that grid.
    for (auto rest = restingRows.rbegin(); rest != restingRows.rend(); ++rest)
        if (std::abs(*rest - grid->rest) % grid->step == 0) return Grid{grid->step, *rest};
    return grid;
}

Evaluation pickByLearntStep(const std::vector<Evaluation>& matches, int target, std::optional<int> step,
                            int restingOffset, bool* onGrid)
{
    std::vector<Evaluation> wanted;
    if (step)
        for (const auto& e : matches)
            if (((e.d - restingOffset) % *step + *step) % *step == 0) wanted.push_back(e);
    if (onGrid) *onGrid = !wanted.empty();
    if (wanted.empty()) wanted = matches;
    if (wanted.empty()) return {target, infinity};
    Evaluation pick = wanted.front();
    for (const auto& e : wanted) {
        const int dist = std::abs(e.d - target);
        const int pickDist = std::abs(pick.d - target);
        if (dist < pickDist || (dist == pickDist && e.d < pick.d)) pick = e;
    }
    return pick;
}

SeamDecision decideOffset(const MatchGeometry& geometry, const ScrollStitchConfig& config, const FramePair& frames,
                          const std::vector<double>& forward, std::optional<int> stepHint, MatchMemory& memory,
                          DecisionStats* stats, const ShiftScan* scan, int referenceY)
{
    const int ds = geometry.ds;
    const int maxFull = geometry.maxFull();
    const int target = resolveTarget(stepHint, 1, maxFull, memory, geometry.cropH);
    if (scan && scan->kind == ShiftScan::Kind::forward && scan->offset >= 1 && scan->offset <= maxFull)
        return exact(memory, {scan->offset, fullError(frames.prevGray, frames.curGray, scan->offset, infinity)});
    if (scan && scan->kind == ShiftScan::Kind::repeated) {
        std::vector<Evaluation> matches;
        for (int d : scan->alike)
            if (d <= maxFull) matches.push_back({d, 0});
        if (!matches.empty()) {
            SeamDecision decision = amongAlike(config, memory, matches, target, referenceY, frames);
            // A step learnt (the notches posted, or the exact seams so far) that
            // lands right on one of the places that agree decides it too.
            decision.onTarget = decision.offset == target && (stepHint || !memory.recentExactOffsets.empty());
            return decision;
        }
    }

    const int dMaxS = geometry.maxCoarse();
    double best = infinity;
    for (int d = 1; d <= dMaxS; ++d) best = std::min(best, forward[std::size_t(d)]);
    const double median = curveMedian(forward, dMaxS);
    const int tS = std::clamp(int(std::lround(double(target) / double(ds))), 1, dMaxS);

    const bool textured = median - best >= config.flatCurveThreshold &&
                          std::min(frames.curStd, frames.prevStd) >= config.featureStdThreshold;
    if (stats) stats->textured = textured;
    return textured ? texturedPath(geometry, config, frames, forward, best, target, tS, memory, stats, referenceY)
                    : flatPath(geometry, config, frames, forward, best, target, tS, memory, stats);
}

}  // namespace klipo::stitch

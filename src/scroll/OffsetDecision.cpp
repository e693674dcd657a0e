#include "scroll/OffsetDecision.h"

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

// Least error; ties to the smaller offset.
Evaluation leastError(const std::vector<Evaluation>& evals, int target)
{
    if (evals.empty()) return {target, infinity};
    Evaluation best = evals.front();
    for (const auto& e : evals)
        if (e.err < best.err || (e.err == best.err && e.d < best.d)) best = e;
    return best;
}

struct Cluster {
    int first = 0;
    int last = 0;
    int argMin = 0;
    double minValue = infinity;
};

std::vector<Cluster> goodClusters(const std::vector<double>& curve, int dMaxS, double best)
{
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
    if (clusters.size() > 4) clusters.resize(4);
    return clusters;
}

SeamDecision texturedPath(const MatchGeometry& g, const ScrollStitchConfig& config, const FramePair& frames,
                          const std::vector<double>& curve, double best, int target, int tS, MatchMemory& memory,
                          DecisionStats* stats)
{
    const int ds = g.ds;
    const int maxFull = g.maxFull();
    CandidateSet candidates(maxFull);
    std::vector<Plateau> plateaus;
    int coarseMin = 0;
    for (const Cluster& c : goodClusters(curve, g.maxCoarse(), best)) {
        if (coarseMin == 0) coarseMin = c.argMin;
        if (c.last - c.first < 4) {
            candidates.addRange(c.argMin * ds - 2 * ds - 4, c.argMin * ds + 2 * ds + 4);
        } else {
            const int t = std::clamp(tS, c.first, c.last);
            candidates.addRange((t - 1) * ds - 2, (t + 1) * ds + 2);
            plateaus.push_back({c.first * ds - ds - 2, c.last * ds + ds + 2});
        }
    }
    // The best coarse match usually holds the answer: measured first, it
    // makes the early exit of every other candidate come sooner.
    const int anchor = coarseMin * ds;
    orderNearest(candidates.list(), anchor);
    std::vector<Evaluation> evals = evaluate(frames.prevGray, frames.curGray, candidates.list());
    double minErr = infinity;
    for (const auto& e : evals) minErr = std::min(minErr, e.err);
    if (stats) stats->candidates = int(evals.size());

    if (minErr > config.seamAcceptError) {
        // Every offset, those the coarse curve likes best first.
        std::vector<std::pair<double, int>> ranked;
        for (int d = 1; d <= maxFull; ++d) {
            const int coarse = std::clamp(int(std::lround(double(d) / ds)), 1, g.maxCoarse());
            ranked.push_back({curve[std::size_t(coarse)], d});
        }
        std::sort(ranked.begin(), ranked.end());
        std::vector<int> all;
        for (const auto& [value, d] : ranked) all.push_back(d);
        evals = evaluate(frames.prevGray, frames.curGray, all);
        minErr = infinity;
        for (const auto& e : evals) minErr = std::min(minErr, e.err);
        if (stats) stats->fullSearch = true;
    }

    const double nearThr = std::max(minErr + 0.02, config.plateauMatchError);
    int nearCount = 0;
    int nearLo = std::numeric_limits<int>::max();
    int nearHi = std::numeric_limits<int>::min();
    for (const auto& e : evals) {
        if (!(e.err <= nearThr)) continue;
        ++nearCount;
        nearLo = std::min(nearLo, e.d);
        nearHi = std::max(nearHi, e.d);
    }
    if (nearCount < 2 || nearHi - nearLo < 3) {
        const Evaluation pick = leastError(evals, target);
        const bool inPlateau = std::any_of(plateaus.begin(), plateaus.end(),
                                           [&](const Plateau& p) { return p.lo <= pick.d && pick.d <= p.hi; });
        if (!inPlateau && pick.err <= config.seamAcceptError) {
            memory.featurelessRun = 0;
            memory.recentExactOffsets.push_back(pick.d);
            if (memory.recentExactOffsets.size() > 4)
                memory.recentExactOffsets.erase(memory.recentExactOffsets.begin());
            return {pick.d, ScrollSeamConfidence::exact, pick.err};
        }
        return inexact(config, memory, pick);
    }
    return inexact(config, memory, pickNearTarget(evals, target, nearThr));
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

SeamDecision decideOffset(const MatchGeometry& geometry, const ScrollStitchConfig& config, const FramePair& frames,
                          const std::vector<double>& forward, std::optional<int> stepHint, MatchMemory& memory,
                          DecisionStats* stats)
{
    const int ds = geometry.ds;
    const int dMaxS = geometry.maxCoarse();
    double best = infinity;
    for (int d = 1; d <= dMaxS; ++d) best = std::min(best, forward[std::size_t(d)]);
    const double median = curveMedian(forward, dMaxS);
    const int target = resolveTarget(stepHint, 1, geometry.maxFull(), memory, geometry.cropH);
    const int tS = std::clamp(int(std::lround(double(target) / double(ds))), 1, dMaxS);

    const bool textured = median - best >= config.flatCurveThreshold &&
                          std::min(frames.curStd, frames.prevStd) >= config.featureStdThreshold;
    if (stats) stats->textured = textured;
    return textured ? texturedPath(geometry, config, frames, forward, best, target, tS, memory, stats)
                    : flatPath(geometry, config, frames, forward, best, target, tS, memory, stats);
}

}  // namespace klipo::stitch

#include "PlainStitcher.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace klipo::test {

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

double stdOf(const std::vector<float>& v)
{
    if (v.empty()) return 0;
    double sum = 0;
    for (float f : v) sum += double(f);
    const double mean = sum / double(v.size());
    double sq = 0;
    for (float f : v) sq += (double(f) - mean) * (double(f) - mean);
    return std::sqrt(sq / double(v.size()));
}

}  // namespace

double PlainStitcher::fullError(const std::vector<uint8_t>& older, const std::vector<uint8_t>& newer, int d,
                                double bail) const
{
    const int rows = m_h - d;
    if (rows < 1) return inf;
    const long long count = (long long)rows * m_w;
    const long long limit = std::isfinite(bail) ? (long long)(bail * double(count)) + 1
                                                : std::numeric_limits<long long>::max();
    long long sum = 0;
    for (int r = 0; r < rows; ++r) {
        for (int x = 0; x < m_w; ++x) sum += std::abs(int(older[(r + d) * m_w + x]) - int(newer[r * m_w + x]));
        if (sum > limit) return double(limit + count) / double(count);
    }
    return double(sum) / double(count);
}

std::vector<PlainStitcher::Eval> PlainStitcher::evaluate(const std::vector<int>& cands,
                                                         const std::vector<uint8_t>& cur) const
{
    std::vector<Eval> out;
    double best = inf;
    for (int d : cands) {
        const double err = fullError(m_prevGray, cur, d, best + 0.15);
        out.push_back({d, err});
        best = std::min(best, err);
    }
    return out;
}

double PlainStitcher::curveValue(const std::vector<float>& older, const std::vector<float>& newer, int d) const
{
    const int rows = m_sh - d;
    if (rows < 1) return inf;
    float sum = 0;
    for (int r = 0; r < rows; ++r)
        for (int x = 0; x < m_sw; ++x) sum += std::fabs(older[(r + d) * m_sw + x] - newer[r * m_sw + x]);
    return double(sum) / (double(rows) * double(m_sw));
}

bool PlainStitcher::isBacktrack(const std::vector<uint8_t>& cur, const std::vector<float>& curSmall,
                                double curStd) const
{
    if (std::min(curStd, m_prevStd) < m_config.featureStdThreshold) return false;
    const int m = std::max(m_config.minOverlap / m_ds, 4);
    const int n = m_sh - m;
    if (n < 2) return false;
    double bestPos = inf, bestNeg = inf;
    int dNeg = 1;
    std::vector<double> rev;
    for (int d = 1; d <= n; ++d) {
        bestPos = std::min(bestPos, curveValue(m_prevSmall, curSmall, d));
        const double r = curveValue(curSmall, m_prevSmall, d);
        rev.push_back(r);
        if (r < bestNeg) {
            bestNeg = r;
            dNeg = d;
        }
    }
    std::sort(rev.begin(), rev.end());
    const double medianNeg = rev[std::size_t(n / 2)];
    if (medianNeg - bestNeg < m_config.flatCurveThreshold || bestNeg >= 8.0 ||
        bestNeg >= bestPos - m_config.flatCurveThreshold)
        return false;
    double best = inf;
    for (int c = dNeg * m_ds - m_ds - 2; c <= dNeg * m_ds + m_ds + 2; ++c) {
        if (c < 1 || c > m_h - m_config.minOverlap) continue;
        best = std::min(best, fullError(cur, m_prevGray, c, best + 0.15));
    }
    return best <= m_config.seamAcceptError;
}

int PlainStitcher::resolveTarget(std::optional<int> hint, int lo, int hi) const
{
    int t = m_h / 2;
    if (hint) {
        t = *hint;
    } else if (!m_recent.empty()) {
        double sum = 0;
        for (int d : m_recent) sum += d;
        t = int(sum / double(m_recent.size()));
    }
    return std::max(std::min(t, hi), lo);
}

PlainStitcher::Eval PlainStitcher::pickNearTarget(const std::vector<Eval>& evals, int target, double eps)
{
    if (evals.empty()) return {target, inf};
    const Eval* pick = nullptr;
    for (const auto& e : evals)
        if (e.err <= eps && (!pick || std::abs(e.d - target) < std::abs(pick->d - target))) pick = &e;
    if (pick) return *pick;
    for (const auto& e : evals)
        if (!pick || e.err < pick->err || (e.err == pick->err && std::abs(e.d - target) < std::abs(pick->d - target)))
            pick = &e;
    return *pick;
}

ScrollFramePlacement PlainStitcher::inexact(Eval e)
{
    ++m_run;
    const bool early = m_run < m_config.fixedStepAfter;
    return {0, 0, e.d, early ? ScrollSeamConfidence::velocity : ScrollSeamConfidence::fixedStep, e.err};
}

ScrollFramePlacement PlainStitcher::decide(const std::vector<uint8_t>& cur, const std::vector<float>& curSmall,
                                           double curStd, std::optional<int> hint)
{
    const int maxFull = m_h - m_config.minOverlap;
    const int m = std::max(m_config.minOverlap / m_ds, 4);
    const int dMaxS = std::max(m_sh - m, 1);
    std::vector<double> curve(std::size_t(dMaxS) + 1);
    for (int d = 1; d <= dMaxS; ++d) curve[std::size_t(d)] = curveValue(m_prevSmall, curSmall, d);
    std::vector<double> sorted(curve.begin() + 1, curve.end());
    std::sort(sorted.begin(), sorted.end());
    const double best = sorted.front();
    const double median = sorted[std::size_t(dMaxS / 2)];
    const int target = resolveTarget(hint, 1, maxFull);
    const int tS = std::clamp(int(std::lround(double(target) / m_ds)), 1, dMaxS);
    auto inRange = [&](std::vector<int> c) {
        std::sort(c.begin(), c.end());
        c.erase(std::unique(c.begin(), c.end()), c.end());
        c.erase(std::remove_if(c.begin(), c.end(), [&](int d) { return d < 1 || d > maxFull; }), c.end());
        return c;
    };

    const bool textured = median - best >= m_config.flatCurveThreshold &&
                          std::min(curStd, m_prevStd) >= m_config.featureStdThreshold;
    if (!textured) {
        const double thr = std::max(0.6, best + 0.35);
        int c = -1;
        for (int d = 1; d <= dMaxS; ++d)
            if (curve[std::size_t(d)] <= thr && (c < 0 || std::abs(d - tS) < std::abs(c - tS))) c = d;
        std::vector<int> cands;
        for (int d = c * m_ds - m_ds - 2; d <= c * m_ds + m_ds + 2; ++d) cands.push_back(d);
        if (std::abs(target - c * m_ds) <= 2 * m_ds + 4)
            for (int d = target - 2; d <= target + 2; ++d) cands.push_back(d);
        return inexact(pickNearTarget(evaluate(inRange(cands), cur), target, m_config.plateauMatchError));
    }

    const double tol = std::max(0.05 * best, 0.5);
    std::vector<std::vector<int>> clusters;
    for (int d = 1; d <= dMaxS; ++d) {
        if (curve[std::size_t(d)] > best + tol) continue;
        if (clusters.empty() || d - clusters.back().back() > 2) clusters.push_back({});
        clusters.back().push_back(d);
    }
    auto least = [&](const std::vector<int>& c) {
        double v = inf;
        for (int d : c) v = std::min(v, curve[std::size_t(d)]);
        return v;
    };
    std::stable_sort(clusters.begin(), clusters.end(),
                     [&](const auto& a, const auto& b) { return least(a) < least(b); });
    std::vector<int> cands;
    std::vector<std::pair<int, int>> plateaus;
    for (std::size_t i = 0; i < clusters.size() && i < 4; ++i) {
        const int first = clusters[i].front(), last = clusters[i].back();
        if (last - first < 4) {
            int c = first;
            for (int d : clusters[i])
                if (curve[std::size_t(d)] < curve[std::size_t(c)]) c = d;
            for (int d = c * m_ds - 2 * m_ds - 4; d <= c * m_ds + 2 * m_ds + 4; ++d) cands.push_back(d);
        } else {
            const int t = std::clamp(tS, first, last);
            for (int d = (t - 1) * m_ds - 2; d <= (t + 1) * m_ds + 2; ++d) cands.push_back(d);
            plateaus.push_back({first * m_ds - m_ds - 2, last * m_ds + m_ds + 2});
        }
    }
    std::vector<Eval> evals = evaluate(inRange(cands), cur);
    double minErr = inf;
    for (const auto& e : evals) minErr = std::min(minErr, e.err);
    if (minErr > m_config.seamAcceptError) {
        std::vector<int> all;
        for (int d = 1; d <= maxFull; ++d) all.push_back(d);
        evals = evaluate(all, cur);
        minErr = inf;
        for (const auto& e : evals) minErr = std::min(minErr, e.err);
    }
    const double nearThr = std::max(minErr + 0.02, m_config.plateauMatchError);
    std::vector<int> near;
    for (const auto& e : evals)
        if (e.err <= nearThr) near.push_back(e.d);
    if (near.size() < 2 || near.back() - near.front() < 3) {
        Eval pick{target, inf};
        for (const auto& e : evals)
            if (e.err < pick.err) pick = e;
        bool inPlateau = false;
        for (auto [lo, hi] : plateaus) inPlateau = inPlateau || (lo <= pick.d && pick.d <= hi);
        if (!inPlateau && pick.err <= m_config.seamAcceptError) {
            m_run = 0;
            m_recent.push_back(pick.d);
            if (m_recent.size() > 4) m_recent.erase(m_recent.begin());
            return {0, 0, pick.d, ScrollSeamConfidence::exact, pick.err};
        }
        return inexact(pick);
    }
    return inexact(pickNearTarget(evals, target, nearThr));
}

void PlainStitcher::append(const QImage& grayFrame, std::optional<int> stepHint)
{
    const int input = m_appended++;
    const int w = grayFrame.width(), h = grayFrame.height();
    const bool first = placements.empty();
    if (first) {
        m_w = w;
        m_h = h;
        m_ds = std::max(1, (w + 319) / 320);
        m_sw = w / m_ds;
        m_sh = h / m_ds;
    }
    std::vector<uint8_t> gray(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) std::copy_n(grayFrame.constScanLine(y), w, gray.begin() + y * w);
    std::vector<float> small(std::size_t(m_sw) * std::size_t(m_sh));
    for (int y = 0; y < m_sh; ++y)
        for (int x = 0; x < m_sw; ++x) {
            int s = 0;
            for (int j = 0; j < m_ds; ++j)
                for (int i = 0; i < m_ds; ++i) s += gray[(y * m_ds + j) * w + x * m_ds + i];
            small[y * m_sw + x] = float(s) / float(m_ds * m_ds);
        }
    const double curStd = stdOf(small);
    ScrollFramePlacement p{input, 0, 0, ScrollSeamConfidence::exact, 0};
    if (!first) {
        const double e0 = fullError(m_prevGray, gray, 0, inf);
        if (e0 <= m_config.duplicateMeanDiff && (curStd >= m_config.featureStdThreshold || !stepHint)) {
            skipped.push_back(input);
            return;
        }
        if (isBacktrack(gray, small, curStd)) {
            skippedBack.push_back(input);
            return;
        }
        p = decide(gray, small, curStd, stepHint);
        p.frameIndex = input;
        p.y = m_lastY + p.offset;
    }
    placements.push_back(p);
    m_lastY = p.y;
    m_prevGray = std::move(gray);
    m_prevSmall = std::move(small);
    m_prevStd = curStd;
}

}  // namespace klipo::test

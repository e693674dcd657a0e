#pragma once

#include "scroll/ScrollStitchTypes.h"

#include <QImage>

#include <optional>
#include <vector>

namespace klipo::test {

// The matching rules written out plainly: single-precision coarse curves over
// cell means, scalar loops, candidates measured in ascending order, each
// curve computed where it is used. The fast stitcher must decide exactly as
// this one does. Takes 8-bit grey frames without crop; keeps no spool.
class PlainStitcher {
public:
    explicit PlainStitcher(ScrollStitchConfig config) : m_config(std::move(config)) {}

    void append(const QImage& grayFrame, std::optional<int> stepHint);

    std::vector<ScrollFramePlacement> placements;
    std::vector<int> skipped;
    std::vector<int> skippedBack;

private:
    struct Eval {
        int d;
        double err;
    };
    double fullError(const std::vector<uint8_t>& older, const std::vector<uint8_t>& newer, int d, double bail) const;
    std::vector<Eval> evaluate(const std::vector<int>& cands, const std::vector<uint8_t>& cur) const;
    double curveValue(const std::vector<float>& older, const std::vector<float>& newer, int d) const;
    bool isBacktrack(const std::vector<uint8_t>& cur, const std::vector<float>& curSmall, double curStd) const;
    ScrollFramePlacement decide(const std::vector<uint8_t>& cur, const std::vector<float>& curSmall, double curStd,
                                std::optional<int> hint);
    int resolveTarget(std::optional<int> hint, int lo, int hi) const;
    static Eval pickNearTarget(const std::vector<Eval>& evals, int target, double eps);
    ScrollFramePlacement inexact(Eval e);

    ScrollStitchConfig m_config;
    int m_appended = 0;
    int m_w = 0, m_h = 0, m_ds = 1, m_sw = 0, m_sh = 0;
    std::vector<uint8_t> m_prevGray;
    std::vector<float> m_prevSmall;
    double m_prevStd = 0;
    int m_lastY = 0;
    std::vector<int> m_recent;
    int m_run = 0;
};

}  // namespace klipo::test

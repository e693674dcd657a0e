#include "scroll/StitchSession.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace klipo {

using namespace stitch;

void ScrollStitchTally::count(const ScrollFrameResult& result)
{
    switch (result.kind) {
    case ScrollFrameResult::Kind::appended: kept = result.kept; break;
    case ScrollFrameResult::Kind::duplicate: ++dupSkipped; break;
    case ScrollFrameResult::Kind::failed: ++failed; break;
    }
}

double stitch::byteStd(const std::vector<uint8_t>& values)
{
    if (values.empty()) return 0;
    double sum = 0;
    for (uint8_t v : values) sum += v;
    const double mean = sum / double(values.size());
    double squares = 0;
    for (uint8_t v : values) squares += (v - mean) * (v - mean);
    return std::sqrt(squares / double(values.size()));
}

double stitch::meanAbsDiff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.empty() || a.size() != b.size()) return std::numeric_limits<double>::infinity();
    long long sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return double(sum) / double(a.size());
}

int stitch::maxAbsDiff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size()) return 255;
    int most = 0;
    for (std::size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(int(a[i]) - int(b[i])));
    return most;
}

StitchSession::StitchSession(ScrollStitchConfig config, std::unique_ptr<FrameSpool> spool)
    : m_stitcher(std::move(config), std::move(spool))
{
}

ScrollFrameResult StitchSession::process(const QImage& frame, std::optional<int> stepHint, bool settled)
{
    const auto start = std::chrono::steady_clock::now();
    std::optional<std::vector<uint8_t>> sample;
    if (!frame.isNull()) sample = lineSample(prepareFrame(frame).all());
    m_precheckMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // A frame that has not changed never reaches the stitcher. On average a
    // few short lines moved on a blank page change next to nothing: no cell
    // may have changed.
    if (sample && m_lastSample && byteStd(*sample) >= 3.0 && meanAbsDiff(*sample, *m_lastSample) < 0.8 &&
        maxAbsDiff(*sample, *m_lastSample) <= 2) {
        // The same picture again: what waited to be seen at rest is.
        if (!m_stitcher.confirmRest()) return ScrollFrameResult::duplicate(m_stitcher.appendedCount());
        return takenResult();
    }

    if (auto error = m_stitcher.append(frame, stepHint, settled)) return ScrollFrameResult::failed(*error);
    // A frame held back counts as kept: the next hint counts from it. One left
    // out because the content was still moving is no picture to compare the
    // next with: the same picture at rest must reach the stitcher.
    const ScrollStitcher::Taken& taken = m_stitcher.lastTaken();
    // A frame of repeated content waiting to be seen at rest is compared with
    // the next, which confirms it when it shows the same picture.
    if (sample && (!taken.moving || m_stitcher.awaitsRest())) m_lastSample = std::move(sample);
    return takenResult();
}

ScrollFrameResult StitchSession::takenResult() const
{
    const ScrollStitcher::Taken& taken = m_stitcher.lastTaken();
    if (!taken.taken) return ScrollFrameResult::duplicate(m_stitcher.appendedCount(), taken.moving);
    return ScrollFrameResult::appended(m_stitcher.takenCount(), m_stitcher.appendedCount(), m_stitcher.takenHeight(),
                                       taken.offset, taken.exact, taken.unmatched, taken.repeated, taken.blank);
}

}  // namespace klipo

#include "scroll/ScrollStitcher.h"

#include "scroll/PngFrameSpool.h"
#include "scroll/SpoolFolder.h"

#include <chrono>

namespace klipo {

using namespace stitch;

namespace {

class StageClock {
public:
    // Milliseconds since the last lap.
    double lap()
    {
        const auto now = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - m_last).count();
        m_last = now;
        return ms;
    }

private:
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

std::unique_ptr<FrameSpool> defaultSpool(const ScrollStitchConfig& config)
{
    if (config.spoolDirectory) return std::make_unique<PngFrameSpool>(*config.spoolDirectory, false);
    return std::make_unique<PngFrameSpool>(newSpoolFolderPath(), true);
}

}  // namespace

ScrollStitcher::ScrollStitcher(ScrollStitchConfig config, std::unique_ptr<FrameSpool> spool)
    : m_config(std::move(config)), m_spool(spool ? std::move(spool) : defaultSpool(m_config))
{
}

ScrollStitcher::~ScrollStitcher() { m_spool->removeAll(); }

int ScrollStitcher::maxCanvasHeight(int width) { return CanvasBudget::current().maxHeight(width); }

std::optional<ScrollStitchError> ScrollStitcher::append(const QImage& image, std::optional<int> stepHint)
{
    if (m_finished) return std::nullopt;
    const int inputIndex = m_appendedCount++;
    if (m_appendedCount > m_config.maxFrames) return ScrollStitchError::tooManyFrames(m_config.maxFrames);
    const int width = image.width();
    const int croppedH = image.height() - m_config.cropTop - m_config.cropBottom;
    if (m_config.cropTop < 0 || m_config.cropBottom < 0 || croppedH < m_config.minOverlap + 32)
        return ScrollStitchError::cropInvalid();

    m_times = {};
    StageClock clock;
    const PreparedFrame frame = prepareFrame(image);
    if (frame.image.isNull() || width < 1) return ScrollStitchError::frameProcessFailed(inputIndex);
    const bool first = m_placements.empty();
    if (first) {
        const int ds = downsampleFactor(width);
        m_geometry = {width, croppedH, ds, width / ds, croppedH / ds, m_config.minOverlap};
    } else if (width != m_geometry.cropW || croppedH != m_geometry.cropH) {
        return ScrollStitchError::frameSizeMismatch(inputIndex);
    }
    const FrameRows rows = frame.rows(m_config.cropTop, croppedH);
    GrayFrame gray = toGray(rows);
    SmallFrame small = downsample(gray, m_geometry.ds);
    const double curStd = cellStd(small);
    m_times.prepare = clock.lap();

    MatchMemory memory = m_memory;
    ScrollFramePlacement placement{inputIndex, 0, 0, ScrollSeamConfidence::exact, 0};
    if (!first) {
        // Unchanged: the same picture at offset 0. A featureless picture
        // counts as unchanged only when nothing says the content moved, since
        // a blank stretch looks the same wherever it is.
        const double e0 = fullError(m_prevGray, gray, 0, m_config.duplicateMeanDiff);
        m_times.duplicate = clock.lap();
        if (e0 <= m_config.duplicateMeanDiff && (curStd >= m_config.featureStdThreshold || !stepHint)) {
            m_skipped.push_back(inputIndex);
            return std::nullopt;
        }
        const FramePair pair{m_prevGray, gray, m_prevSmall, small, m_prevStd, curStd};
        const std::vector<double> forward = shiftCurve(m_prevSmall, small, m_geometry.maxCoarse());
        m_times.curve = clock.lap();
        if (isBacktrack(m_geometry, m_config, pair, forward)) {
            m_times.backtrack = clock.lap();
            m_skippedBack.push_back(inputIndex);
            return std::nullopt;
        }
        m_times.backtrack = clock.lap();
        const SeamDecision decision =
            decideOffset(m_geometry, m_config, pair, forward, stepHint, memory, &m_times.decision);
        m_times.decide = clock.lap();
        placement = {inputIndex, m_lastY + decision.offset, decision.offset, decision.confidence, decision.error};
    }

    // Nothing is committed before the frame is safely stored: a failed write
    // leaves placements, the expected step and the previous frame as they were.
    const bool stored = m_spool->write(int(m_placements.size()), rows);
    m_times.spool = clock.lap();
    if (!stored) return ScrollStitchError::spoolFailed(inputIndex);
    m_placements.push_back(placement);
    m_featureless.push_back(curStd < m_config.featureStdThreshold);
    m_anyAlpha = m_anyAlpha || frame.kind == PixelKind::argb32;
    m_lastY = placement.y;
    m_memory = std::move(memory);
    m_prevGray = std::move(gray);
    m_prevSmall = std::move(small);
    m_prevStd = curStd;
    return std::nullopt;
}

ScrollStitchResult ScrollStitcher::finish()
{
    if (m_finished) return ScrollStitchError::noFrames();
    m_finished = true;
    // A run of inexact featureless frames at the end is the blank tail that
    // automatic scrolling pushed past the page's end: not part of the page.
    while (m_placements.size() > 1 && m_featureless.back() &&
           m_placements.back().confidence != ScrollSeamConfidence::exact) {
        m_placements.pop_back();
        m_featureless.pop_back();
    }
    if (!m_placements.empty()) m_lastY = m_placements.back().y;

    ScrollStitchResult result = ScrollStitchError::noFrames();
    if (!m_placements.empty())
        result = composeCanvas(m_placements, m_geometry.cropW, m_geometry.cropH, m_anyAlpha, *m_spool,
                               m_budget ? *m_budget : CanvasBudget::current());
    m_spool->removeAll();
    if (auto* output = std::get_if<ScrollStitchOutput>(&result)) {
        output->placements = m_placements;
        output->skippedDuplicates = m_skipped;
        output->skippedBacktracks = m_skippedBack;
        for (const auto& p : m_placements)
            if (p.confidence != ScrollSeamConfidence::exact) output->lowConfidenceSeams.push_back(p.frameIndex);
    }
    return result;
}

void ScrollStitcher::cancel()
{
    m_finished = true;
    m_spool->removeAll();
}

}  // namespace klipo

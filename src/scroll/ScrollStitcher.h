#pragma once

#include "scroll/FrameMatch.h"
#include "scroll/FrameSpool.h"
#include "scroll/OffsetDecision.h"
#include "scroll/ScrollStitchTypes.h"
#include "scroll/StitchCanvas.h"

#include <QImage>

#include <memory>
#include <optional>
#include <vector>

namespace klipo {

// Turns the frames of one scrolling region, taken in order, into one long
// image. Each frame is cropped, reduced to grey and to a small copy, and
// either skipped (unchanged, or scrolled back) or placed below the previous
// kept frame at the offset the matching decides; kept frames go to the spool
// at once, so only the previous one stays in memory. Not thread-safe: one
// thread (the stitch worker's queue) makes every call.
class ScrollStitcher {
public:
    explicit ScrollStitcher(ScrollStitchConfig config, std::unique_ptr<stitch::FrameSpool> spool = nullptr);
    ~ScrollStitcher();

    ScrollStitcher(const ScrollStitcher&) = delete;
    ScrollStitcher& operator=(const ScrollStitcher&) = delete;

    // Takes one frame. stepHint: the rows the caller expects the content to
    // have moved since the previous kept frame (automatic scrolling), if known.
    std::optional<ScrollStitchError> append(const QImage& frame, std::optional<int> stepHint = std::nullopt);

    // Composes the long image and removes the spool; the stitcher is finished
    // whatever the outcome.
    ScrollStitchResult finish();

    // Finishes without an image: later frames are ignored, the spool removed.
    void cancel();

    const ScrollStitchConfig& config() const { return m_config; }
    bool isFinished() const { return m_finished; }
    int appendedCount() const { return m_appendedCount; }
    int placementCount() const { return int(m_placements.size()); }
    const std::vector<ScrollFramePlacement>& placements() const { return m_placements; }
    const std::vector<int>& skippedDuplicates() const { return m_skipped; }
    const std::vector<int>& skippedBacktracks() const { return m_skippedBack; }
    int lastY() const { return m_lastY; }
    int cropW() const { return m_geometry.cropW; }
    int cropH() const { return m_geometry.cropH; }
    int dsFactor() const { return m_geometry.ds; }
    const stitch::MatchMemory& matchMemory() const { return m_memory; }
    QString spoolFolder() const { return m_spool->folder(); }
    bool spoolCreated() const { return m_spool->created(); }

    // The tallest long image that can be composed for this frame width with
    // the memory available now; the capture should finish before it.
    static int maxCanvasHeight(int width);
    // For tests: the memory budget composition checks against.
    void setCanvasBudget(stitch::CanvasBudget budget) { m_budget = budget; }

    // Where the time of the last append went, in milliseconds.
    struct StageTimes {
        double prepare = 0;    // crop, grey, small copy
        double duplicate = 0;  // the offset-0 test
        double curve = 0;      // the forward coarse curve
        double backtrack = 0;
        double decide = 0;
        double spool = 0;
        stitch::DecisionStats decision;
    };
    const StageTimes& lastTimes() const { return m_times; }

private:
    std::optional<ScrollStitchError> store(const stitch::PreparedFrame& frame, int inputIndex);
    void placeFirst(int inputIndex);

    ScrollStitchConfig m_config;
    std::unique_ptr<stitch::FrameSpool> m_spool;
    std::optional<stitch::CanvasBudget> m_budget;  // none: the memory available at finish
    bool m_finished = false;
    stitch::MatchGeometry m_geometry;
    int m_appendedCount = 0;
    std::vector<ScrollFramePlacement> m_placements;
    std::vector<bool> m_featureless;  // parallel to m_placements
    bool m_anyAlpha = false;
    std::vector<int> m_skipped;
    std::vector<int> m_skippedBack;
    stitch::GrayFrame m_prevGray;
    stitch::SmallFrame m_prevSmall;
    double m_prevStd = 0;
    int m_lastY = 0;
    stitch::MatchMemory m_memory;
    StageTimes m_times;
};

}  // namespace klipo

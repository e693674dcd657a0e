#pragma once

#include "scroll/CanvasRowIndex.h"
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
// at once, so only the previous one stays in memory. A frame that may have
// been caught while the program underneath was repainting (a still that was
// not settled, or a blank one after a frame with content whose seam is not
// exact) is held back until the next frame shows whether it belongs: it is
// dropped when the next frame joins the last kept one exactly. Not
// thread-safe: one thread (the stitch worker's queue) makes every call.
class ScrollStitcher {
public:
    explicit ScrollStitcher(ScrollStitchConfig config, std::unique_ptr<stitch::FrameSpool> spool = nullptr);
    ~ScrollStitcher();

    ScrollStitcher(const ScrollStitcher&) = delete;
    ScrollStitcher& operator=(const ScrollStitcher&) = delete;

    // Takes one frame. stepHint: the rows the caller expects the content to
    // have moved since the previous frame taken (automatic scrolling), if
    // known. `settled`: the screen showed the same picture twice in a row
    // when the frame was grabbed.
    std::optional<ScrollStitchError> append(const QImage& frame, std::optional<int> stepHint = std::nullopt,
                                            bool settled = true);

    // The next still showed the same picture as the last one taken: a frame
    // of repeated content waiting to be seen at rest is kept. Whether one was.
    bool confirmRest();

    // Composes the long image and removes the spool; the stitcher is finished
    // whatever the outcome.
    ScrollStitchResult finish();

    // Finishes without an image: later frames are ignored, the spool removed.
    void cancel();

    const ScrollStitchConfig& config() const { return m_config; }
    bool isFinished() const { return m_finished; }
    int appendedCount() const { return m_appendedCount; }
    int placementCount() const { return int(m_placements.size()); }
    // What the last append did with its frame, for the caller's counts: the
    // frame was placed or held back (taken), or skipped; `offset` is the rows
    // from the frame taken before it, `exact` whether both it and that
    // frame were matched exactly.
    struct Taken {
        bool taken = false;
        int offset = 0;
        bool exact = false;
        bool unmatched = false;  // frames with content that shared no rows
        bool repeated = false;   // placed among offsets where repeated content agrees alike
        bool blank = false;      // a frame without content (placed where the movement says)
        bool moving = false;     // not taken: caught while repeated content was still moving
    };
    const Taken& lastTaken() const { return m_lastTaken; }
    // Kept frames and a frame held back: what the caller sees as kept.
    int takenCount() const { return placementCount() + (holding() ? 1 : 0); }
    // The long image's height with the frame held back.
    int takenHeight() const { return (holding() ? m_held->y() : m_lastY) + m_geometry.cropH; }
    // A frame of repeated content waits to be seen at rest.
    bool awaitsRest() const { return m_held && m_held->awaitingRest; }
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
    // Where a frame goes against a reference frame, and the match memory
    // once it is kept there.
    struct Match {
        ScrollFramePlacement placement;
        stitch::MatchMemory memory;
        bool unmatched = false;
        bool repeated = false;
        bool offGrid = false;  // repeated content, where the content never comes to rest
        int contentTop = 0;  // rows on top that stood still against the reference (a header, a border)

        bool exact() const { return placement.confidence == ScrollSeamConfidence::exact; }
    };
    // A frame matched against the last kept one, not yet stored.
    struct Candidate {
        int inputIndex = 0;
        stitch::PreparedFrame frame;
        stitch::GrayFrame gray;
        stitch::SmallFrame small;
        stitch::StripRows rows;
        double std = 0;
        bool settled = true;
        bool awaitingRest = false;  // repeated content: kept once seen at rest
        std::optional<int> stepHint;
        Match match;

        bool exact() const { return match.exact(); }
        int y() const { return match.placement.y; }
    };
    // A frame to match against: the last kept one, or the one held back.
    struct Reference {
        const stitch::GrayFrame& gray;
        const stitch::SmallFrame& small;
        const stitch::StripRows& rows;
        double std = 0;
        int y = 0;
        const stitch::MatchMemory& memory;
    };
    Reference lastKept() const { return {m_prevGray, m_prevSmall, m_prevRows, m_prevStd, m_lastY, m_memory}; }
    static Reference referenceOf(const Candidate& frame)
    {
        return {frame.gray, frame.small, frame.rows, frame.std, frame.y(), frame.match.memory};
    }

    Match matchAgainst(const Reference& reference, const Candidate& frame, std::optional<int> stepHint,
                       const std::vector<double>* forward = nullptr, const stitch::ShiftScan* scan = nullptr);
    bool featureless(double std) const { return std < m_config.featureStdThreshold; }
    // A frame held back that counts as taken (not one waiting to be seen at rest).
    bool holding() const { return m_held && !m_held->awaitingRest; }
    // Whether the frame shows the page scrolled back: yes; no; or content
    // seen far above, which counts as scrolled back unless it joins the last
    // kept frame exactly (a page may show the same thing twice).
    enum class Backward { no, yes, unlessItJoins };
    Backward scrolledBack(const Candidate& frame, const stitch::FramePair& pair, const std::vector<double>& forward,
                          const stitch::ShiftScan& scan) const;
    bool shouldHold(const Candidate& frame) const;
    // The next frame, which does not join the last kept one exactly, has
    // come: keeps the held frame before it (and matches the next against it),
    // or drops it; whether it was kept.
    bool resolveHeld(Candidate& next);
    std::optional<ScrollStitchError> commit(Candidate& frame);

    ScrollStitchConfig m_config;
    std::unique_ptr<stitch::FrameSpool> m_spool;
    std::optional<stitch::CanvasBudget> m_budget;  // none: the memory available at finish
    bool m_finished = false;
    stitch::MatchGeometry m_geometry;
    int m_appendedCount = 0;
    std::vector<ScrollFramePlacement> m_placements;
    std::vector<bool> m_featureless;  // parallel to m_placements
    std::vector<int> m_contentTops;   // parallel to m_placements
    bool m_anyAlpha = false;
    std::vector<int> m_skipped;
    std::vector<int> m_skippedBack;
    stitch::GrayFrame m_prevGray;
    stitch::SmallFrame m_prevSmall;
    stitch::StripRows m_prevRows;
    double m_prevStd = 0;
    int m_lastY = 0;
    stitch::MatchMemory m_memory;
    stitch::CanvasRowIndex m_index;  // rows of the kept frames, to find content seen before
    std::optional<Candidate> m_held;
    int m_movesOffGrid = 0;  // frames matched exactly between the content's rests
    // Still after still at the same place off the learnt grid: the content
    // rests there, however far the program moved it.
    struct {
        int y = -1;
        int looks = 0;
    } m_offGridRest;
    static constexpr int looksToRestOffGrid = 3;
    Taken m_lastTaken;
    int m_lastTakenY = 0;  // where the last frame taken (kept or held) went
    StageTimes m_times;
};

}  // namespace klipo

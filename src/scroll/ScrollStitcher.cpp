#include "scroll/ScrollStitcher.h"

#include "scroll/OverlapCheck.h"
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

std::optional<ScrollStitchError> ScrollStitcher::append(const QImage& image, std::optional<int> stepHint, bool settled)
{
    m_lastTaken = {};
    if (m_finished) return std::nullopt;
    const int inputIndex = m_appendedCount++;
    if (m_appendedCount > m_config.maxFrames) return ScrollStitchError::tooManyFrames(m_config.maxFrames);
    const int width = image.width();
    const int croppedH = image.height() - m_config.cropTop - m_config.cropBottom;
    if (m_config.cropTop < 0 || m_config.cropBottom < 0 || croppedH < m_config.minOverlap + 32)
        return ScrollStitchError::cropInvalid();

    m_times = {};
    StageClock clock;
    Candidate cur;
    cur.inputIndex = inputIndex;
    cur.settled = settled;
    cur.stepHint = stepHint;
    cur.frame = prepareFrame(image);
    if (cur.frame.image.isNull() || width < 1) return ScrollStitchError::frameProcessFailed(inputIndex);
    const bool first = m_placements.empty();
    if (first) {
        const int ds = downsampleFactor(width);
        m_geometry = {width, croppedH, ds, width / ds, croppedH / ds, m_config.minOverlap};
    } else if (width != m_geometry.cropW || croppedH != m_geometry.cropH) {
        return ScrollStitchError::frameSizeMismatch(inputIndex);
    }
    cur.gray = toGray(cur.frame.rows(m_config.cropTop, croppedH));
    cur.small = downsample(cur.gray, m_geometry.ds);
    cur.rows = stripRows(cur.gray);
    cur.std = cellStd(cur.small);
    m_times.prepare = clock.lap();

    const int previousTakenY = m_lastTakenY;
    bool mustKeep = first;
    // A band frame waiting to be seen at rest: a new picture came instead,
    // so it may have been caught moving. It is dropped, unless the new frame
    // shares nothing with the last kept one: then it is all that joins them.
    std::optional<Candidate> unconfirmed;
    if (m_held && m_held->awaitingRest) {
        unconfirmed = std::move(*m_held);
        m_held.reset();
    }
    const bool heldWasExact = m_held && m_held->exact();
    if (first) {
        cur.match = {{inputIndex, 0, 0, ScrollSeamConfidence::exact, 0}, m_memory};
    } else {
        // Unchanged: the same picture at offset 0. A featureless picture
        // counts as unchanged only when nothing says the content moved, since
        // a blank stretch looks the same wherever it is.
        // A low mean alone is no proof: a few short lines moved on a blank page
        // hardly change it. The picture must agree where it has content.
        // So is one where only a few strips changed in place (a caret, an
        // animation beside the text) while the rest did not move.
        ShiftScan scan = scanShifts(m_prevRows, cur.rows, m_geometry.maxFull());
        if (unconfirmed && scan.kind == ShiftScan::Kind::none && !featureless(cur.std) && !commit(*unconfirmed))
            scan = scanShifts(m_prevRows, cur.rows, m_geometry.maxFull());
        const double e0 = fullError(m_prevGray, cur.gray, 0, m_config.duplicateMeanDiff);
        // Where the strips put it somewhere else, it moved: lines alike but
        // for a few pixels, moved by whole lines, look almost the same.
        const bool moved = scan.kind == ShiftScan::Kind::forward || scan.kind == ShiftScan::Kind::backward;
        const bool unchanged =
            (!moved && e0 <= m_config.duplicateMeanDiff && compareOverlap(m_prevGray, cur.gray, 0).same()) ||
            scan.kind == ShiftScan::Kind::unchanged;
        m_times.duplicate = clock.lap();
        if (unchanged && (!featureless(cur.std) || !stepHint)) {
            // Back to the last kept picture: a frame held back since was passing.
            m_held.reset();
            m_skipped.push_back(inputIndex);
            return std::nullopt;
        }
        const FramePair pair{m_prevGray, cur.gray, m_prevSmall, cur.small, m_prevStd, cur.std};
        const std::vector<double> forward = shiftCurve(m_prevSmall, cur.small, m_geometry.maxCoarse());
        m_times.curve = clock.lap();
        const Backward backward = scrolledBack(cur, pair, forward, scan);
        m_times.backtrack = clock.lap();
        if (backward == Backward::yes) {
            m_skippedBack.push_back(inputIndex);
            return std::nullopt;
        }
        // The hint counts from the frame taken last, which may be held back.
        std::optional<int> hint = stepHint;
        if (stepHint && m_held) hint = *stepHint + m_held->stepHint.value_or(m_held->match.placement.offset);
        cur.match = matchAgainst(lastKept(), cur, hint, &forward, &scan);
        if (backward == Backward::unlessItJoins && !cur.exact()) {
            // Content seen far above that does not join the last frame either.
            m_skippedBack.push_back(inputIndex);
            return std::nullopt;
        }
        // Repeated content past a held frame whose seam agrees: the places
        // that agree are counted from the held frame, which lies between
        // (the content may rest further from the last kept frame than a
        // frame can overlap it, and the place that would be right is then
        // not among those that agree). The held frame is kept first.
        if (cur.match.repeated && holding() && m_held->exact()) {
            Match afterHeld = matchAgainst(referenceOf(*m_held), cur, stepHint);
            if ((afterHeld.repeated || afterHeld.exact()) && !commit(*m_held)) {
                m_held.reset();
                cur.match = std::move(afterHeld);
            }
        }
        // Exact matches off the grid the content rests on: the program
        // shows the content between its rests, it animates its scrolling.
        if (cur.exact())
            if (const auto grid = m_memory.learntGrid(); grid && std::abs(cur.y() - grid->rest) % grid->step != 0)
                ++m_movesOffGrid;
        const bool animated = stepHint || m_movesOffGrid >= 2;
        // A still seen at rest off the grid again and again is no pause in an
        // animation: the program moved further (or less) than its notches
        // say. It is placed where it matches, unsure, rather than waited on
        // for ever.
        const bool offGridRest = cur.match.repeated && cur.settled && cur.match.offGrid;
        m_offGridRest = {offGridRest ? cur.y() : -1,
                         offGridRest && m_offGridRest.y == cur.y() ? m_offGridRest.looks + 1 : 1};
        const bool restsOffGrid = offGridRest && m_offGridRest.looks >= looksToRestOffGrid;
        if (cur.match.repeated && !restsOffGrid && (!cur.settled || cur.match.offGrid || animated)) {
            // Inside repeated content a still caught while the content was
            // still moving could lie at any of the places that agree: it is
            // left out, a still at rest places the band. Where the program
            // animates its scrolling (or scrolls automatically), two looks
            // that agree may still catch it pausing: a still off the grid
            // the content rests on is left out too, and one on it is kept
            // once the next still shows the same picture (confirmRest()).
            m_times.decide = clock.lap();
            m_lastTaken.moving = true;
            if (cur.settled && !cur.match.offGrid) {
                cur.awaitingRest = true;
                m_held = std::move(cur);
            } else if (unconfirmed) {
                m_held = std::move(unconfirmed);  // still the one to fall back on
            }
            return std::nullopt;
        }
        if (m_held && cur.exact()) {
            m_held.reset();  // joins the last kept frame: nothing between needs the held one
        } else if (m_held && !resolveHeld(cur)) {
            // The held frame was not confirmed: this one is placed as matched,
            // inexact, so that the capture goes on and says where it is unsure.
            mustKeep = true;
        }
        m_times.decide = clock.lap();
    }

    const int referenceY = cur.y() - cur.match.placement.offset;
    m_lastTaken = {.taken = true,
                   .offset = cur.y() - previousTakenY,
                   .exact = cur.exact() && (referenceY == previousTakenY || heldWasExact),
                   .unmatched = cur.match.unmatched,
                   .repeated = cur.match.repeated,
                   .blank = featureless(cur.std)};
    m_lastTakenY = cur.y();
    if (!mustKeep && shouldHold(cur)) {
        m_held = std::move(cur);
        return std::nullopt;
    }
    const std::optional<ScrollStitchError> error = commit(cur);
    m_times.spool = clock.lap();
    if (error) {
        m_lastTaken = {};
        m_lastTakenY = m_lastY;
    }
    return error;
}

ScrollStitcher::Match ScrollStitcher::matchAgainst(const Reference& reference, const Candidate& frame,
                                                   std::optional<int> stepHint, const std::vector<double>* forward,
                                                   const ShiftScan* scan)
{
    std::vector<double> curve;
    if (!forward) {
        curve = shiftCurve(reference.small, frame.small, m_geometry.maxCoarse());
        forward = &curve;
    }
    ShiftScan ownScan;
    if (!scan) {
        ownScan = scanShifts(reference.rows, frame.rows, m_geometry.maxFull());
        scan = &ownScan;
    }
    const FramePair pair{reference.gray, frame.gray, reference.small, frame.small, reference.std, frame.std};
    Match match{{}, reference.memory};
    const SeamDecision decision = decideOffset(m_geometry, m_config, pair, *forward, stepHint, match.memory,
                                               &m_times.decision, scan, reference.y);
    match.placement = {frame.inputIndex, reference.y + decision.offset, decision.offset, decision.confidence,
                       decision.error};
    match.unmatched = decision.unmatched;
    match.repeated = decision.repeated;
    match.placement.byLearntStep = decision.repeated && (decision.onGrid || decision.onTarget);
    match.offGrid = decision.repeated && decision.gridKnown && !decision.onGrid;
    match.contentTop = fixedRowsOnTop(reference.gray, frame.gray, decision.offset);
    // The reference gives its rows down to where this frame's content begins:
    // a part fixed in its lower half (a button, a bar) lying there shows in
    // the middle of the long image, over content no frame showed uncovered.
    // The seam is not one to vouch for.
    const int lowerHalf = std::max(m_geometry.cropH / 2, match.contentTop);
    if (match.exact() &&
        decision.offset + match.contentTop > firstFixedRowFrom(reference.rows, frame.rows, lowerHalf, decision.offset))
        match.placement.confidence = ScrollSeamConfidence::velocity;
    return match;
}

ScrollStitcher::Backward ScrollStitcher::scrolledBack(const Candidate& frame, const FramePair& pair,
                                                      const std::vector<double>& forward, const ShiftScan& scan) const
{
    // Where the strips agree at one offset, they tell the direction. Where
    // they agree alike at several, the content repeats: seen above as much as
    // below, it is taken as moving on, the way scrolling goes.
    if (scan.kind == ShiftScan::Kind::backward) return Backward::yes;
    if (scan.kind == ShiftScan::Kind::forward || scan.kind == ShiftScan::Kind::repeated) return Backward::no;
    // Content already on the long image, above the last kept frame: back by
    // any distance. Where it still overlaps the last frame, their shared rows
    // must agree; further up, it must not join the last frame going on.
    if (!featureless(frame.std))
        if (const std::optional<int> seen = m_index.seenAt(frame.gray); seen && *seen < m_lastY) {
            const int back = m_lastY - *seen;
            if (back > m_geometry.maxFull()) return Backward::unlessItJoins;
            if (compareOverlap(frame.gray, m_prevGray, back).confirms()) return Backward::yes;
        }
    return isBacktrack(m_geometry, m_config, pair, forward) ? Backward::yes : Backward::no;
}

bool ScrollStitcher::shouldHold(const Candidate& frame) const
{
    // A still grabbed while the screen changed may show a repaint half done;
    // a blank one after a frame with content may show it not begun.
    if (!frame.settled) return true;
    return featureless(frame.std) && !featureless(m_prevStd) && !frame.exact();
}

bool ScrollStitcher::resolveHeld(Candidate& next)
{
    Candidate held = std::move(*m_held);
    m_held.reset();
    std::optional<Match> afterHeld;
    bool keep = false;
    if (held.settled && featureless(held.std)) {
        // Blank where the last kept frame ends blank: a blank stretch of the page.
        keep = held.match.placement.seamError <= m_config.seamAcceptError;
    } else if (held.exact()) {
        // Its seam agrees; what lies beyond it counts once the next frame agrees too.
        afterHeld = matchAgainst(referenceOf(held), next, next.stepHint);
        keep = afterHeld->exact();
    }
    if (!keep || commit(held)) return false;
    next.match = afterHeld ? std::move(*afterHeld) : matchAgainst(lastKept(), next, next.stepHint);
    return true;
}

std::optional<ScrollStitchError> ScrollStitcher::commit(Candidate& frame)
{
    // Nothing is committed before the frame is safely stored: a failed write
    // leaves placements, the expected step and the previous frame as they were.
    if (!m_spool->write(int(m_placements.size()), frame.frame.rows(m_config.cropTop, m_geometry.cropH)))
        return ScrollStitchError::spoolFailed(frame.inputIndex);
    m_placements.push_back(frame.match.placement);
    m_featureless.push_back(featureless(frame.std));
    m_contentTops.push_back(m_placements.size() > 1 ? frame.match.contentTop : 0);
    m_anyAlpha = m_anyAlpha || frame.frame.kind == PixelKind::argb32;
    m_lastY = frame.y();
    m_index.add(frame.gray, frame.y());
    m_memory = std::move(frame.match.memory);
    if (frame.settled && (m_placements.size() == 1 || frame.exact())) m_memory.rememberResting(m_lastY);
    m_prevGray = std::move(frame.gray);
    m_prevSmall = std::move(frame.small);
    m_prevRows = std::move(frame.rows);
    m_prevStd = frame.std;
    return std::nullopt;
}

bool ScrollStitcher::confirmRest()
{
    m_lastTaken = {};
    if (m_finished || !m_held || !m_held->awaitingRest) return false;
    Candidate held = std::move(*m_held);
    m_held.reset();
    const int previousTakenY = m_lastTakenY;
    if (commit(held)) return false;
    m_lastTaken = {.taken = true,
                   .offset = held.y() - previousTakenY,
                   .exact = false,
                   .unmatched = held.match.unmatched,
                   .repeated = true,
                   .blank = featureless(held.std)};
    m_lastTakenY = held.y();
    return true;
}

ScrollStitchResult ScrollStitcher::finish()
{
    if (m_finished) return ScrollStitchError::noFrames();
    m_finished = true;
    if (m_held) {
        // Nothing came after it to confirm it: a blank one is the blank past
        // the page's end; any other is kept, its seam marked as it matched.
        if (!featureless(m_held->std)) (void)commit(*m_held);
        m_held.reset();
    }
    // A run of inexact featureless frames at the end is the blank tail that
    // automatic scrolling pushed past the page's end: not part of the page.
    while (m_placements.size() > 1 && m_featureless.back() &&
           m_placements.back().confidence != ScrollSeamConfidence::exact) {
        m_placements.pop_back();
        m_featureless.pop_back();
        m_contentTops.pop_back();
    }
    if (!m_placements.empty()) m_lastY = m_placements.back().y;

    ScrollStitchResult result = ScrollStitchError::noFrames();
    if (!m_placements.empty())
        result = composeCanvas(m_placements, m_contentTops, m_geometry.cropW, m_geometry.cropH, m_anyAlpha, *m_spool,
                               m_budget ? *m_budget : CanvasBudget::current());
    m_spool->removeAll();
    if (auto* output = std::get_if<ScrollStitchOutput>(&result)) {
        output->placements = m_placements;
        output->skippedDuplicates = m_skipped;
        output->skippedBacktracks = m_skippedBack;
        for (const auto& p : m_placements) {
            if (p.confidence == ScrollSeamConfidence::exact) continue;
            output->lowConfidenceSeams.push_back(p.frameIndex);
            if (!p.byLearntStep) output->unalignedSeams.push_back(p.frameIndex);
        }
    }
    return result;
}

void ScrollStitcher::cancel()
{
    m_finished = true;
    m_held.reset();
    m_spool->removeAll();
}

}  // namespace klipo

#pragma once

#include "scroll/ExactShift.h"
#include "scroll/FrameMatch.h"

#include <optional>
#include <vector>

namespace klipo::stitch {

struct SeamDecision {
    int offset = 0;
    ScrollSeamConfidence confidence = ScrollSeamConfidence::exact;
    double error = 0;
    // Frames with content whose shared rows agreed at no offset: they share
    // nothing, the content moved further than a frame can overlap.
    bool unmatched = false;
    // Repeated content (a band of identical rows) agreed alike at several
    // offsets; `onGrid`: the one taken puts the frame where the content
    // comes to rest (a whole number of learnt steps from the last rest).
    bool repeated = false;
    bool onGrid = false;
    bool gridKnown = false;  // a step and a rest have been learnt
    bool onTarget = false;   // the one taken lies exactly where the notches posted say
};

// What the stitcher remembers between decisions: the offsets of the last
// exact seams (oldest first, at most 4) and the inexact seams since the last
// exact one. A decision works on a copy; the stitcher keeps the copy only
// once the frame has been stored.
struct MatchMemory {
    std::vector<int> recentExactOffsets;
    int featurelessRun = 0;
    // Canvas rows where the content came to rest (frames placed exactly from
    // a still that had settled), to learn the step it moves by (a wheel
    // notch's rows: every rest is a whole number of notches from another)
    // and where that grid lies. A frame caught while the program was still
    // moving the content (smooth scrolling) lies anywhere and is left out.
    std::vector<int> restingRows;

    static constexpr int restingRowsKept = 17;
    void rememberResting(int y);
    // The step the content moves by and a rest on its grid: the largest step
    // of at least 8 rows that at least three and three quarters of the moves
    // between the remembered rests are whole numbers of (a still that only
    // seemed at rest does not spoil it), and the last rest on that grid.
    struct Grid {
        int step = 0;
        int rest = 0;
    };
    std::optional<Grid> learntGrid() const;
};

// How much work a decision took, for the benchmark.
struct DecisionStats {
    int candidates = 0;
    bool fullSearch = false;
    bool textured = false;
};

// How far the content moved since the previous kept frame. `forward` is the
// forward coarse curve over 1..maxCoarse(). Where the frames' strips agree
// exactly at one offset (`scan`), that is the answer; where they agree alike
// at several (repeated content), the capture's learnt movement picks one;
// otherwise the error curves decide.
SeamDecision decideOffset(const MatchGeometry& geometry, const ScrollStitchConfig& config, const FramePair& frames,
                          const std::vector<double>& forward, std::optional<int> stepHint, MatchMemory& memory,
                          DecisionStats* stats = nullptr, const ShiftScan* scan = nullptr, int referenceY = 0);

// The expected offset: the hint, else the mean of the recent exact offsets,
// else half the cropped height; clamped into [dMin, dMax].
int resolveTarget(std::optional<int> hint, int dMin, int dMax, const MatchMemory& memory, int cropH);

// Among offsets that all match equally (a band of identical rows), the one
// the capture's learnt movement expects: one that puts the frame at a rest
// (a whole number of learnt steps from a rest, `restingOffset` being the
// offset that would put it back there), if any does, nearest the target
// (ties: the smaller); `onGrid` says whether one did.
Evaluation pickByLearntStep(const std::vector<Evaluation>& matches, int target, std::optional<int> step,
                            int restingOffset = 0, bool* onGrid = nullptr);

// Among the evaluations within eps, the one nearest the target (ties: the
// smaller offset); with none within eps, the least error (ties: nearer the
// target, then the smaller offset); with none at all, (target, infinity).
Evaluation pickNearTarget(const std::vector<Evaluation>& evals, int target, double eps);

}  // namespace klipo::stitch

#pragma once

#include <QImage>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

namespace klipo {

// How one stitcher matches and limits the frames of one scrolling capture.
// Every field is given by the creator; standardStitchConfig() has the values
// the capture service and the self-check use.
struct ScrollStitchConfig {
    int cropTop = 0;     // rows cut off the top of every frame (a fixed header)
    int cropBottom = 0;  // rows cut off the bottom
    int minOverlap = 0;  // rows two consecutive kept frames share at least
    int maxFrames = 0;   // most append calls accepted, skipped and failed ones included
    std::optional<QString> spoolDirectory;  // none: a fresh "ScrollStitcher-<UUID>" temp folder
    double duplicateMeanDiff = 0;    // offset-0 error at or below which a textured frame is unchanged
    double featureStdThreshold = 0;  // std of the small frame below which a frame is featureless
    double flatCurveThreshold = 0;   // least median-minus-minimum gap of a usable error curve
    double plateauMatchError = 0;    // tolerance for offsets that match about equally well
    double seamAcceptError = 0;      // highest full-resolution error of an exact match
    int fixedStepAfter = 0;          // inexact seams in a row from which they are fixed-step
};

ScrollStitchConfig standardStitchConfig(int cropTop);

enum class ScrollSeamConfidence { exact, velocity, fixedStep };

QString rawValue(ScrollSeamConfidence confidence);
std::optional<ScrollSeamConfidence> seamConfidenceFromRaw(const QString& raw);

// One kept frame: where its first row lands on the canvas.
struct ScrollFramePlacement {
    int frameIndex = 0;  // input index (append calls before this one)
    int y = 0;           // canvas row of the frame's first row
    int offset = 0;      // rows moved since the previous kept frame
    ScrollSeamConfidence confidence = ScrollSeamConfidence::exact;
    double seamError = 0;  // mean absolute grey difference at the chosen offset
    // Inside repeated content (a band of identical rows) the rows agree at
    // several offsets: this one was decided by the step the content rests at.
    bool byLearntStep = false;

    bool operator==(const ScrollFramePlacement&) const = default;
};

struct ScrollStitchOutput {
    QImage image;
    std::vector<ScrollFramePlacement> placements;
    std::vector<int> skippedDuplicates;
    std::vector<int> skippedBacktracks;
    std::vector<int> lowConfidenceSeams;  // frameIndex of every inexact placement
    // Those of them the learnt step did not decide: the seams the user is told to check.
    std::vector<int> unalignedSeams;
    int croppedFrameWidth = 0;
    int croppedFrameHeight = 0;

    int exactSeamCount() const;
};

struct ScrollStitchError {
    enum class Kind {
        tooManyFrames,
        frameSizeMismatch,
        frameProcessFailed,
        spoolFailed,
        canvasFailed,
        noFrames,
        cropInvalid,
    };
    Kind kind = Kind::noFrames;
    int index = 0;  // input index, for the per-frame kinds
    int limit = 0;  // tooManyFrames
    int width = 0;  // canvasFailed
    long long height = 0;

    static ScrollStitchError tooManyFrames(int limit) { return {Kind::tooManyFrames, 0, limit}; }
    static ScrollStitchError frameSizeMismatch(int index) { return {Kind::frameSizeMismatch, index}; }
    static ScrollStitchError frameProcessFailed(int index) { return {Kind::frameProcessFailed, index}; }
    static ScrollStitchError spoolFailed(int index) { return {Kind::spoolFailed, index}; }
    static ScrollStitchError canvasFailed(int width, long long height)
    {
        return {Kind::canvasFailed, 0, 0, width, height};
    }
    static ScrollStitchError noFrames() { return {Kind::noFrames}; }
    static ScrollStitchError cropInvalid() { return {Kind::cropInvalid}; }

    // The text the failure toast shows.
    QString errorDescription() const;

    bool operator==(const ScrollStitchError&) const = default;
};

// The outcome of finishing a stitch: the long image or why there is none.
using ScrollStitchResult = std::variant<ScrollStitchOutput, ScrollStitchError>;

}  // namespace klipo

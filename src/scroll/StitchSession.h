#pragma once

#include "scroll/ScrollStitcher.h"

#include <optional>
#include <vector>

namespace klipo {

// What became of one frame handed to the stitch worker.
struct ScrollFrameResult {
    enum class Kind { appended, duplicate, failed };
    Kind kind = Kind::duplicate;
    int kept = 0;          // appended: kept frames now
    int input = 0;         // frames the stitcher has been handed so far
    int canvasHeight = 0;  // appended: the long image's height at this point
    std::optional<ScrollStitchError> error;
    int offset = 0;          // appended: rows moved since the previous kept frame
    bool exactSeam = false;  // appended: that offset was matched exactly
    bool unmatched = false;  // appended: the frames' shared rows agreed nowhere (moved too far)
    bool repeated = false;   // appended: placed in repeated content (a band of identical rows) by the learnt movement
    bool blank = false;      // appended: a frame without content, placed where the movement says

    static ScrollFrameResult appended(int kept, int input, int canvasHeight, int offset = 0, bool exactSeam = true,
                                      bool unmatched = false, bool repeated = false, bool blank = false)
    {
        return {Kind::appended, kept, input, canvasHeight, std::nullopt, offset, exactSeam, unmatched, repeated, blank};
    }
    // duplicate: not kept because the content was still moving, not because it stood still.
    bool moving = false;

    static ScrollFrameResult duplicate(int input, bool moving = false)
    {
        ScrollFrameResult result{Kind::duplicate, 0, input, 0, std::nullopt};
        result.moving = moving;
        return result;
    }
    static ScrollFrameResult failed(ScrollStitchError error) { return {Kind::failed, 0, 0, 0, error}; }
};

// The counts a capture keeps from its frame results.
struct ScrollStitchTally {
    int kept = 0;
    int dupSkipped = 0;
    int failed = 0;

    void count(const ScrollFrameResult& result);
};

// One stitcher behind the unchanged-frame pre-check, driven from one thread.
// The stitch worker runs it on its queue; benchmarks and tests call it directly.
class StitchSession {
public:
    explicit StitchSession(ScrollStitchConfig config, std::unique_ptr<stitch::FrameSpool> spool = nullptr);

    // `settled`: the screen showed the same picture twice when it was grabbed.
    ScrollFrameResult process(const QImage& frame, std::optional<int> stepHint, bool settled = true);
    ScrollStitchResult finish() { return m_stitcher.finish(); }
    void cancel() { m_stitcher.cancel(); }

    ScrollStitcher& stitcher() { return m_stitcher; }
    double lastPrecheckMs() const { return m_precheckMs; }

private:
    ScrollFrameResult takenResult() const;

    ScrollStitcher m_stitcher;
    std::optional<std::vector<uint8_t>> m_lastSample;  // sample of the last frame accepted without error
    double m_precheckMs = 0;
};

namespace stitch {
double byteStd(const std::vector<uint8_t>& values);
double meanAbsDiff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
int maxAbsDiff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
}  // namespace stitch

}  // namespace klipo

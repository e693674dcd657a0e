#pragma once

#include <optional>

namespace klipo {

// Paces automatic scrolling by wheel notches, whose distance the program
// underneath decides. It learns the pixels per notch from the offsets of
// exactly matched seams, and posts the next notches only once a frame taken
// after the last ones was kept, and never more than the kept frame can
// overlap: a slow stitcher then slows the scrolling instead of letting the
// content run past unseen. Frames are identified by the notches posted before
// they were taken. Main thread.
class ScrollWheelPacer {
public:
    // `stepPx`: the distance one tick should scroll; `frameRows`: the rows of
    // a cropped frame; `minOverlap`: the rows two kept frames must share.
    ScrollWheelPacer(int stepPx, int frameRows, int minOverlap);

    int notchesPosted() const { return m_posted; }
    // Notches the next tick may post now; 0 to wait.
    int notchesForTick() const;
    void posted(int notches) { m_posted += notches; }

    // The rows the content is expected to have moved in a frame taken now,
    // once calibrated; at most one frame in the worker carries it at a time.
    std::optional<int> takeStepHint();

    // What became of a frame taken after `notchesAtGrab` notches.
    // `byMovement`: its seam was not matched exactly but placed where the
    // movement says (repeated rows, a blank stretch), which is no failure.
    void frameKept(int notchesAtGrab, int offset, bool exactSeam, bool carriedHint, bool byMovement = false);
    void frameNotKept(bool carriedHint);

    std::optional<double> pixelsPerNotch() const;
    // One notch moves the content further than a kept frame can overlap:
    // automatic scrolling would lose content.
    bool notchTooFar() const;
    // Scrolled frames whose seam could be neither matched exactly nor placed
    // by the movement, in a row.
    int inexactScrollsInRow() const { return m_inexactInRow; }

private:
    int m_stepPx;
    int m_maxStepPx;  // frame rows minus the overlap, less one
    int m_posted = 0;
    int m_keptAt = 0;  // notches posted before the last kept frame was taken
    bool m_anyKept = false;
    bool m_hintInFlight = false;
    long long m_sumOffset = 0;
    int m_sumNotches = 0;
    int m_samples = 0;
    int m_inexactInRow = 0;
};

}  // namespace klipo

#pragma once

#include "scroll/FrameRows.h"

namespace klipo::stitch {

// Whether the rows two frames share at an offset show the same thing, judged
// where the content is. A mean difference over the whole overlap says little
// of sparse content: a few short lines on a blank page differ by a fraction
// of a grey level on average whether they line up or not. Here the overlap is
// cut into cells of 16 x 16 pixels; a cell holds content when either frame
// has an edge in it (a clear step between neighbouring pixels), and differs
// when several of its pixels differ clearly between the frames.
struct OverlapAgreement {
    static constexpr int cell = 16;
    static constexpr int clearStep = 24;  // grey levels: an edge, or a real difference
    static constexpr int pixelsToDiffer = 3;

    int contentCells = 0;
    int differingCells = 0;

    // The same picture, but for a few cells (a caret, a moving scroll-bar
    // thumb, a small animation): at most 2 cells or one in 20 of those with
    // content.
    bool same() const { return differingCells <= std::max(2, contentCells / 20); }
    // The same and with enough content to tell where it is: rows that only
    // agree because both are blank confirm no offset.
    bool confirms() const { return contentCells >= minimumContentCells && same(); }

    static constexpr int minimumContentCells = 4;
};

// Older row r + d against newer row r, for every row the two share (none when
// d is not below the height).
OverlapAgreement compareOverlap(const GrayFrame& older, const GrayFrame& newer, int d);

}  // namespace klipo::stitch

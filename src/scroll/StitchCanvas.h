#pragma once

#include "scroll/FrameSpool.h"
#include "scroll/ScrollStitchTypes.h"

#include <cstdint>
#include <vector>

namespace klipo::stitch {

// How tall the long image may get. Besides a fixed row limit, the bytes are
// checked before the canvas is allocated: Linux hands out memory it does not
// have and then kills the process while the canvas is drawn, losing the
// capture. A canvas may take at most 1 GiB and half the available memory.
struct CanvasBudget {
    static constexpr int maxRows = 300000;
    static constexpr int64_t maxBytes = int64_t(1) << 30;

    int64_t availableBytes = 0;

    // The available memory as the system reports it now.
    static CanvasBudget current();

    int64_t byteLimit() const { return std::min(maxBytes, availableBytes / 2); }
    // The tallest canvas allowed for this width.
    int maxHeight(int width) const;
    bool allows(int width, int64_t height) const { return height <= maxHeight(width); }
};

// Draws the spooled frames at their placements into one image. Each frame
// but the first gives its rows from its first content row (`contentTops`,
// parallel to the placements: rows above it stood still, a header or a
// border, and come once, from the first frame) down to where the next frame's
// content begins; the last frame gives all its rows below that, so what
// stood still at the bottom comes once, at the end. Only the rows a frame
// gives are decoded.
ScrollStitchResult composeCanvas(const std::vector<ScrollFramePlacement>& placements,
                                 const std::vector<int>& contentTops, int cropW, int cropH, bool withAlpha,
                                 FrameSpool& spool, const CanvasBudget& budget);
// Frames with content from their first row.
inline ScrollStitchResult composeCanvas(const std::vector<ScrollFramePlacement>& placements, int cropW, int cropH,
                                        bool withAlpha, FrameSpool& spool, const CanvasBudget& budget)
{
    return composeCanvas(placements, {}, cropW, cropH, withAlpha, spool, budget);
}

}  // namespace klipo::stitch

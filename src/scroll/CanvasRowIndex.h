#pragma once

#include "scroll/FrameRows.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace klipo::stitch {

// The rows of the long image seen so far, by their exact grey content, so
// that a frame showing content that is already on the image (the page was
// scrolled back, however far) can be found there. Only rows with something
// on them count, and of a frame only the rows that are unlike every other
// row of it; a row seen at many places (a rule, a repeated line) tells
// nothing and is left out.
class CanvasRowIndex {
public:
    // A kept frame whose first row lands on canvas row `y`; rows below the
    // ones indexed so far are added (the overlap is already there).
    void add(const GrayFrame& frame, int y);

    // The canvas row where the frame's first row was seen, when most of the
    // frame's telling rows agree on one place; none otherwise.
    std::optional<int> seenAt(const GrayFrame& frame) const;

    static constexpr int placesToIgnore = 4;  // a row seen at more places tells nothing
    static constexpr int leastAgreeing = 8;   // telling rows that must agree

private:
    std::unordered_map<uint64_t, std::vector<int>> m_rows;  // row content -> canvas rows
    int m_end = 0;                                          // canvas rows indexed so far
};

// A key of a row's grey content; none for a row without content (all one
// grey, give or take a level).
std::optional<uint64_t> rowKey(const uint8_t* row, int width);

}  // namespace klipo::stitch

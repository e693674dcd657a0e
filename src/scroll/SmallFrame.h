#pragma once

#include "scroll/FrameRows.h"

#include <cstdint>
#include <vector>

namespace klipo::stitch {

// The smallest factor that brings a width to 320 columns or fewer.
int downsampleFactor(int width);

// A frame reduced by ds in both directions. A cell holds the integer sum of
// its ds x ds grey pixels (the grey itself when ds is 1); its mean is the sum
// divided by ds². Rows are padded with zeros like the grey frame. Exactly one
// of the cell vectors is filled, by the size the sums need.
struct SmallFrame {
    int width = 0;
    int height = 0;
    int ds = 1;
    int stride = 0;
    std::vector<uint8_t> bytes;   // ds == 1
    std::vector<uint16_t> words;  // 2 <= ds <= 16
    std::vector<uint32_t> wide;   // ds > 16

    double cellArea() const { return double(ds) * double(ds); }

};

SmallFrame downsample(const GrayFrame& gray, int ds);

// Population standard deviation of the cell means.
double cellStd(const SmallFrame& small);

}  // namespace klipo::stitch

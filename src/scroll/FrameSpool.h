#pragma once

#include "scroll/FrameRows.h"

#include <QString>

namespace klipo::stitch {

// Where kept frames wait for the composition: one lossless file per kept
// frame, numbered by kept index. Tests put a failing one in.
class FrameSpool {
public:
    virtual ~FrameSpool() = default;

    // Stores the frame as the keptIndex-th file. False when the file could
    // not be created or completed.
    virtual bool write(int keptIndex, const FrameRows& frame) = 0;

    // Reads rows firstRow .. firstRow + rowCount - 1 of the keptIndex-th
    // frame, which must be `width` pixels wide, into `dest` as 32-bit
    // 0xAARRGGBB words (opaque frames get alpha 255), one row every
    // `destStride` bytes. False when the file cannot be read back.
    virtual bool read(int keptIndex, int width, int firstRow, int rowCount, uchar* dest, qsizetype destStride) = 0;

    // Removes the kept frames and the folder, if it was created; a folder the
    // caller named keeps whatever else it holds.
    virtual void removeAll() = 0;

    virtual bool created() const = 0;
    virtual QString folder() const = 0;
};

}  // namespace klipo::stitch

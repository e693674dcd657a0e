#pragma once

#include "scroll/FrameRows.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// Offset convention: an offset d means row r + d of the older frame shows
// what row r of the newer frame shows; the page scrolled down by d rows.
namespace klipo::stitch {

// A frame's rows cut into strips 32 pixels wide, each known by a key of its
// exact grey pixels. Programs draw the same content the same wherever it
// lands, so where the content moved, the strips of one frame come back
// unchanged in the other, whatever the face, size or sparseness of the text;
// and what did not move (a header, a border, a fixed button, a scroll bar)
// can be told apart from what did.
struct StripRows {
    static constexpr int stripWidth = 32;

    int height = 0;
    int strips = 0;
    std::vector<uint64_t> keys;  // row by row, strip by strip
    std::vector<uint8_t> busy;   // the strip's row is not one grey: it tells something
    std::vector<uint64_t> rows;  // a key of each whole row

    uint64_t key(int row, int strip) const { return keys[std::size_t(row) * std::size_t(strips) + std::size_t(strip)]; }
    bool isBusy(int row, int strip) const
    {
        return busy[std::size_t(row) * std::size_t(strips) + std::size_t(strip)] != 0;
    }
    int busyUnits() const { return int(std::count(busy.begin(), busy.end(), uint8_t(1))); }
};

StripRows stripRows(const GrayFrame& frame);

// How two frames' strips line up.
struct ShiftScan {
    enum class Kind {
        none,       // no offset where their strips agree: decided another way
        unchanged,  // the frames agree where they are: nothing moved (a caret or an animation may have)
        forward,    // one offset, scrolled down
        backward,   // one offset, scrolled back up
        repeated,   // forward offsets agree only where content repeats (a band of identical rows): no telling strip
                    // decides
    };
    Kind kind = Kind::none;
    int offset = 0;          // forward, backward: the offset (negative backward)
    double agreement = 0;    // share of the strips with content that agree at that offset
    std::vector<int> alike;  // repeated: every forward offset that agrees, ascending
};

// Offsets up to `maxShift` either way. A strip row shared at the offset
// counts when either frame has content in it; rows that are the same in both
// frames where they stand (a fixed header or border) count only for
// "unchanged". An offset is decided where at least 3/4 of the counted strips
// agree and the strips seen in few places of the frame (the telling ones)
// agree there and nowhere else.
ShiftScan scanShifts(const StripRows& older, const StripRows& newer, int maxShift);

// Share of the counted strips that agree at offset d (rows fixed where they
// stand left out unless d is 0); 0 when nothing is counted.
double stripAgreement(const StripRows& older, const StripRows& newer, int d);

// The rows at the top of the newer frame that stand where they stood in the
// older frame while the content around them moved by d > 0 (a sticky header,
// a toolbar, a border above the text): more of each such row matches the
// older frame in place than moved by d. Rows that match both ways (blank
// ones) count with the fixed rows above them, not on their own.
int fixedRowsOnTop(const GrayFrame& older, const GrayFrame& newer, int d);

// The first row from `fromRow` down where the older frame shows content that
// stands exactly where it stood in the newer frame, over a few rows on end,
// while the content moved by d (a fixed button, a bar at the bottom; not a
// border beside blank rows, which moved along as well), or the height when
// there is none.
int firstFixedRowFrom(const StripRows& older, const StripRows& newer, int fromRow, int d);

}  // namespace klipo::stitch
